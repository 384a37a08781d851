#pragma once

class QColor;
class QPainter;
class QRectF;
class QString;

// Short texts of the time slider: tick labels, scale labels, graph titles.
class RVUIUtil final
{
public:
    RVUIUtil() = delete;

    // Draws `text` in the system font at `size` pixels (the slider's unit), centred on
    // `centreX` but pushed back inside 0..frame.width() (only the frame's width is used, not
    // its origin: the slider's bands all start at x = 0). `bottomY` is where the bottom of
    // the text's line box goes (top-left origin, y growing down): the text sits on that line
    // with its descenders just above it and rises about `size` pixels.
    static void writeText(QPainter& painter, const QString& text, int size, double centreX,
                          double bottomY, const QRectF& frame, const QColor& colour);
    // The same in the palette's text colour for windows (black in a light palette).
    static void writeText(QPainter& painter, const QString& text, int size, double centreX,
                          double bottomY, const QRectF& frame);

    // The width of `text` as writeText draws it at `size` pixels on the painter's device.
    static double textWidth(const QPainter& painter, const QString& text, int size);
    // The height of writeText's line box at `size` pixels.
    static double lineHeight(const QPainter& painter, int size);
    // `text` cut with an ellipsis to at most `width` pixels at `size`.
    static QString elided(const QPainter& painter, const QString& text, int size, double width);

    // `over` laid over `under` at `amount` (0: under only, 1: over only): greys that keep
    // the same contrast in light and dark palettes.
    static QColor blend(const QColor& over, const QColor& under, double amount);

    // The x at which writeText starts a text of width `textWidth` (exposed for layout tests).
    static double textLeft(double textWidth, double centreX, double frameWidth);
};

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
    // The same in black.
    static void writeText(QPainter& painter, const QString& text, int size, double centreX,
                          double bottomY, const QRectF& frame);

    // The x at which writeText starts a text of width `textWidth` (exposed for layout tests).
    static double textLeft(double textWidth, double centreX, double frameWidth);
};

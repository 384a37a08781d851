#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// What a zoom command does to the video area. The player view (the video's document) sits in
// a scroll view; fitted, it has the scroll view's size and the scrollers are hidden; enlarged
// or at native size it is larger and the scrollers pan it. Sizes are in window pixels, the
// visible origin is the top-left corner of the visible part of the player view.
struct RVZoomLayout
{
    double magnificationFactor = 1.0; // 1 is fitted; larger enlarges relative to fitted
    bool fitted = true;               // player view = scroll view, scrollers hidden
    bool scrollersShown = false;
    // The player view's new size and the visible part's new origin; none leaves them as they are.
    std::optional<QSizeF> playerSize;
    std::optional<QPointF> visibleOrigin;
};

// How the player renders one view of an enlarged video: mpv's video-zoom (log2 of the scale
// relative to the fitted video) and video-pan-x/y (fractions of the scaled video's size).
struct RVVideoPan
{
    double zoomLog2 = 0;
    double panX = 0;
    double panY = 0;
};

// The zoom arithmetic, free of widgets so that it can be checked number by number.
class RVZoomGeometry final
{
public:
    // The fitted view of a scroll view of this size.
    static RVZoomLayout fit(QSizeF scrollViewSize);

    // One zoom step: the factor becomes factor x step. Below 1 the view snaps back to fitted.
    // Otherwise the player view covers `factor` times the scroll view along the video's longer
    // side (never less than the scroll view), and the point in the middle of the view stays in
    // the middle. A native size of about 0 only switches the scrollers on.
    static RVZoomLayout magnification(double factor, double step, QSizeF nativeSize,
                                      QSizeF scrollViewSize, QPointF visibleOrigin);

    // The fit / native size button: from fitted (and not yet native) to the video's native
    // pixel size, from anything else back to fitted.
    static RVZoomLayout originalSize(double factor, QSizeF nativeSize, double playerWidth,
                                     QSizeF scrollViewSize);

    // The player's zoom and pan that show the part `visible` of a player view of size
    // `document` (in which the video is fitted, centred) in a view of visible.size().
    static RVVideoPan videoPan(QSizeF nativeSize, QSizeF document, const QRectF& visible);
};

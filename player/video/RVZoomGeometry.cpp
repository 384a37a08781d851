#include "player/video/RVZoomGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
// Single-precision bounds, as the zoom commands have always compared them.
constexpr double kSnapBelow = double(0.99999f);
constexpr double kNoSize = double(0.00001f);
constexpr double kSameWidth = double(1.00001f);
constexpr double kFactorEpsilon = 0.00001;

// A size to lay out by: both sides above about 0 (an unknown size is empty or negative).
bool usable(QSizeF size)
{
    return size.width() >= kNoSize && size.height() >= kNoSize;
}

// The size of a picture of aspect ratio `aspect` fitted inside `box`, keeping its aspect.
QSizeF fitted(double aspect, QSizeF box)
{
    if (box.height() <= 0 || box.width() <= 0)
        return {0, 0};
    if (box.width() / box.height() > aspect)
        return {box.height() * aspect, box.height()};
    return {box.width(), box.width() / aspect};
}
} // namespace

RVZoomLayout RVZoomGeometry::fit(QSizeF scrollViewSize)
{
    RVZoomLayout layout;
    layout.playerSize = scrollViewSize;
    layout.visibleOrigin = QPointF(0, 0);
    return layout;
}

RVZoomLayout RVZoomGeometry::magnification(double factor, double step, QSizeF nativeSize,
                                           QSizeF scrollViewSize, QPointF visibleOrigin)
{
    const double f = factor * step;
    if (!(f >= kSnapBelow)) // also NaN
        return fit(scrollViewSize);

    RVZoomLayout layout;
    layout.magnificationFactor = f;
    layout.fitted = false;
    layout.scrollersShown = true;
    if (!usable(nativeSize) || !usable(scrollViewSize))
        return layout;

    const double aspect = nativeSize.width() / nativeSize.height();
    const double sw = scrollViewSize.width();
    const double sh = scrollViewSize.height();
    double w = 0;
    double h = 0;
    if (aspect > sw / sh) { // wider than the view
        w = f * sw;
        h = std::max(f * sw / aspect, sh);
    } else {
        w = std::max(f * aspect * sh, sw);
        h = f * sh;
    }
    // The step, not the factor, scales the visible centre: it stays where it was.
    const double x = std::max(0.0, step * (visibleOrigin.x() + sw / 2) - sw / 2);
    const double y = std::max(0.0, step * (visibleOrigin.y() + sh / 2) - sh / 2);
    layout.playerSize = QSizeF(w, h);
    layout.visibleOrigin = QPointF(x, y);
    return layout;
}

RVZoomLayout RVZoomGeometry::originalSize(double factor, QSizeF nativeSize, double playerWidth,
                                          QSizeF scrollViewSize)
{
    const bool atNativeWidth = std::fabs(nativeSize.width() - playerWidth) < kSameWidth;
    const bool zoomed = std::fabs(factor - 1.0) > kFactorEpsilon;
    // Without a known video size or a laid-out view there is no native size to go to.
    if (atNativeWidth || zoomed || !usable(nativeSize) || scrollViewSize.width() <= 0)
        return fit(scrollViewSize);
    RVZoomLayout layout;
    layout.magnificationFactor = nativeSize.width() / scrollViewSize.width();
    layout.fitted = false;
    layout.scrollersShown = true;
    layout.playerSize = nativeSize;
    return layout;
}

RVVideoPan RVZoomGeometry::videoPan(QSizeF nativeSize, QSizeF document, const QRectF& visible)
{
    RVVideoPan pan;
    if (!usable(nativeSize) || !usable(visible.size()) || !usable(document))
        return pan;
    const double aspect = nativeSize.width() / nativeSize.height();
    const QSizeF inView = fitted(aspect, visible.size());
    const QSizeF inDocument = fitted(aspect, document);
    if (!usable(inView) || !usable(inDocument))
        return pan;
    pan.zoomLog2 = std::log2(inDocument.width() / inView.width());
    // The video's centre, seen from the centre of the visible part, in units of its size.
    pan.panX = (document.width() / 2 - visible.x() - visible.width() / 2) / inDocument.width();
    pan.panY = (document.height() / 2 - visible.y() - visible.height() / 2) / inDocument.height();
    return pan;
}

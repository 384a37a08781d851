#include "player/video/RVZoomGeometry.h"

#include <gtest/gtest.h>

// Zoom steps on an 800 x 600 view: the factor, the player view's size, and where the view is
// scrolled so that its centre stays; below fitted the layout is fitted again. And the part of
// the enlarged video mpv renders: zoom as log2 of the enlargement, pan in parts of the video.
TEST(ZoomGeometry, StepsSizeAndScrollTheEnlargedVideoAndPanWhatIsVisible)
{
    const QSizeF hd(1920, 1080), view(800, 600);
    const std::tuple<double, double, QSizeF, QPointF, double, QSizeF, QPointF> cases[] = {
        // 16:9 in 4:3: the width doubles, the height is 2 x 800 / 1.78.
        {2, 2, hd, {400, 300}, 4, QSizeF(3200, 1800), QPointF(1200, 900)},
        // A tall video: the height doubles, the width never below the view's.
        {1, 2, {720, 1280}, {0, 0}, 2, QSizeF(800, 1200), QPointF(400, 300)},
        {4, 0.5, hd, {100, 50}, 2, QSizeF(1600, 900), QPointF(0, 0)}, // not before the start
        {1, 0.5, hd, {9, 9}, 1, view, QPointF(0, 0)},
        {1, 2, {0, 0}, {10, 10}, 2, QSizeF(), QPointF()}, // no size yet: only the scrollers
    };
    for (const auto& [factor, step, video, origin, expected, size, scrolled] : cases) {
        const RVZoomLayout l = RVZoomGeometry::magnification(factor, step, video, view, origin);
        EXPECT_EQ(std::tuple(l.magnificationFactor, l.fitted, l.scrollersShown,
                             l.playerSize.value_or(QSizeF()), l.visibleOrigin.value_or(QPointF())),
                  std::tuple(expected, expected == 1, expected != 1, size, scrolled))
            << factor << " x " << step;
    }
    // The fit button: the video's own size from fitted, fitted at it or before a size is known.
    const QSizeF small(1280, 720), wide(1000, 562);
    const RVZoomLayout native = RVZoomGeometry::originalSize(1.0, small, 1000, wide);
    EXPECT_EQ(std::tuple(native.magnificationFactor, native.playerSize), std::tuple(1.28, small));
    EXPECT_TRUE(RVZoomGeometry::originalSize(1.0, small, 1280, wide).fitted &&
                RVZoomGeometry::originalSize(1.0, QSizeF(), 1000, wide).fitted);

    // Letterboxed: 1600 x 900 of video in the 1600 x 1200 document, 800 x 450 in the view.
    for (const auto& [document, visible, panX, panY] :
         {std::tuple{QSizeF(1600, 900), QRectF(0, 0, 800, 450), 0.25, 0.25},
          {QSizeF(1600, 1200), QRectF(0, 0, 800, 600), 0.25, 1.0 / 3}}) {
        const RVVideoPan pan = RVZoomGeometry::videoPan(hd, document, visible);
        EXPECT_EQ(std::tuple(pan.zoomLog2, pan.panX, pan.panY), std::tuple(1.0, panX, panY));
    }
}

#include "player/RVZoomGeometry.h"

#include <gtest/gtest.h>

// Zoom steps on an 800 x 600 view: the factor, the player view's size, and where the view is
// scrolled so that its centre stays; below fitted the layout is fitted again.
TEST(ZoomGeometry, StepsSizeAndScrollTheEnlargedVideo)
{
    const QSizeF fullHd(1920, 1080), view(800, 600);
    const struct
    {
        double factor, step;
        QSizeF video;
        QPointF origin;
        double expectedFactor;
        std::optional<QSizeF> size;
        std::optional<QPointF> scrolled;
    } cases[] = {
        // 16:9 in 4:3: the width doubles, the height is 2 x 800 / 1.78.
        {1, 2, fullHd, {0, 0}, 2, QSizeF(1600, 900), QPointF(400, 300)},
        {2, 2, fullHd, {400, 300}, 4, QSizeF(3200, 1800), QPointF(1200, 900)},
        // A tall video: the height doubles, the width never below the view's.
        {1, 2, {720, 1280}, {0, 0}, 2, QSizeF(800, 1200), QPointF(400, 300)},
        // Zooming out near the top left does not scroll before the start.
        {4, 0.5, fullHd, {100, 50}, 2, QSizeF(1600, 900), QPointF(0, 0)},
        // Below fitted, from 0 (a new video before its first fit), leaving full screen (0).
        {1, 0.5, fullHd, {}, 1, view, QPointF(0, 0)},
        {0, 1, fullHd, {}, 1, view, QPointF(0, 0)},
        {4, 0, fullHd, {}, 1, view, QPointF(0, 0)},
        // A video without a size yet only switches the scrollers on.
        {1, 2, {0, 0}, {10, 10}, 2, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.factor << " x " << c.step);
        const RVZoomLayout l =
            RVZoomGeometry::magnification(c.factor, c.step, c.video, view, c.origin);
        EXPECT_DOUBLE_EQ(l.magnificationFactor, c.expectedFactor);
        EXPECT_EQ(l.fitted, c.expectedFactor == 1);
        EXPECT_EQ(l.scrollersShown, c.expectedFactor != 1);
        EXPECT_EQ(l.playerSize, c.size);
        EXPECT_EQ(l.visibleOrigin, c.scrolled);
    }

    // The fit button: the video's own size from fitted; fitted from anything else.
    const QSizeF hd(1280, 720), wide(1000, 562);
    const RVZoomLayout native = RVZoomGeometry::originalSize(1.0, hd, 1000, wide);
    EXPECT_DOUBLE_EQ(native.magnificationFactor, 1.28);
    EXPECT_EQ(native.playerSize, hd);
    EXPECT_TRUE(RVZoomGeometry::originalSize(1.0, hd, 1280, wide).fitted);
    EXPECT_TRUE(RVZoomGeometry::originalSize(1.0, QSizeF(), 1000, wide).fitted);
    EXPECT_TRUE(RVZoomGeometry::originalSize(0.0, hd, 1000, wide).fitted);
}

// mpv renders the visible part: zoom as log2 of the enlargement, pan in parts of the video.
TEST(ZoomGeometry, PlayerRendersTheVisiblePartOfTheEnlargedVideo)
{
    const struct
    {
        QSizeF document;
        QRectF visible;
        double zoomLog2, panX, panY;
    } cases[] = {
        {{1600, 900}, {400, 225, 800, 450}, 1, 0, 0},
        {{1600, 900}, {0, 0, 800, 450}, 1, 0.25, 0.25},
        // Letterboxed: 1600 x 900 of video in the document, 800 x 450 in the view.
        {{1600, 1200}, {0, 0, 800, 600}, 1, 0.25, 1.0 / 3},
    };
    for (const auto& c : cases) {
        const RVVideoPan pan = RVZoomGeometry::videoPan({1920, 1080}, c.document, c.visible);
        EXPECT_DOUBLE_EQ(pan.zoomLog2, c.zoomLog2);
        EXPECT_DOUBLE_EQ(pan.panX, c.panX);
        EXPECT_DOUBLE_EQ(pan.panY, c.panY);
    }
}

#include "player/RVZoomGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
const QSizeF kFullHd(1920, 1080);
const QSizeF kView(800, 600);
} // namespace

TEST(ZoomGeometry, StepsDoubleAndHalveAndNeverGoBelowFitted)
{
    double factor = 1.0;
    QPointF origin(0, 0);
    std::vector<double> factors;
    for (double step : {2.0, 2.0, 0.5, 0.5, 0.5}) {
        const RVZoomLayout layout =
            RVZoomGeometry::magnification(factor, step, kFullHd, kView, origin);
        factor = layout.magnificationFactor;
        factors.push_back(factor);
        if (layout.visibleOrigin)
            origin = *layout.visibleOrigin;
    }
    EXPECT_EQ(factors, (std::vector<double>{2, 4, 2, 1, 1}));

    // (The window's tests see the snapped view fitted without scrollers.) A step of 1 from factor 0
    // (a new video before its first fit) fits too, as does leaving full screen (step 0).
    EXPECT_TRUE(RVZoomGeometry::magnification(0.0, 1.0, kFullHd, kView, {}).fitted);
    EXPECT_TRUE(RVZoomGeometry::magnification(4.0, 0.0, kFullHd, kView, {}).fitted);
}

TEST(ZoomGeometry, EnlargedSizeFollowsTheLongerSideAndKeepsTheCentre)
{
    // 16:9 in 4:3, factor 2: twice the width; the height is 2 x 800 / 1.78 = 900.
    const RVZoomLayout wide =
        RVZoomGeometry::magnification(1.0, 2.0, kFullHd, kView, QPointF(0, 0));
    EXPECT_TRUE(wide.scrollersShown);
    EXPECT_EQ(wide.playerSize, QSizeF(1600, 900));
    // The former centre (400, 300) is the centre of the enlarged view.
    EXPECT_EQ(wide.visibleOrigin, QPointF(400, 300));

    // A tall video: twice the height, the width never below the view's.
    const RVZoomLayout tall =
        RVZoomGeometry::magnification(1.0, 2.0, QSizeF(720, 1280), kView, QPointF(0, 0));
    EXPECT_EQ(tall.playerSize, QSizeF(800, 1200));

    // Zooming out from near the top left does not scroll before the start.
    const RVZoomLayout out =
        RVZoomGeometry::magnification(4.0, 0.5, kFullHd, kView, QPointF(100, 50));
    EXPECT_DOUBLE_EQ(out.magnificationFactor, 2.0);
    EXPECT_EQ(out.visibleOrigin, QPointF(0, 0));

    // A video without a size yet only switches the scrollers on.
    const RVZoomLayout unknown =
        RVZoomGeometry::magnification(1.0, 2.0, QSizeF(0, 0), kView, QPointF(10, 10));
    EXPECT_TRUE(unknown.scrollersShown);
    EXPECT_FALSE(unknown.playerSize);
    EXPECT_FALSE(unknown.visibleOrigin);
    EXPECT_DOUBLE_EQ(unknown.magnificationFactor, 2.0);
}

TEST(ZoomGeometry, FitButtonWithoutAKnownSizeFits)
{
    // (The window's tests press it between fitted and the video's native size.)
    const QSizeF view(1000, 562);
    EXPECT_TRUE(RVZoomGeometry::originalSize(1.0, QSizeF(), 1000, view).fitted);
    EXPECT_TRUE(RVZoomGeometry::originalSize(0.0, QSizeF(1280, 720), 1000, view).fitted);
}

TEST(ZoomGeometry, PlayerRendersTheVisiblePartOfTheEnlargedVideo)
{
    const QSizeF view(800, 450);
    // Twice the size, centre visible: zoom 1 (log2), no pan.
    const QSizeF document(1600, 900);
    const RVVideoPan centre =
        RVZoomGeometry::videoPan(kFullHd, document, QRectF(QPointF(400, 225), view));
    EXPECT_DOUBLE_EQ(centre.zoomLog2, 1);
    EXPECT_DOUBLE_EQ(centre.panX, 0);
    EXPECT_DOUBLE_EQ(centre.panY, 0);
    // The top left quarter: the video moves right and down by a quarter of its size.
    const RVVideoPan topLeft = RVZoomGeometry::videoPan(kFullHd, document, QRectF(QPointF(), view));
    EXPECT_DOUBLE_EQ(topLeft.panX, 0.25);
    EXPECT_DOUBLE_EQ(topLeft.panY, 0.25);
    // A letterboxed document (16:9 video in a 4:3 document twice the size of a 4:3 view):
    // the video in the document is 1600 x 900, in the view 800 x 450, so zoom is still 1.
    const RVVideoPan boxed =
        RVZoomGeometry::videoPan(kFullHd, QSizeF(1600, 1200), QRectF(QPointF(400, 300), kView));
    EXPECT_DOUBLE_EQ(boxed.zoomLog2, 1);
    EXPECT_DOUBLE_EQ(boxed.panY, 0);
}

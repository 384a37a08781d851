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

    // The last step snapped back: fitted, no scrollers, the player view is the scroll view.
    const RVZoomLayout snapped = RVZoomGeometry::magnification(1.0, 0.5, kFullHd, kView, {});
    EXPECT_TRUE(snapped.fitted);
    EXPECT_FALSE(snapped.scrollersShown);
    EXPECT_EQ(snapped.playerSize, kView);
    // A step of 1 from factor 0 (a new video before its first fit) fits too, as does leaving
    // full screen (step 0).
    EXPECT_TRUE(RVZoomGeometry::magnification(0.0, 1.0, kFullHd, kView, {}).fitted);
    EXPECT_TRUE(RVZoomGeometry::magnification(4.0, 0.0, kFullHd, kView, {}).fitted);
}

TEST(ZoomGeometry, EnlargedSizeFollowsTheLongerSideAndKeepsTheCentre)
{
    // 16:9 in 4:3, factor 2: twice the width; the height is 2 x 800 / 1.78 = 900.
    const RVZoomLayout wide =
        RVZoomGeometry::magnification(1.0, 2.0, kFullHd, kView, QPointF(0, 0));
    EXPECT_FALSE(wide.fitted);
    EXPECT_TRUE(wide.scrollersShown);
    ASSERT_TRUE(wide.playerSize);
    EXPECT_DOUBLE_EQ(wide.playerSize->width(), 1600);
    EXPECT_DOUBLE_EQ(wide.playerSize->height(), 900);
    // The former centre (400, 300) is the centre of the enlarged view.
    ASSERT_TRUE(wide.visibleOrigin);
    EXPECT_EQ(*wide.visibleOrigin, QPointF(400, 300));

    // A tall video: twice the height, the width never below the view's.
    const RVZoomLayout tall =
        RVZoomGeometry::magnification(1.0, 2.0, QSizeF(720, 1280), kView, QPointF(0, 0));
    ASSERT_TRUE(tall.playerSize);
    EXPECT_DOUBLE_EQ(tall.playerSize->height(), 1200);
    EXPECT_DOUBLE_EQ(tall.playerSize->width(), 800);

    // Zooming out from near the top left does not scroll before the start.
    const RVZoomLayout out =
        RVZoomGeometry::magnification(4.0, 0.5, kFullHd, kView, QPointF(100, 50));
    EXPECT_DOUBLE_EQ(out.magnificationFactor, 2.0);
    ASSERT_TRUE(out.visibleOrigin);
    EXPECT_EQ(*out.visibleOrigin, QPointF(0, 0));

    // A video without a size yet only switches the scrollers on.
    const RVZoomLayout unknown =
        RVZoomGeometry::magnification(1.0, 2.0, QSizeF(0, 0), kView, QPointF(10, 10));
    EXPECT_TRUE(unknown.scrollersShown);
    EXPECT_FALSE(unknown.playerSize);
    EXPECT_FALSE(unknown.visibleOrigin);
    EXPECT_DOUBLE_EQ(unknown.magnificationFactor, 2.0);
}

TEST(ZoomGeometry, FitButtonAlternatesBetweenFittedAndNativeSize)
{
    const QSizeF hd(1280, 720);
    const QSizeF view(1000, 562);
    // Fitted, the player view is 1000 wide: native size at factor 1.28.
    const RVZoomLayout native = RVZoomGeometry::originalSize(1.0, hd, 1000, view);
    EXPECT_FALSE(native.fitted);
    EXPECT_TRUE(native.scrollersShown);
    EXPECT_DOUBLE_EQ(native.magnificationFactor, 1.28);
    EXPECT_EQ(native.playerSize, hd);
    // Pressed again (the player view is at the native width): fitted.
    const RVZoomLayout back = RVZoomGeometry::originalSize(1.28, hd, 1280, view);
    EXPECT_TRUE(back.fitted);
    EXPECT_DOUBLE_EQ(back.magnificationFactor, 1.0);
    EXPECT_EQ(back.playerSize, view);
    // From any zoom, and from the factor 0 of a new video: fitted.
    EXPECT_TRUE(RVZoomGeometry::originalSize(2.0, hd, 2000, view).fitted);
    EXPECT_TRUE(RVZoomGeometry::originalSize(0.0, hd, 1000, view).fitted);
    // No known size: nothing to show at native size.
    EXPECT_TRUE(RVZoomGeometry::originalSize(1.0, QSizeF(), 1000, view).fitted);
}

TEST(ZoomGeometry, PlayerRendersTheVisiblePartOfTheEnlargedVideo)
{
    const QSizeF view(800, 450);
    // Fitted: no zoom, no pan.
    const RVVideoPan fitted = RVZoomGeometry::videoPan(kFullHd, view, QRectF(QPointF(), view));
    EXPECT_DOUBLE_EQ(fitted.zoomLog2, 0);
    EXPECT_DOUBLE_EQ(fitted.panX, 0);
    EXPECT_DOUBLE_EQ(fitted.panY, 0);
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

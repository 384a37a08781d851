#include "player/video/RVReversePacer.h"

#include <gtest/gtest.h>

TEST(ReversePacer, FollowsTheClockStepsOnlyWhenAnEarlierFrameIsDueAndEndsOnTheFirst)
{
    constexpr double kFrame = 0.04; // 25 frames per second
    RVReversePacer pacer;
    pacer.setFrameDuration(kFrame);
    pacer.start(2.0, -4.0, 100.0);
    EXPECT_NEAR(pacer.idealPosition(100.25), 1.0, 1e-9);
    EXPECT_DOUBLE_EQ(pacer.idealPosition(200.0), 0.0); // never before the start of the file

    // Frame 2.00 on screen: the frame before is due once a whole frame time has gone by.
    pacer.start(2.0, -1.0, 0.0);
    EXPECT_FALSE(pacer.stepTarget(2.0, 0.0).has_value());
    EXPECT_NEAR(pacer.nextStepDue(2.0), kFrame, 1e-9);
    EXPECT_NEAR(pacer.stepTarget(2.0, kFrame).value_or(-1), 1.96, 1e-9);
    // A slow step: 0.3 s later the frame at 5.0 is still on screen; go straight to 4.68
    // (the frame holding 4.70), not to 4.96. Twice the rate skips twice as far.
    pacer.start(5.0, -1.0, 0.0);
    EXPECT_NEAR(pacer.stepTarget(5.0, 0.3).value_or(-1), 4.68, 1e-9);
    pacer.start(5.0, -2.0, 0.0);
    EXPECT_NEAR(pacer.stepTarget(5.0, 0.3).value_or(-1), 4.40, 1e-9);
    // Anchored slightly after the frame on screen (a seek landed early): still one frame back.
    pacer.start(2.03, -1.0, 0.0);
    EXPECT_LT(pacer.stepTarget(2.0, 0.08).value_or(99), 2.0 - kFrame / 2);

    // Ideal 0 with frame 0.08 on screen: one last step to 0, and then nothing earlier.
    pacer.start(0.1, -1.0, 0.0);
    EXPECT_EQ(pacer.stepTarget(0.08, 0.2), std::optional<double>(0.0));
    EXPECT_FALSE(pacer.reachedStart(0.08, 0.2));
    EXPECT_FALSE(pacer.stepTarget(0.0, 0.2).has_value());
    EXPECT_TRUE(pacer.reachedStart(0.0, 0.2));
    // On frame 0 before the ideal position got there: not done yet, due when it does.
    pacer.start(0.03, -1.0, 0.0);
    EXPECT_FALSE(pacer.reachedStart(0.0, 0.01));
    EXPECT_NEAR(pacer.nextStepDue(0.0), 0.03, 1e-9);
    // An unknown frame rate falls back to a 30 fps grid.
    pacer.setFrameDuration(0.0);
    EXPECT_NEAR(pacer.frameDuration(), 1.0 / 30.0, 1e-12);
}

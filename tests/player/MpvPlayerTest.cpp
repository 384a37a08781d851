// The player on a real mpv with generated clips whose frames carry their numbers, so the
// picture on screen tells the position exactly.

#include "ClipFactory.h"

#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"

#include <gtest/gtest.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTemporaryDir>
#include <QTest>

using ClipFactory::frameNumber;
using ClipFactory::tripClip;
using ClipFactory::waitFor;

namespace {

constexpr double kFrame = 0.04; // the clips run at 25 frames per second

// Beside the shared trip (frames 0-74, 75-149, 150-224): a clip with a key frame only every
// 10 seconds, and a file that is no video at all.
QString extra(const char* name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

// A player with its video surface in a real window, and what it reported.
class MpvPlayer : public ::testing::Test
{
protected:
    MpvPlayer() : player(RVMpvPlayer::Options{{"ao", "null"}}), widget(&player)
    {
        widget.resize(640, 480); // the clips' 4:3 shape, so the picture fills the widget
        widget.show();
        using P = RVMpvPlayer;
        QObject::connect(&player, &P::itemFailed, [this](QString m) { failures.push_back(m); });
        QObject::connect(&player, &P::endReached, [this] { ++ends; });
        QObject::connect(&player, &P::startReached, [this] { ++starts; });
        QObject::connect(&player, &P::firstFrameShown, [this] { ++firstFrames; });
        QObject::connect(&player, &P::seekFinished, [this] { ++seeks; });
        QObject::connect(&player, &P::tick, [this](double s) {
            ticks.push_back({clock.elapsed() / 1000.0, s});
        });
        clock.start();
    }
    void SetUp() override
    {
        static const bool made =
            !ClipFactory::tripDir().isEmpty() &&
            ClipFactory::make(extra("longgop.mp4"), {320, 240, 25, 12, 0, 250}) &&
            ClipFactory::makeBroken(extra("corrupt.mp4"));
        ASSERT_TRUE(made);
        ASSERT_TRUE(waitFor([this] { return widget.hasRenderContext(); }))
            << player.errorString().toStdString();
    }
    bool loadPaused(const QString& path, double start = 0.0)
    {
        const int before = firstFrames;
        player.load(path, start, true);
        return waitFor([&] { return firstFrames > before; });
    }
    // The frame number on screen once it is `expected` (or what it shows after two seconds).
    std::optional<int> shownFrame(std::optional<int> expected)
    {
        std::optional<int> shown;
        waitFor([&] { return (shown = frameNumber(widget.grabFramebuffer())) == expected; }, 2000);
        return shown;
    }

    RVMpvPlayer player;
    RVMpvVideoWidget widget;
    QElapsedTimer clock;
    int ends = 0, starts = 0, firstFrames = 0, seeks = 0;
    std::vector<QString> failures;
    std::vector<std::pair<double, double>> ticks; // wall clock and position, in seconds
};

} // namespace

TEST_F(MpvPlayer, LoadsSeeksAndStepsLandOnTheirFrameTheRightWayUpOrFail)
{
    ASSERT_TRUE(loadPaused(tripClip(1)));
    EXPECT_NEAR(player.duration(), 3.0, 0.05);
    EXPECT_EQ(player.videoSize(), QSize(320, 240));
    EXPECT_EQ(shownFrame(75), 75); // shown, and not upside down

    // Key frames are a second apart: exact seeks and steps decode up to the frame itself,
    // also back across a key frame; targets out of the file are clamped.
    ASSERT_TRUE(loadPaused(tripClip(0)));
    const std::pair<double, int> moves[] = {{1.52, 0},  {2.96, 0},  {-5.0, 0}, {1.52, 0}, {1.56, 1},
                                            {1.52, -1}, {1.48, -1}, {1.0, 0},  {0.96, -1}};
    for (const auto& [time, step] : moves) {
        SCOPED_TRACE(time);
        const int before = seeks;
        step ? player.stepFrame(step) : player.seek(time);
        ASSERT_TRUE(waitFor([&] { return seeks > before; }));
        EXPECT_NEAR(player.currentTime(), std::max(time, 0.0), 0.001);
        EXPECT_EQ(shownFrame(qRound(time / kFrame)), std::max(qRound(time / kFrame), 0));
    }

    for (const QString& path : {extra("corrupt.mp4"), extra("missing.mp4")}) {
        player.load(path, 0.0, false);
        ASSERT_TRUE(waitFor([&] { return !failures.empty(); }, 5000)) << path.toStdString();
        EXPECT_TRUE(failures.back().contains(path));
        EXPECT_DOUBLE_EQ(player.rate(), 0.0);
        failures.clear();
    }
}

TEST_F(MpvPlayer, PlaysBackwardSteadilyAndStopsOnTheFirstFrame)
{
    // Each backward frame is decoded from a key frame up to 10 seconds before it (mpv's own
    // backward mode stops for good here).
    for (const double rate : {-1.0, -4.0}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(loadPaused(extra("longgop.mp4"), rate == -1.0 ? 9.8 : 11.0));
        ticks.clear();
        player.setRate(rate);
        QTest::qWait(1500);
        ASSERT_GE(ticks.size(), 10u); // a tick every tenth of a second
        double stall = 0.0, since = ticks[0].first;
        for (size_t i = 1; i < ticks.size(); ++i) {
            ASSERT_LE(ticks[i].second, ticks[i - 1].second + 1e-9);
            if (ticks[i].second != ticks[i - 1].second)
                since = ticks[i].first;
            stall = std::max(stall, ticks[i].first - since);
        }
        EXPECT_LT(stall, 1.0);
        const auto &first = ticks[1], &last = ticks.back(); // [0] may be the seek's
        EXPECT_NEAR((last.second - first.second) / (last.first - first.first), rate, -rate / 2);
        // Paused, the picture is the frame at the position.
        player.pause();
        EXPECT_TRUE(waitFor([&] {
            const auto shown = frameNumber(widget.grabFramebuffer());
            return shown && std::abs(*shown * kFrame - player.currentTime()) < kFrame;
        }));
    }
    ASSERT_TRUE(loadPaused(tripClip(0), 0.6));
    player.setRate(-2.0);
    ASSERT_TRUE(waitFor([&] { return starts == 1; }, 5000));
    EXPECT_DOUBLE_EQ(player.rate(), 0.0);
    EXPECT_NEAR(player.currentTime(), 0.0, 1e-6);
    EXPECT_EQ(shownFrame(0), 0);
}

TEST_F(MpvPlayer, RunsOnIntoTheQueuedFileWithoutReloadingAndStopsAtTheLastEnd)
{
    ASSERT_TRUE(loadPaused(tripClip(0), 2.2));
    std::vector<int> drawn; // read while the widget draws; GL's rows run bottom-up
    QObject::connect(&widget, &RVMpvVideoWidget::frameRendered, &widget, [&] {
        QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
        const int w = widget.width(), h = widget.height();
        QImage rows(w, 4, QImage::Format_RGBA8888); // rows 1 and 3: where frameNumber looks
        gl->glBindFramebuffer(GL_FRAMEBUFFER, widget.defaultFramebufferObject());
        gl->glReadPixels(0, h - 1 - h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(1));
        gl->glReadPixels(0, h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(3));
        if (const auto number = frameNumber(rows))
            drawn.push_back(*number);
    });
    // What a controller does at the end of a file: put the next one in.
    QString next = tripClip(1);
    player.setNextPath(next);
    QObject::connect(&player, &RVMpvPlayer::endReached, &player, [&] {
        if (!next.isEmpty())
            player.load(next, 0.0, player.rate() == 0.0);
    });
    player.play();
    ASSERT_TRUE(waitFor([&] { return player.currentTime() > 0.4 && ends == 1; }));
    EXPECT_EQ(firstFrames, 2); // one start, not a reload
    EXPECT_EQ(player.currentPath(), tripClip(1));
    EXPECT_NEAR(player.duration(), 3.0, 0.05);
    // Across the join: the last frame, then the next file's first, every frame once in order.
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 74), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 75), drawn.end());
    EXPECT_EQ(std::adjacent_find(drawn.begin(), drawn.end(), std::greater_equal<int>()),
              drawn.end());

    // At twice the speed into the third file, which runs on at that speed to its end.
    next = tripClip(2);
    player.setNextPath(next);
    player.setRate(2.0);
    ASSERT_TRUE(waitFor([&] { return ends == 2; }, 5000));
    next.clear();
    EXPECT_DOUBLE_EQ(player.rate(), 2.0);
    ASSERT_TRUE(waitFor([&] { return ends == 3; }, 5000));
    EXPECT_DOUBLE_EQ(player.rate(), 0.0);
    // The position is the item's end, as a controller checking "at the end" expects.
    EXPECT_DOUBLE_EQ(player.currentTime(), player.duration());
    EXPECT_EQ(shownFrame(224), 224);
    EXPECT_TRUE(failures.empty());
}

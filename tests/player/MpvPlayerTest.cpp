// The player on a real mpv with generated clips whose frames carry their numbers, so the
// picture on screen tells the position exactly.

#include "ClipFactory.h"

#include "player/RVMpvPlayer.h"
#include "player/RVMpvVideoWidget.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using ClipFactory::frameNumber;
using ClipFactory::spin;
using ClipFactory::tripClip;
using ClipFactory::waitFor;

namespace {

constexpr double kFrame = 0.04; // the clips run at 25 frames per second

// A player with its video surface in a real window, and what it reported.
struct Rig
{
    Rig() : player(RVMpvPlayer::Options{{"ao", "null"}}), widget(&player)
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
        waitFor([this] { return widget.hasRenderContext(); });
    }
    bool loadPaused(const QString& path, double start = 0.0)
    {
        const int before = firstFrames;
        player.load(path, start, true);
        return waitFor([&] { return firstFrames > before; });
    }
    // Runs a seek or a step and waits for the player to settle.
    bool settle(const std::function<void()>& move)
    {
        const int before = seeks;
        move();
        return waitFor([&] { return seeks > before; });
    }
    // The frame number on screen once it is `expected` (or what it shows after two seconds).
    std::optional<int> shownFrame(std::optional<int> expected = std::nullopt)
    {
        std::optional<int> shown;
        waitFor(
            [&] {
                return (shown = frameNumber(widget.grabFramebuffer())) == expected || !expected;
            },
            2000);
        return shown;
    }
    double ticksPerSecond() const
    {
        const Tick &first = ticks[1], &last = ticks.back(); // [0] may be a seek's or join's
        return (last.position - first.position) / (last.wall - first.wall);
    }

    RVMpvPlayer player;
    RVMpvVideoWidget widget;
    QElapsedTimer clock;
    int ends = 0, starts = 0, firstFrames = 0, seeks = 0;
    std::vector<QString> failures;
    struct Tick
    {
        double wall, position;
    };
    std::vector<Tick> ticks;
};

class MpvPlayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Beside the shared trip (frames 0-74, 75-149, 150-224): a clip with a key frame only
        // every 10 seconds, and a file that is no video at all.
        static const bool made =
            !ClipFactory::tripDir().isEmpty() &&
            ClipFactory::make(extra("longgop.mp4"), {320, 240, 25, 12.0, 0, 250}) &&
            ClipFactory::makeBroken(extra("corrupt.mp4"));
        ASSERT_TRUE(made);
        rig = std::make_unique<Rig>();
        ASSERT_TRUE(rig->player.isValid()) << rig->player.errorString().toStdString();
        ASSERT_TRUE(rig->widget.hasRenderContext());
    }
    static QString extra(const char* name)
    {
        static QTemporaryDir dir;
        return dir.filePath(name);
    }
    std::unique_ptr<Rig> rig;
};

} // namespace

TEST_F(MpvPlayer, LoadsSeeksAndStepsLandOnTheirFrameTheRightWayUp)
{
    ASSERT_TRUE(rig->loadPaused(tripClip(1)));
    EXPECT_NEAR(rig->player.duration(), 3.0, 0.05);
    EXPECT_NEAR(rig->player.framesPerSecond(), 25.0, 0.01);
    EXPECT_EQ(rig->player.videoSize(), QSize(320, 240));
    EXPECT_EQ(rig->shownFrame(75), 75); // shown, and not upside down
    ASSERT_TRUE(rig->loadPaused(tripClip(2), 1.2));
    EXPECT_EQ(rig->shownFrame(180), 180);

    // Key frames are a second apart: exact seeks and steps decode up to the frame itself,
    // also back across a key frame; targets out of the file are clamped.
    ASSERT_TRUE(rig->loadPaused(tripClip(0)));
    RVMpvPlayer& p = rig->player;
    const auto seek = [&](double s) { return std::function<void()>([&p, s] { p.seek(s); }); };
    const auto step = [&](int d) { return std::function<void()>([&p, d] { p.stepFrame(d); }); };
    const std::pair<std::function<void()>, double> moves[] = {
        {seek(1.52), 1.52}, {seek(2.96), 2.96}, {seek(-5.0), 0.0},
        {seek(1.52), 1.52}, {step(+1), 1.56},   {step(-1), 1.52},
        {step(-1), 1.48},   {seek(1.0), 1.0},   {step(-1), 0.96}};
    for (const auto& [move, time] : moves) {
        SCOPED_TRACE(time);
        ASSERT_TRUE(rig->settle(move));
        EXPECT_NEAR(p.currentTime(), time, 0.001);
        EXPECT_EQ(rig->shownFrame(qRound(time / kFrame)), qRound(time / kFrame));
    }
    // A burst of seeks (a dragged slider) reports the latest target at once and settles once.
    const int before = rig->seeks;
    for (double s : {2.0, 0.4, 1.08})
        p.seek(s);
    EXPECT_DOUBLE_EQ(p.currentTime(), 1.08);
    ASSERT_TRUE(waitFor([&] { return rig->seeks > before; }));
    spin(300);
    EXPECT_EQ(rig->seeks, before + 1);
    EXPECT_EQ(rig->shownFrame(27), 27);
    // A step back on the first frame stays there, and the player still answers afterwards.
    ASSERT_TRUE(rig->settle(seek(0.0)));
    p.stepFrame(-1);
    spin(500);
    EXPECT_NEAR(p.currentTime(), 0.0, 1e-6);
    ASSERT_TRUE(rig->settle(seek(0.4)));
    EXPECT_EQ(rig->shownFrame(10), 10);
    // A seek while playing plays on; a step while playing pauses on the frame it shows.
    p.play();
    ASSERT_TRUE(rig->settle(seek(2.0)));
    EXPECT_DOUBLE_EQ(p.rate(), 1.0);
    EXPECT_GE(p.currentTime(), 1.96);
    ASSERT_TRUE(rig->settle(seek(0.4)));
    spin(200);
    p.stepFrame(+1);
    EXPECT_DOUBLE_EQ(p.rate(), 0.0);
    spin(300);
    const auto shown = rig->shownFrame();
    ASSERT_TRUE(shown.has_value());
    EXPECT_NEAR(p.currentTime(), *shown * kFrame, 0.001);
}

TEST_F(MpvPlayer, PlaysBackwardSteadilyAndStopsOnTheFirstFrame)
{
    // Each backward frame is decoded from a key frame up to 10 seconds before it (mpv's own
    // backward mode stops for good here).
    for (const double rate : {-1.0, -4.0}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(rig->loadPaused(extra("longgop.mp4"), rate == -1.0 ? 9.8 : 11.0));
        rig->ticks.clear();
        rig->player.setRate(rate);
        spin(1500);
        ASSERT_GE(rig->ticks.size(), 10u); // a tick every tenth of a second
        double stall = 0.0, since = rig->ticks[0].wall;
        for (size_t i = 1; i < rig->ticks.size(); ++i) {
            ASSERT_LE(rig->ticks[i].position, rig->ticks[i - 1].position + 1e-9);
            if (rig->ticks[i].position != rig->ticks[i - 1].position)
                since = rig->ticks[i].wall;
            stall = std::max(stall, rig->ticks[i].wall - since);
        }
        EXPECT_LT(stall, 1.0);
        EXPECT_NEAR(rig->ticksPerSecond(), rate, -rate * 0.5);
        // Paused, the picture is the frame at the position.
        rig->player.pause();
        EXPECT_TRUE(waitFor([&] {
            const auto shown = frameNumber(rig->widget.grabFramebuffer());
            return shown && std::abs(*shown * kFrame - rig->player.currentTime()) < kFrame;
        }));
    }
    spin(150);
    const size_t ticks = rig->ticks.size();
    spin(300);
    EXPECT_EQ(rig->ticks.size(), ticks) << "no ticks while paused";
    ASSERT_TRUE(rig->loadPaused(tripClip(0), 0.6));
    rig->player.setRate(-2.0);
    ASSERT_TRUE(waitFor([&] { return rig->starts == 1; }, 5000));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    EXPECT_NEAR(rig->player.currentTime(), 0.0, 1e-6);
    EXPECT_EQ(rig->shownFrame(0), 0);
}

TEST_F(MpvPlayer, RunsOnIntoTheQueuedFileWithoutReloadingAndStopsAtTheLastEnd)
{
    ASSERT_TRUE(rig->loadPaused(tripClip(0), 2.2));
    std::vector<int> drawn; // read while the widget draws; GL's rows run bottom-up
    QObject::connect(&rig->widget, &RVMpvVideoWidget::frameRendered, &rig->widget, [&] {
        QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
        const int w = rig->widget.width(), h = rig->widget.height();
        QImage rows(w, 4, QImage::Format_RGBA8888); // rows 1 and 3: where frameNumber looks
        gl->glBindFramebuffer(GL_FRAMEBUFFER, rig->widget.defaultFramebufferObject());
        gl->glReadPixels(0, h - 1 - h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(1));
        gl->glReadPixels(0, h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(3));
        if (const auto number = frameNumber(rows))
            drawn.push_back(*number);
    });
    // What a controller does at the end of a file: put the next one in.
    QString next = tripClip(1);
    rig->player.setNextPath(next);
    QObject::connect(&rig->player, &RVMpvPlayer::endReached, &rig->player, [&] {
        if (!next.isEmpty())
            rig->player.load(next, 0.0, rig->player.rate() == 0.0);
    });
    const int firstFrames = rig->firstFrames;
    rig->player.play();
    ASSERT_TRUE(waitFor([&] { return rig->player.currentTime() > 0.4 && rig->ends == 1; }));
    EXPECT_EQ(rig->firstFrames, firstFrames + 1); // one start, not a reload
    EXPECT_EQ(rig->player.currentPath(), tripClip(1));
    EXPECT_NEAR(rig->player.duration(), 3.0, 0.05);
    // Across the join: the last frame, then the next file's first, every frame once in order.
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 74), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 75), drawn.end());
    EXPECT_TRUE(std::adjacent_find(drawn.begin(), drawn.end(), std::greater_equal<int>()) ==
                drawn.end());

    // At twice the speed into the third file, which runs on at that speed to its end.
    next = tripClip(2);
    rig->player.setNextPath(next);
    rig->player.setRate(2.0);
    ASSERT_TRUE(waitFor([&] { return rig->ends == 2; }, 5000));
    next.clear();
    rig->ticks.clear();
    spin(800);
    EXPECT_NEAR(rig->ticksPerSecond(), 2.0, 0.5);
    ASSERT_TRUE(waitFor([&] { return rig->ends == 3; }, 5000));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    // The position is the item's end, as a controller checking "at the end" expects.
    EXPECT_DOUBLE_EQ(rig->player.currentTime(), rig->player.duration());
    EXPECT_EQ(rig->shownFrame(224), 224);
    // A jump right to the end while playing ends the item again, once.
    rig->player.play();
    rig->player.seek(1.0);
    rig->player.seek(rig->player.duration());
    ASSERT_TRUE(waitFor([&] { return rig->ends == 4; }, 5000));
    spin(300);
    EXPECT_EQ(rig->ends, 4);
    EXPECT_TRUE(rig->failures.empty());
}

TEST_F(MpvPlayer, UnplayableFilesFailAlsoWhenQueued)
{
    for (const QString& path : {extra("corrupt.mp4"), extra("missing.mp4")}) {
        rig->player.load(path, 0.0, false);
        ASSERT_TRUE(waitFor([&] { return !rig->failures.empty(); }, 5000)) << path.toStdString();
        EXPECT_TRUE(rig->failures.back().contains(path));
        EXPECT_FALSE(rig->player.isReady());
        EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
        rig->failures.clear();
    }
    ASSERT_TRUE(rig->loadPaused(tripClip(0), 2.8));
    rig->player.setNextPath(extra("corrupt.mp4"));
    rig->player.play();
    ASSERT_TRUE(waitFor([&] { return !rig->failures.empty(); }, 5000));
    EXPECT_TRUE(rig->failures.back().contains(extra("corrupt.mp4")));
}

TEST(MpvPlayerLifetime, PlayerAndWidgetGoInEitherOrder)
{
    ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
    for (const bool playerFirst : {true, false}) {
        auto player = std::make_unique<RVMpvPlayer>(RVMpvPlayer::Options{{"ao", "null"}});
        auto widget = std::make_unique<RVMpvVideoWidget>(player.get());
        widget->show();
        ASSERT_TRUE(waitFor([&] { return widget->hasRenderContext(); }));
        player->load(tripClip(0), 0.0, false);
        spin(300);
        if (playerFirst) { // the player frees the widget's render context before its handle
            player.reset();
            EXPECT_FALSE(widget->hasRenderContext());
            widget->update();
            spin(100);
        } else { // the player plays on without a surface
            widget.reset();
            spin(300);
            player->seek(1.0);
            spin(300);
            EXPECT_DOUBLE_EQ(player->currentTime(), 1.0);
        }
    }
}

TEST(MpvPlayerSoundOnly, ARecordingWithSoundOnlyPlaysToItsEnd)
{
    // The window's own player options: where no sound device opens (as on the test
    // machines) the sound still has to keep time for playback to run.
    QTemporaryDir dir;
    const QString path = dir.filePath("sound.m4a");
    ASSERT_TRUE(ClipFactory::ffmpeg(
        {"-f", "lavfi", "-i", "sine=frequency=440:duration=1.5", "-c:a", "aac", path}));
    RVMpvPlayer player;
    QStringList failures;
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&](QString m) { failures << m; });
    QSignalSpy ends(&player, &RVMpvPlayer::endReached);
    player.load(path, 0.0, false);
    ASSERT_TRUE(waitFor([&] { return !ends.isEmpty() || !failures.isEmpty(); }));
    EXPECT_EQ(failures, QStringList());
    EXPECT_TRUE(player.videoSize().isEmpty());
    EXPECT_NEAR(player.currentTime(), 1.5, 0.1);
}

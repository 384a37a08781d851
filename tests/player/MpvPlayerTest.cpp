#include "ClipFactory.h"

#include "player/RVMpvPlayer.h"
#include "player/RVMpvVideoWidget.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using ClipFactory::frameNumber;
using ClipFactory::spin;
using ClipFactory::waitFor;

namespace {

constexpr double kFrame = 0.04; // the clips run at 25 frames per second

// Clips beside the shared trip (frames numbered 0-74, 75-149, 150-224), made once: one with
// a key frame only every 10 seconds, one larger than the still limit, and a file that is no
// video at all.
struct Clips
{
    Clips()
    {
        ok = dir.isValid() && !ClipFactory::tripDir().isEmpty() &&
             ClipFactory::make(longGop, {320, 240, 25, 12.0, 0, 250}) &&
             ClipFactory::make(large, {2400, 1200, 25, 0.4, 0, 25}) &&
             ClipFactory::makeBroken(corrupt);
    }
    static QString trip(int index) { return ClipFactory::tripClip(index); }
    QTemporaryDir dir;
    const QString longGop = dir.filePath("longgop.mp4");
    const QString large = dir.filePath("large.mp4");
    const QString corrupt = dir.filePath("corrupt.mp4");
    const QString missing = dir.filePath("missing.mp4");
    bool ok = false;
};

// A player with its video surface in a real window, and what it reported.
struct Rig
{
    Rig() : player(RVMpvPlayer::Options{{"ao", "null"}}), widget(&player)
    {
        widget.resize(640, 480); // the clips' 4:3 shape, so the picture fills the widget
        widget.show();
        using P = RVMpvPlayer;
        QObject::connect(&player, &P::itemReady, [this] { ++ready; });
        QObject::connect(&player, &P::itemFailed, [this](QString m) { failures.push_back(m); });
        QObject::connect(&player, &P::endReached, [this] { ++ends; });
        QObject::connect(&player, &P::startReached, [this] { ++starts; });
        QObject::connect(&player, &P::firstFrameShown, [this] { ++firstFrames; });
        QObject::connect(&player, &P::seekFinished, [this](double s) { seeks.push_back(s); });
        QObject::connect(&player, &P::rateChanged, [this](double r) { rates.push_back(r); });
        QObject::connect(&player, &P::tick, [this](double s) {
            ticks.push_back({clock.elapsed() / 1000.0, s});
        });
        clock.start();
        waitFor([this] { return widget.hasRenderContext(); });
    }

    // Loads `path` paused and waits until its first frame is on screen.
    bool loadPaused(const QString& path, double start = 0.0)
    {
        const int before = firstFrames;
        player.load(path, start, true);
        return waitFor([&] { return firstFrames > before; }, 10000);
    }
    bool seekAndWait(double seconds)
    {
        const size_t before = seeks.size();
        player.seek(seconds);
        return waitFor([&] { return seeks.size() > before; }, 10000);
    }
    // The frame number the window shows once it settles on `expected` (or what it shows).
    std::optional<int> shownFrame(std::optional<int> expected = std::nullopt)
    {
        std::optional<int> shown;
        waitFor(
            [&] {
                shown = frameNumber(widget.grabFramebuffer());
                return !expected || shown == expected;
            },
            2000);
        return shown;
    }

    RVMpvPlayer player;
    RVMpvVideoWidget widget;
    QElapsedTimer clock;
    int ready = 0;
    int ends = 0;
    int starts = 0;
    int firstFrames = 0;
    std::vector<QString> failures;
    std::vector<double> seeks;
    std::vector<double> rates;
    struct Tick
    {
        double wall;
        double position;
    };
    std::vector<Tick> ticks;
};

// The frame number in the widget's framebuffer, read while it draws (from frameRendered,
// with its GL context current). GL's rows run bottom-up: the bits are in the upper half.
std::optional<int> drawnFrameNumber(const RVMpvVideoWidget& widget)
{
    QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
    const int w = widget.width();
    const int h = widget.height();
    QImage rows(w, 4, QImage::Format_RGBA8888); // rows 1 and 3: where frameNumber looks
    rows.fill(Qt::black);
    // mpv may leave a framebuffer of its own bound.
    gl->glBindFramebuffer(GL_FRAMEBUFFER, widget.defaultFramebufferObject());
    gl->glReadPixels(0, h - 1 - h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(1));
    gl->glReadPixels(0, h / 4, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.scanLine(3));
    return frameNumber(rows);
}

class MpvPlayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(clips().ok);
        rig = std::make_unique<Rig>();
        ASSERT_TRUE(rig->player.isValid()) << rig->player.errorString().toStdString();
        ASSERT_TRUE(rig->widget.hasRenderContext());
    }
    static Clips& clips()
    {
        static Clips made;
        return made;
    }
    std::unique_ptr<Rig> rig;
};

// The longest time the position did not move while it should have, in seconds.
double longestStall(const std::vector<Rig::Tick>& ticks)
{
    double longest = 0.0;
    size_t since = 0;
    for (size_t i = 1; i < ticks.size(); ++i) {
        if (ticks[i].position != ticks[since].position) {
            longest = std::max(longest, ticks[i - 1].wall - ticks[since].wall);
            since = i;
        }
    }
    return std::max(longest, ticks.back().wall - ticks[since].wall);
}

} // namespace

TEST_F(MpvPlayer, LoadShowsTheFirstFrameTheRightWayUpAndExactSeeksLandOnTheirFrame)
{
    ASSERT_TRUE(rig->loadPaused(clips().trip(1)));
    EXPECT_EQ(rig->ready, 1);
    EXPECT_NEAR(rig->player.duration(), 3.0, 0.05);
    EXPECT_NEAR(rig->player.framesPerSecond(), 25.0, 0.01);
    EXPECT_EQ(rig->player.videoSize(), QSize(320, 240));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    // The window really shows the picture, not a blank surface, and not upside down
    // (the number is read from the top half, the bottom half must be grey).
    EXPECT_EQ(rig->shownFrame(75), 75);
    EXPECT_GT(rig->widget.renderedFrames(), 0u);

    // Loading with a start position lands exactly on that frame.
    ASSERT_TRUE(rig->loadPaused(clips().trip(2), 1.2));
    EXPECT_NEAR(rig->player.currentTime(), 1.2, 0.001);
    EXPECT_EQ(rig->shownFrame(150 + 30), 150 + 30);
    EXPECT_EQ(rig->ready, 2);
    EXPECT_TRUE(rig->failures.empty());

    ASSERT_TRUE(rig->loadPaused(clips().trip(0)));
    // Between key frames (1 s apart): an exact seek decodes up to the frame itself.
    for (double target : {1.52, 0.0, 2.96}) {
        ASSERT_TRUE(rig->seekAndWait(target)) << target;
        EXPECT_NEAR(rig->player.currentTime(), target, kFrame / 2) << target;
        EXPECT_EQ(rig->shownFrame(qRound(target / kFrame)), qRound(target / kFrame)) << target;
    }
    // A burst of seeks (a dragged slider): the position reports the latest target at once,
    // the player settles there and reports the finish once.
    const size_t before = rig->seeks.size();
    rig->player.seek(2.0);
    rig->player.seek(0.4);
    rig->player.seek(1.08);
    EXPECT_DOUBLE_EQ(rig->player.currentTime(), 1.08);
    ASSERT_TRUE(waitFor([&] { return rig->seeks.size() > before; }));
    spin(300);
    EXPECT_EQ(rig->seeks.size(), before + 1);
    EXPECT_NEAR(rig->seeks.back(), 1.08, kFrame / 2);
    EXPECT_EQ(rig->shownFrame(27), 27);
    // Out of range targets are clamped to the file.
    ASSERT_TRUE(rig->seekAndWait(-5.0));
    EXPECT_EQ(rig->shownFrame(0), 0);

    // A seek while playing keeps playing from the new place.
    rig->player.play();
    ASSERT_TRUE(rig->seekAndWait(2.0));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 1.0);
    EXPECT_GE(rig->player.currentTime(), 1.96);
}

TEST_F(MpvPlayer, FrameStepsMoveExactlyOneFrame)
{
    ASSERT_TRUE(rig->loadPaused(clips().trip(0)));
    ASSERT_TRUE(rig->seekAndWait(1.52));
    ASSERT_EQ(rig->shownFrame(38), 38);

    auto step = [&](int direction) {
        const size_t before = rig->seeks.size();
        rig->player.stepFrame(direction);
        return waitFor([&] { return rig->seeks.size() > before; }, 10000);
    };
    ASSERT_TRUE(step(+1));
    EXPECT_NEAR(rig->player.currentTime(), 1.56, 0.001);
    EXPECT_EQ(rig->shownFrame(39), 39);
    ASSERT_TRUE(step(-1));
    ASSERT_TRUE(step(-1));
    EXPECT_NEAR(rig->player.currentTime(), 1.48, 0.001);
    EXPECT_EQ(rig->shownFrame(37), 37);
    // Back across a key frame (frame 25 is one).
    ASSERT_TRUE(rig->seekAndWait(1.0));
    ASSERT_TRUE(step(-1));
    EXPECT_EQ(rig->shownFrame(24), 24);

    // A step back on the first frame stays there, and the player still answers afterwards.
    ASSERT_TRUE(rig->seekAndWait(0.0));
    rig->player.stepFrame(-1);
    spin(500);
    EXPECT_NEAR(rig->player.currentTime(), 0.0, 1e-6);
    ASSERT_TRUE(rig->seekAndWait(0.4));
    EXPECT_EQ(rig->shownFrame(10), 10);

    // A step while playing pauses first.
    rig->player.play();
    spin(200);
    rig->player.stepFrame(+1);
    EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    spin(300);
    const auto shown = rig->shownFrame();
    ASSERT_TRUE(shown.has_value());
    EXPECT_NEAR(rig->player.currentTime(), *shown * kFrame, 0.001);
}

TEST_F(MpvPlayer, ForwardRatesAdvanceTimeAtThatSpeedWithATickEveryTenthOfASecond)
{
    ASSERT_TRUE(rig->loadPaused(clips().longGop));
    for (double rate : {1.0, 4.0}) {
        ASSERT_TRUE(rig->seekAndWait(1.0));
        rig->player.setRate(rate);
        EXPECT_DOUBLE_EQ(rig->rates.back(), rate);
        spin(400); // let playback settle
        rig->ticks.clear();
        const double wall0 = rig->clock.elapsed() / 1000.0;
        const double position0 = rig->player.currentTime();
        spin(1000);
        const double advanced = rig->player.currentTime() - position0;
        const double elapsed = rig->clock.elapsed() / 1000.0 - wall0;
        EXPECT_NEAR(advanced / elapsed, rate, 0.25 * rate) << "rate " << rate;
        EXPECT_GE(rig->ticks.size(), 8u) << "rate " << rate;
        EXPECT_LE(rig->ticks.size(), 12u) << "rate " << rate;
        for (size_t i = 1; i < rig->ticks.size(); ++i)
            EXPECT_GE(rig->ticks[i].position, rig->ticks[i - 1].position);
        rig->player.pause();
    }
    // While paused the tick stays quiet.
    spin(150);
    const size_t ticks = rig->ticks.size();
    spin(400);
    EXPECT_EQ(rig->ticks.size(), ticks);
}

TEST_F(MpvPlayer, NegativeRatesPlayBackwardWithoutFreezing)
{
    // A clip with a single key frame in 10 seconds, where each backward frame needs up to 250
    // frames decoded.
    struct Case
    {
        double start;
        double rate;
    };
    for (const Case& c : {Case{9.8, -1.0}, Case{11.0, -4.0}}) {
        SCOPED_TRACE("rate " + std::to_string(c.rate));
        ASSERT_TRUE(rig->loadPaused(clips().longGop, c.start));
        rig->ticks.clear();
        rig->player.setRate(c.rate);
        spin(1500);
        ASSERT_GE(rig->ticks.size(), 10u);
        // Time runs backward steadily: never forward, never stuck for long.
        for (size_t i = 1; i < rig->ticks.size(); ++i)
            ASSERT_LE(rig->ticks[i].position, rig->ticks[i - 1].position + 1e-9);
        // (mpv's own backward mode stops for good here; a step may take a while on a busy
        // machine, as every one decodes from the key frame before it.)
        EXPECT_LT(longestStall(rig->ticks), 1.0);
        // ... at the requested rate, as closely as decoding allows.
        // The picture may lag the clock by the time one step takes, no more.
        const auto& first = rig->ticks.front();
        const auto& last = rig->ticks.back();
        const double ideal = first.position + c.rate * (last.wall - first.wall);
        EXPECT_NEAR(last.position, ideal, -c.rate * longestStall(rig->ticks) + 2 * kFrame);
        EXPECT_LT(last.position, first.position - 0.5 * -c.rate * (last.wall - first.wall));
        // The picture follows the time.
        const double position = rig->player.currentTime();
        rig->player.pause();
        EXPECT_TRUE(waitFor(
            [&] {
                const auto shown = frameNumber(rig->widget.grabFramebuffer());
                return shown && std::abs(*shown * kFrame - rig->player.currentTime()) < kFrame;
            },
            3000));
        EXPECT_LT(rig->player.currentTime(), position + 1e-6);
    }

    // Backward play stops on the first frame and says so.
    ASSERT_TRUE(rig->loadPaused(clips().trip(0), 0.6));
    rig->player.setRate(-2.0);
    ASSERT_TRUE(waitFor([&] { return rig->starts == 1; }, 5000));
    EXPECT_DOUBLE_EQ(rig->rates.back(), 0.0);
    EXPECT_NEAR(rig->player.currentTime(), 0.0, 1e-6);
    EXPECT_EQ(rig->shownFrame(0), 0);
    // Play forward again from there.
    rig->player.play();
    spin(500);
    EXPECT_GT(rig->player.currentTime(), 0.2);
}

TEST_F(MpvPlayer, EndOfTheLastFileIsSignalledAndKeepsTheLastFrame)
{
    ASSERT_TRUE(rig->loadPaused(clips().trip(2), 2.5));
    rig->player.play();
    ASSERT_TRUE(waitFor([&] { return rig->ends == 1; }, 5000));
    EXPECT_DOUBLE_EQ(rig->rates.back(), 0.0);
    // The position is the item's end, as a controller checking "at the end" expects.
    EXPECT_DOUBLE_EQ(rig->player.currentTime(), rig->player.duration());
    EXPECT_EQ(rig->shownFrame(224), 224);
    // A jump right to the end while playing (six seconds forward, capped) ends the item again,
    // once.
    ASSERT_TRUE(rig->seekAndWait(1.0));
    rig->player.play();
    rig->player.seek(rig->player.duration());
    ASSERT_TRUE(waitFor([&] { return rig->ends == 2; }, 5000));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    spin(300);
    EXPECT_EQ(rig->ends, 2);
}

TEST_F(MpvPlayer, RunsOnIntoTheQueuedNextFileWithoutReloading)
{
    ASSERT_TRUE(rig->loadPaused(clips().trip(0), 2.2));
    rig->player.setNextPath(clips().trip(1));
    std::vector<int> drawn;
    QObject::connect(&rig->widget, &RVMpvVideoWidget::frameRendered, &rig->widget, [&] {
        if (const auto number = drawnFrameNumber(rig->widget))
            drawn.push_back(*number);
    });
    // What a controller does at the end of a file: put the next one in.
    QString next = clips().trip(1);
    QObject::connect(&rig->player, &RVMpvPlayer::endReached, &rig->player,
                     [&] { rig->player.load(next, 0.0, rig->player.rate() == 0.0); });
    const int firstFramesBefore = rig->firstFrames;
    rig->player.play();
    ASSERT_TRUE(waitFor([&] { return rig->ends == 1; }, 5000));
    ASSERT_TRUE(waitFor([&] { return rig->firstFrames > firstFramesBefore; }, 5000));
    EXPECT_EQ(rig->firstFrames, firstFramesBefore + 1); // one start, not a reload
    EXPECT_EQ(rig->player.currentPath(), clips().trip(1));
    EXPECT_DOUBLE_EQ(rig->player.rate(), 1.0);
    ASSERT_TRUE(waitFor([&] { return rig->player.isReady(); }));
    EXPECT_NEAR(rig->player.duration(), 3.0, 0.05);
    spin(500);
    EXPECT_GT(rig->player.currentTime(), 0.2);
    EXPECT_LT(rig->player.currentTime(), 1.5);
    rig->player.pause();
    spin(200);
    const auto shown = rig->shownFrame();
    ASSERT_TRUE(shown.has_value());
    EXPECT_GE(*shown, 75); // the second file's frames
    EXPECT_TRUE(rig->failures.empty());
    // Across the join: the first file's last frame, then the next file's first, and every
    // frame drawn once, in order.
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 74), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 75), drawn.end());
    EXPECT_TRUE(std::adjacent_find(drawn.begin(), drawn.end(), std::greater_equal<int>()) ==
                drawn.end());

    // At twice the speed into the third file: it runs on at that speed.
    next = clips().trip(2);
    rig->player.setNextPath(next);
    rig->player.setRate(2.0);
    ASSERT_TRUE(waitFor([&] { return rig->ends == 2; }, 5000));
    EXPECT_EQ(rig->player.currentPath(), clips().trip(2));
    rig->ticks.clear();
    spin(800);
    ASSERT_GE(rig->ticks.size(), 4u);
    const auto& first = rig->ticks[1]; // the first may still be the join's own
    const auto& last = rig->ticks.back();
    EXPECT_NEAR((last.position - first.position) / (last.wall - first.wall), 2.0, 0.5);
    EXPECT_DOUBLE_EQ(rig->player.rate(), 2.0);
}

TEST_F(MpvPlayer, UnplayableFilesFail)
{
    for (const QString& path : {clips().corrupt, clips().missing}) {
        rig->failures.clear();
        rig->player.load(path, 0.0, false);
        ASSERT_TRUE(waitFor([&] { return !rig->failures.empty(); }, 5000)) << path.toStdString();
        EXPECT_TRUE(rig->failures.front().contains(path));
        EXPECT_FALSE(rig->player.isReady());
        EXPECT_DOUBLE_EQ(rig->player.rate(), 0.0);
    }
    EXPECT_EQ(rig->ready, 0);
    // The player recovers with a good file.
    ASSERT_TRUE(rig->loadPaused(clips().trip(0), 1.0));
    EXPECT_EQ(rig->shownFrame(25), 25);

    // A queued next file that fails is reported when the player reaches it.
    rig->failures.clear();
    rig->player.setNextPath(clips().corrupt);
    ASSERT_TRUE(rig->seekAndWait(2.8));
    rig->player.play();
    ASSERT_TRUE(waitFor([&] { return !rig->failures.empty(); }, 5000));
    EXPECT_TRUE(rig->failures.front().contains(clips().corrupt));
}

TEST_F(MpvPlayer, StillsAreTheFrameOnScreenAtTheVideosSize)
{
    ASSERT_TRUE(rig->loadPaused(clips().trip(0), 1.72));
    QImage still;
    QString failure;
    QObject::connect(&rig->player, &RVMpvPlayer::stillReady, [&](const QImage& i) { still = i; });
    QObject::connect(&rig->player, &RVMpvPlayer::stillFailed,
                     [&](const QString& message) { failure = message; });
    auto grab = [&] {
        still = {};
        rig->player.grabStill({2000, 2000});
        return waitFor([&] { return !still.isNull() || !failure.isEmpty(); });
    };
    ASSERT_TRUE(grab());
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(still.size(), QSize(320, 240)); // the video's size, not the window's 640x480
    EXPECT_EQ(frameNumber(still), 43);

    // Larger than 2000 x 2000: scaled down to fit, keeping the shape.
    ASSERT_TRUE(rig->loadPaused(clips().large, 0.2));
    ASSERT_TRUE(grab());
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(still.size(), QSize(2000, 1000));
    EXPECT_EQ(frameNumber(still), 5);

    // Nothing in the player: a failure, not an empty picture.
    rig->player.unload();
    spin(200);
    ASSERT_TRUE(grab());
    EXPECT_TRUE(still.isNull());
    EXPECT_FALSE(failure.isEmpty());
}

TEST(MpvPlayerLifetime, PlayerAndWidgetGoInEitherOrder)
{
    ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
    // The player first: it frees the widget's render context before its mpv handle.
    {
        auto player = std::make_unique<RVMpvPlayer>(RVMpvPlayer::Options{{"ao", "null"}});
        RVMpvVideoWidget widget(player.get());
        widget.resize(320, 240);
        widget.show();
        ASSERT_TRUE(waitFor([&] { return widget.hasRenderContext(); }));
        player->load(Clips::trip(0), 0.0, false);
        spin(300);
        player.reset();
        EXPECT_FALSE(widget.hasRenderContext());
        widget.update();
        spin(100);
    }
    // The widget first, while playing; the player plays on without a surface.
    {
        RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
        auto widget = std::make_unique<RVMpvVideoWidget>(&player);
        widget->resize(320, 240);
        widget->show();
        ASSERT_TRUE(waitFor([&] { return widget->hasRenderContext(); }));
        player.load(Clips::trip(0), 0.0, false);
        spin(300);
        widget.reset();
        spin(300);
        player.seek(1.0);
        spin(300);
        EXPECT_DOUBLE_EQ(player.currentTime(), 1.0);
    }
}

TEST(MpvPlayerSoundOnly, ARecordingWithSoundOnlyPlaysToItsEnd)
{
    // The window's player, with no audio options of the tests: where no sound device opens
    // (as on the test machines) the sound still has to keep time for playback to run.
    QTemporaryDir dir;
    const QString path = dir.filePath("sound.m4a");
    ASSERT_TRUE(ClipFactory::ffmpeg(
        {"-f", "lavfi", "-i", "sine=frequency=440:duration=1.5", "-c:a", "aac", path}));
    RVMpvPlayer player;
    QStringList failures;
    int ends = 0;
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&](QString m) { failures << m; });
    QObject::connect(&player, &RVMpvPlayer::endReached, [&] { ++ends; });
    player.load(path, 0.0, false);
    ASSERT_TRUE(waitFor([&] { return ends > 0 || !failures.isEmpty(); }, 10000));
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(player.videoSize().isEmpty());
    EXPECT_NEAR(player.currentTime(), 1.5, 0.1);
}

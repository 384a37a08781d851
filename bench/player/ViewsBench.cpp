// Figures for a recording with front and rear 1080p views (run under xvfb-run or on a
// desktop, like player_bench):
//  - CPU time per second of playback: the front view alone, both views side by side and as a
//    picture in picture (decoded and put together in one mpv handle), and both views played
//    by two mpv handles that are given the same commands;
//  - the largest difference between the two views' positions, in frames, while playing
//    across a join of two files, after random seeks and after frame steps. Each clip's frames
//    carry their number as eleven boxes at the top left, read from stills of the one
//    composed picture; the two-handle way compares the two handles' positions.
#include "BenchSupport.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"
#include "player/video/RVViewLayout.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <random>

namespace {

using benchsupport::processCpuSeconds;
// Woken every 5 ms: the views' positions are sampled while it waits.
bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return benchsupport::waitFor(condition, timeoutMs, 5);
}

constexpr int kFps = 30;
constexpr double kClipSeconds = 10.0;
constexpr int kBits = 11;
constexpr int kBox = 64; // pixels per bit box

QString clip(const char* camera, int index)
{
    const QString dir = QDir::temp().filePath(QStringLiteral("korvela-views-bench"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("%1%2.mp4").arg(camera).arg(index));
}

// 1080p H.264 at 10 Mbit/s, a key frame every second, moving pattern with grain like camera
// footage; the rear clips are the negative picture. Frame numbers run on across the two
// files of each camera (0-299, 300-599).
bool makeClip(const char* camera, int index)
{
    const QString path = clip(camera, index);
    if (QFileInfo::exists(path))
        return true;
    QString filters = QStringLiteral("noise=alls=10:allf=t,");
    if (QLatin1String(camera) == QLatin1String("rear"))
        filters += QStringLiteral("negate,");
    filters +=
        QStringLiteral("drawbox=x=0:y=0:w=%1:h=%2:c=black:t=fill").arg(kBits * kBox).arg(kBox);
    for (int bit = 0; bit < kBits; ++bit) {
        filters += QStringLiteral(",drawbox=x=%1:y=0:w=%2:h=%2:c=white:t=fill:"
                                  "enable='bitand(n+%3,%4)'")
                       .arg(bit * kBox)
                       .arg(kBox)
                       .arg(index * int(kClipSeconds) * kFps)
                       .arg(1 << bit);
    }
    filters += QStringLiteral(",format=yuv420p");
    const QString partial = path + QStringLiteral(".part.mp4");
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedChannels);
    ffmpeg.start(
        "ffmpeg",
        {"-nostdin",
         "-loglevel",
         "error",
         "-y",
         "-f",
         "lavfi",
         "-i",
         QStringLiteral("testsrc2=size=1920x1080:rate=%1:duration=%2").arg(kFps).arg(kClipSeconds),
         "-vf",
         filters,
         "-c:v",
         "libx264",
         "-preset",
         "veryfast",
         "-b:v",
         "10M",
         "-maxrate",
         "10M",
         "-bufsize",
         "10M",
         "-g",
         QString::number(kFps),
         "-sc_threshold",
         "0",
         "-f",
         "mp4",
         partial});
    if (!ffmpeg.waitForFinished(900000) || ffmpeg.exitCode() != 0)
        return false;
    return QFile::rename(partial, path);
}

bool makeClips()
{
    return makeClip("front", 0) && makeClip("front", 1) && makeClip("rear", 0) &&
           makeClip("rear", 1);
}

std::vector<RVVideoView> viewsOf(int index)
{
    return {{RVChannel::Front, clip("front", index)}, {RVChannel::Rear, clip("rear", index)}};
}

// A player in a window at the size the window gives the video, following one camera's
// files of the trip like the controller does.
struct Stage
{
    explicit Stage(RVViewChoice choice, const char* camera = "front")
        : choice(choice), camera(camera), player(RVMpvPlayer::Options{{"ao", "null"}}),
          widget(&player)
    {
        widget.resize(960, 540);
        widget.show();
        QObject::connect(&player, &RVMpvPlayer::firstFrameShown, [this] { ++firstFrames; });
        QObject::connect(&player, &RVMpvPlayer::seekFinished, [this] { ++seeks; });
        QObject::connect(&player, &RVMpvPlayer::endReached, [this] {
            if (player.currentPath() == clip(this->camera, 1))
                return; // moved on by itself
            player.load(clip(this->camera, 1), 0.0, false, sources(1));
        });
        waitFor([this] { return widget.hasRenderContext(); }, 10000);
    }
    RVViewSources sources(int index) const
    {
        if (QLatin1String(camera) != QLatin1String("front"))
            return {};
        return RVViewLayout::sourcesFor(viewsOf(index), clip(camera, index), choice);
    }
    bool loadPaused(int index, double start)
    {
        const int before = firstFrames;
        player.load(clip(camera, index), start, true, sources(index));
        if (index == 0)
            player.setNextPath(clip(camera, 1), sources(1));
        return waitFor([&] { return firstFrames > before; }, 20000);
    }
    bool seekAndWait(double seconds)
    {
        const int before = seeks;
        player.seek(seconds);
        return waitFor([&] { return seeks > before; }, 20000);
    }
    std::optional<QImage> still()
    {
        std::optional<QImage> image;
        bool answered = false;
        QObject context;
        QObject::connect(&player, &RVMpvPlayer::stillReady, &context, [&](const QImage& i) {
            image = i;
            answered = true;
        });
        QObject::connect(&player, &RVMpvPlayer::stillFailed, &context, [&] { answered = true; });
        player.grabStill({8000, 8000});
        waitFor([&] { return answered; }, 10000);
        return image;
    }

    RVViewChoice choice;
    const char* camera;
    RVMpvPlayer player;
    RVMpvVideoWidget widget;
    int firstFrames = 0;
    int seeks = 0;
};

std::optional<int> numberAt(const QImage& image, int left)
{
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int level = qGray(image.pixel(left + bit * kBox + kBox / 2, kBox / 2));
        if (level > 160)
            number |= 1 << bit;
        else if (level > 90)
            return std::nullopt;
    }
    return number;
}

// The frame difference between the two halves of a side-by-side still.
std::optional<int> viewDifference(const QImage& image)
{
    const auto left = numberAt(image, 0);
    const auto right = numberAt(image, image.width() / 2);
    if (!left || !right)
        return std::nullopt;
    return std::abs(*left - *right);
}

void playFor(double seconds)
{
    waitFor([] { return false; }, int(seconds * 1000));
}

void runCpu(benchmark::State& state, RVViewChoice choice, bool twoHandles)
{
    if (!makeClips()) {
        state.SkipWithError("ffmpeg could not make the clips");
        return;
    }
    const RVViewChoice frontOnly{RVChannel::Front, RVViewArrangement::Single};
    Stage stage(twoHandles ? frontOnly : choice);
    std::unique_ptr<Stage> rear;
    if (twoHandles) {
        rear = std::make_unique<Stage>(frontOnly, "rear");
        rear->widget.move(0, 560);
    }
    double cpu = 0.0, played = 0.0;
    for (auto _ : state) {
        if (!stage.loadPaused(0, 1.0) || (rear && !rear->loadPaused(0, 1.0))) {
            state.SkipWithError("the clips did not load");
            return;
        }
        const double cpuStart = processCpuSeconds();
        const double startPosition = stage.player.currentTime();
        stage.player.play();
        if (rear)
            rear->player.play();
        playFor(7.0);
        played += stage.player.currentTime() - startPosition;
        cpu += processCpuSeconds() - cpuStart;
        stage.player.pause();
        if (rear)
            rear->player.pause();
    }
    state.counters["cpu_s_per_play_s"] = played > 0.0 ? cpu / played : 0.0;
    state.counters["play_speed"] = played / (7.0 * double(state.iterations()));
    std::fprintf(stderr, "CPU per second of playback: %.3f s (%.0f%% of one core)\n", cpu / played,
                 100.0 * cpu / played);
}

void BM_CpuFrontOnly(benchmark::State& state)
{
    runCpu(state, {RVChannel::Front, RVViewArrangement::Single}, false);
}
void BM_CpuSideBySide(benchmark::State& state)
{
    runCpu(state, {RVChannel::Front, RVViewArrangement::SideBySide}, false);
}
void BM_CpuPictureInPicture(benchmark::State& state)
{
    runCpu(state, {RVChannel::Front, RVViewArrangement::PictureInPicture}, false);
}
void BM_CpuTwoHandles(benchmark::State& state)
{
    runCpu(state, {}, true);
}

// One composed picture: stills while playing across the join, after seeks, after steps.
void BM_ViewDifferenceComposed(benchmark::State& state)
{
    if (!makeClips()) {
        state.SkipWithError("ffmpeg could not make the clips");
        return;
    }
    Stage stage({RVChannel::Front, RVViewArrangement::SideBySide});
    std::mt19937 random(7);
    std::uniform_real_distribution<double> where(0.0, kClipSeconds - 0.5);
    int playing = 0, seeking = 0, stepping = 0, samples = 0, unread = 0;
    auto sample = [&](int& largest) {
        const auto image = stage.still();
        const auto difference = image ? viewDifference(*image) : std::nullopt;
        ++samples;
        if (!difference)
            ++unread;
        else
            largest = std::max(largest, *difference);
    };
    for (auto _ : state) {
        if (!stage.loadPaused(0, kClipSeconds - 2.0)) {
            state.SkipWithError("the clips did not load");
            return;
        }
        stage.player.play();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 4000) // two seconds before the join and two after
            sample(playing);
        stage.player.pause();
        for (int i = 0; i < 20; ++i) {
            if (!stage.seekAndWait(where(random)))
                break;
            sample(seeking);
            stage.player.stepFrame(i % 2 ? 1 : -1);
            playFor(0.15);
            sample(stepping);
        }
    }
    state.counters["max_frames_playing"] = playing;
    state.counters["max_frames_seeking"] = seeking;
    state.counters["max_frames_stepping"] = stepping;
    std::fprintf(stderr,
                 "composed views: largest difference %d frames playing (join included), %d after "
                 "seeks, %d after steps; %d stills, %d unreadable\n",
                 playing, seeking, stepping, samples, unread);
}

// Two handles given the same commands: their positions every 20 ms while playing across the
// join, and once each seek has finished in both.
void BM_ViewDifferenceTwoHandles(benchmark::State& state)
{
    if (!makeClips()) {
        state.SkipWithError("ffmpeg could not make the clips");
        return;
    }
    Stage front({RVChannel::Front, RVViewArrangement::Single});
    Stage rear({}, "rear");
    rear.widget.move(0, 560);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> where(0.0, kClipSeconds - 0.5);
    double playing = 0.0, seeking = 0.0;
    // Trip time: a handle that moved on to the second file is 10 s further.
    auto tripTime = [](Stage& stage) {
        return stage.player.currentTime() +
               (stage.player.currentPath() == clip(stage.camera, 1) ? kClipSeconds : 0.0);
    };
    for (auto _ : state) {
        if (!front.loadPaused(0, kClipSeconds - 2.0) || !rear.loadPaused(0, kClipSeconds - 2.0)) {
            state.SkipWithError("the clips did not load");
            return;
        }
        front.player.play();
        rear.player.play();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 4000) {
            playFor(0.02);
            playing = std::max(playing, std::abs(tripTime(front) - tripTime(rear)));
        }
        front.player.pause();
        rear.player.pause();
        for (int i = 0; i < 20; ++i) {
            const double target = where(random);
            const int before = front.seeks + rear.seeks;
            front.player.seek(target);
            rear.player.seek(target);
            waitFor([&] { return front.seeks + rear.seeks >= before + 2; }, 20000);
            seeking = std::max(seeking, std::abs(tripTime(front) - tripTime(rear)));
        }
    }
    state.counters["max_frames_playing"] = playing * kFps;
    state.counters["max_frames_seeking"] = seeking * kFps;
    std::fprintf(stderr,
                 "two handles: largest position difference %.1f frames playing (join included), "
                 "%.1f after seeks\n",
                 playing * kFps, seeking * kFps);
}

} // namespace

BENCHMARK(BM_CpuFrontOnly)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_CpuSideBySide)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_CpuPictureInPicture)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_CpuTwoHandles)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_ViewDifferenceComposed)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_ViewDifferenceTwoHandles)->Iterations(2)->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "views_bench needs a display; run it under xvfb-run -a\n");
        return 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

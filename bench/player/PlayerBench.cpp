// Playback figures on a real mpv in a real window (run under xvfb-run or on a desktop):
//  - seek latency: from the seek request to the first frame of the new position drawn by the
//    video widget, on a 1080p H.264 clip at about 10 Mbit/s with a key frame every second;
//  - the pause at a file boundary: the time between the last frame drawn of one file and the
//    first frame drawn of the next, with the next file queued ahead (gapless) and with the
//    next file loaded only when the first ended (cold).
#include "BenchSupport.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

using benchsupport::processCpuSeconds;
using benchsupport::waitFor;

constexpr int kFps = 30;
constexpr double kClipSeconds = 10.0;

QString clipDirectory()
{
    return QDir::temp().filePath(QStringLiteral("korvela-player-bench"));
}

struct ClipSize
{
    int width;
    int height;
    const char* bitrate;
};
constexpr ClipSize kHd{1920, 1080, "10M"};
constexpr ClipSize kSd{640, 360, "1500k"};

QString clipPath(const ClipSize& size, char name)
{
    return QDir(clipDirectory())
        .filePath(QStringLiteral("clip%1p-%2.mp4").arg(size.height).arg(name));
}
QString hdClip(char name)
{
    return clipPath(kHd, name);
}

// 10 s at 30 fps, H.264 (1080p at 10 Mbit/s, 360p at 1.5 Mbit/s), a key frame every second.
// Moving test pattern with grain, so that the encoder needs the bitrate like camera footage
// does. Made once and kept in the temporary directory; file b is a copy of file a.
bool makeClips(const ClipSize& size = kHd)
{
    QDir().mkpath(clipDirectory());
    const QString first = clipPath(size, 'a');
    if (!QFileInfo::exists(first)) {
        const QString partial = first + QStringLiteral(".part.mp4");
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::ForwardedChannels);
        ffmpeg.start("ffmpeg", {"-nostdin",
                                "-loglevel",
                                "error",
                                "-y",
                                "-f",
                                "lavfi",
                                "-i",
                                QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                                    .arg(size.width)
                                    .arg(size.height)
                                    .arg(kFps)
                                    .arg(kClipSeconds),
                                "-vf",
                                "noise=alls=10:allf=t,format=yuv420p",
                                "-c:v",
                                "libx264",
                                "-preset",
                                "veryfast",
                                "-b:v",
                                size.bitrate,
                                "-maxrate",
                                size.bitrate,
                                "-bufsize",
                                size.bitrate,
                                "-g",
                                QString::number(kFps),
                                "-keyint_min",
                                QString::number(kFps),
                                "-sc_threshold",
                                "0",
                                "-f",
                                "mp4",
                                partial});
        if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0)
            return false;
        QFile::rename(partial, first);
    }
    const QString second = clipPath(size, 'b');
    return QFileInfo::exists(second) || QFile::copy(first, second);
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Player and window, with the time of every new frame the widget draws.
struct Stage
{
    Stage() : player(RVMpvPlayer::Options{{"ao", "null"}}), widget(&player)
    {
        widget.resize(960, 540);
        widget.show();
        clock.start();
        QObject::connect(&widget, &RVMpvVideoWidget::frameRendered,
                         [this] { frames.push_back(now()); });
        QObject::connect(&player, &RVMpvPlayer::firstFrameShown, [this] { ++firstFrames; });
        QObject::connect(&player, &RVMpvPlayer::seekFinished, [this] { ++seeks; });
        waitFor([this] { return widget.hasRenderContext(); }, 10000);
    }
    double now() const { return static_cast<double>(clock.nsecsElapsed()) / 1e9; }
    bool loadPaused(const QString& path, double start)
    {
        const int before = firstFrames;
        player.load(path, start, true);
        return waitFor([&] { return firstFrames > before; }, 20000);
    }

    RVMpvPlayer player;
    RVMpvVideoWidget widget;
    QElapsedTimer clock;
    std::vector<double> frames;
    int firstFrames = 0;
    int seeks = 0;
};

// Prints the spread of `seconds`; the first figure of a benchmark also becomes its counters.
void reportSpread(benchmark::State& state, const std::vector<double>& seconds, const char* what,
                  bool asCounters = false)
{
    const double toMs = 1000.0;
    if (asCounters) {
        state.counters["median_ms"] = percentile(seconds, 0.5) * toMs;
        state.counters["p10_ms"] = percentile(seconds, 0.1) * toMs;
        state.counters["p90_ms"] = percentile(seconds, 0.9) * toMs;
        state.counters["min_ms"] = percentile(seconds, 0.0) * toMs;
        state.counters["max_ms"] = percentile(seconds, 1.0) * toMs;
    }
    std::fprintf(stderr, "%s: n=%zu median %.1f ms, p10 %.1f, p90 %.1f, min %.1f, max %.1f\n", what,
                 seconds.size(), percentile(seconds, 0.5) * toMs, percentile(seconds, 0.1) * toMs,
                 percentile(seconds, 0.9) * toMs, percentile(seconds, 0.0) * toMs,
                 percentile(seconds, 1.0) * toMs);
}

void BM_SeekLatency1080p(benchmark::State& state)
{
    if (!makeClips()) {
        state.SkipWithError("ffmpeg could not make the 1080p clip");
        return;
    }
    Stage stage;
    if (!stage.loadPaused(hdClip('a'), 0.0)) {
        state.SkipWithError("the clip did not load");
        return;
    }
    std::mt19937 random(42);
    std::uniform_real_distribution<double> where(0.0, kClipSeconds - 0.2);
    std::vector<double> toFrame;
    std::vector<double> toSignal;
    std::vector<double> cpu;
    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        const size_t framesBefore = stage.frames.size();
        const int seeksBefore = stage.seeks;
        const double start = stage.now();
        stage.player.seek(where(random));
        if (!waitFor(
                [&] { return stage.frames.size() > framesBefore && stage.seeks > seeksBefore; },
                10000)) {
            state.SkipWithError("a seek did not finish");
            return;
        }
        const double latency = stage.frames[framesBefore] - start;
        toFrame.push_back(latency);
        toSignal.push_back(stage.now() - start);
        cpu.push_back(processCpuSeconds() - cpuStart);
        state.SetIterationTime(latency);
    }
    reportSpread(state, toFrame, "seek to first frame drawn (1080p, 10 Mbit/s, 1 s GOP)", true);
    reportSpread(state, toSignal, "seek to seekFinished signal");
    reportSpread(state, cpu, "CPU time per seek, all threads");
}

// Plays the last 1.5 s of file a into file b and returns the boundary pause and the usual
// frame interval before it, in seconds.
bool boundaryPause(Stage& stage, const ClipSize& size, bool queued, double& pause,
                   double& usualInterval)
{
    const double tailSeconds = 1.5;
    const QString next = clipPath(size, 'b');
    if (!stage.loadPaused(clipPath(size, 'a'), kClipSeconds - tailSeconds))
        return false;
    if (queued)
        stage.player.setNextPath(next);
    double endTime = -1.0;
    QObject context;
    QObject::connect(&stage.player, &RVMpvPlayer::endReached, &context, [&] {
        endTime = stage.now();
        // What the window's controller does: put the trip's next file in. With the file
        // queued, the player has already moved on into it and keeps it.
        stage.player.load(next, 0.0, false);
    });
    stage.frames.clear();
    stage.player.play();
    const int firstFramesBefore = stage.firstFrames;
    if (!waitFor([&] { return stage.firstFrames > firstFramesBefore; }, 20000))
        return false;
    waitFor([] { return false; }, 500); // a few frames of file b
    stage.player.pause();
    const auto boundary = std::find_if(stage.frames.begin(), stage.frames.end(),
                                       [&](double t) { return t > endTime; });
    if (endTime < 0.0 || boundary == stage.frames.begin() || boundary == stage.frames.end())
        return false;
    pause = *boundary - *(boundary - 1);
    std::vector<double> intervals;
    for (auto it = stage.frames.begin() + 1; it < boundary - 1; ++it)
        intervals.push_back(*it - *(it - 1));
    usualInterval = percentile(intervals, 0.5);
    return true;
}

void runBoundary(benchmark::State& state, const ClipSize& size, bool queued)
{
    if (!makeClips(size)) {
        state.SkipWithError("ffmpeg could not make the clip");
        return;
    }
    Stage stage;
    std::vector<double> pauses;
    std::vector<double> excess;
    std::vector<double> usual;
    for (auto _ : state) {
        double pause = 0.0;
        double interval = 0.0;
        if (!boundaryPause(stage, size, queued, pause, interval)) {
            state.SkipWithError("the boundary was not crossed");
            return;
        }
        pauses.push_back(pause);
        usual.push_back(interval);
        excess.push_back(pause - interval);
        state.SetIterationTime(pause);
    }
    const std::string name = std::to_string(size.height) + "p, " +
                             (queued ? "queued next file" : "next file loaded at the end");
    reportSpread(state, pauses, ("boundary pause, " + name).c_str(), true);
    reportSpread(state, usual, "  usual frame interval before it");
    reportSpread(state, excess, "  pause beyond the usual interval");
    state.counters["frame_ms"] = 1000.0 / kFps;
}

void BM_FileBoundaryQueued1080p(benchmark::State& state)
{
    runBoundary(state, kHd, true);
}
void BM_FileBoundaryCold1080p(benchmark::State& state)
{
    runBoundary(state, kHd, false);
}
void BM_FileBoundaryQueued360p(benchmark::State& state)
{
    runBoundary(state, kSd, true);
}
void BM_FileBoundaryCold360p(benchmark::State& state)
{
    runBoundary(state, kSd, false);
}

} // namespace

BENCHMARK(BM_SeekLatency1080p)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBoundaryQueued1080p)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBoundaryCold1080p)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBoundaryQueued360p)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBoundaryCold360p)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "player_bench needs a display; run it under xvfb-run -a\n");
        return 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Hover thumbnail latency: from the request to the provider to the finished 160 x 90 image in
// its completion handler, on 1080p H.264 clips at about 10 Mbit/s (a moving test pattern with
// grain, so the encoder spends the bitrate as on camera footage). Hover requests are whole
// seconds, picked at random. Three key-frame spacings:
//  - 30 fps, a key frame every second (the cameras' usual): every request starts on a key frame;
//  - 60 fps, a key frame every half second: the same, with twice the frames per second;
//  - 30 fps, a key frame every 1.5 s: every other request decodes 15 or 30 frames past a key
//    frame, the case of cameras with longer groups of pictures.
// And the pointer sweeping along the whole slider, where most requests hit a second already
// shown. No display needed. The clips are made once and kept in the temporary directory.
#include "player/files/RVThumbnailsProvider.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>
#include <vector>

namespace {

constexpr int kClipSeconds = 10;

struct ClipKind
{
    int fps;
    int keyFrameInterval; // frames
    const char* name;
};
constexpr ClipKind kKeyEverySecond{30, 30, "30fps-g30"};
constexpr ClipKind kKeyEveryHalfSecond{60, 30, "60fps-g30"};
constexpr ClipKind kKeyEvery1500ms{30, 45, "30fps-g45"};

QString clipPath(const ClipKind& kind)
{
    const QString dir = QDir::temp().filePath(QStringLiteral("korvela-thumbnail-bench"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("clip1080p-%1.mp4").arg(QLatin1String(kind.name)));
}

bool makeClip(const ClipKind& kind)
{
    const QString path = clipPath(kind);
    if (QFileInfo::exists(path))
        return true;
    const QString partial = path + QStringLiteral(".part.mp4");
    const QString keys = QString::number(kind.keyFrameInterval);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-nostdin",
                  "-loglevel",
                  "error",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("testsrc2=size=1920x1080:rate=%1:duration=%2")
                      .arg(kind.fps)
                      .arg(kClipSeconds),
                  "-vf",
                  "noise=alls=10:allf=t,format=yuv420p",
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
                  keys,
                  "-keyint_min",
                  keys,
                  "-sc_threshold",
                  "0",
                  "-f",
                  "mp4",
                  partial});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return false;
    return QFile::rename(partial, path);
}

// CPU time of the whole process, seconds: the worker's decoding, while the caller waits.
// Unlike the wall-clock latency it does not grow when other programs load the machine.
double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void hoverLatency(benchmark::State& state, const ClipKind& kind)
{
    if (!makeClip(kind)) {
        state.SkipWithError("ffmpeg could not make the clip");
        return;
    }
    const QString path = clipPath(kind);
    std::mutex mutex;
    std::condition_variable done;
    int delivered = 0;
    bool allValid = true;
    // Nothing kept: every request decodes (the first hover over each second).
    RVThumbnailsProvider provider(0);
    provider.setCompletionHandler([&](const QImage& image) {
        std::lock_guard lock(mutex);
        ++delivered;
        allValid = allValid && image.size() == QSize(160, 90);
        done.notify_all();
    });
    std::mt19937 random(7);
    std::uniform_int_distribution<int> second(0, kClipSeconds - 1);
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    QElapsedTimer clock;
    for (auto _ : state) {
        // A fraction of a second past the whole second, as a pointer position gives.
        const double time = second(random) + 0.4;
        int before = 0;
        {
            std::lock_guard lock(mutex);
            before = delivered;
        }
        const double cpuBefore = processCpuSeconds();
        clock.start();
        provider.buildThumbnailForFile(path, time);
        {
            std::unique_lock lock(mutex);
            done.wait(lock, [&] { return delivered > before; });
        }
        const double elapsed = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
        cpuSeconds.push_back(processCpuSeconds() - cpuBefore);
    }
    provider.waitForDone();
    if (!allValid)
        state.SkipWithError("a thumbnail was missing or of the wrong size");
    state.counters["median_ms"] = percentile(seconds, 0.5) * 1000;
    state.counters["p90_ms"] = percentile(seconds, 0.9) * 1000;
    state.counters["max_ms"] = percentile(seconds, 1.0) * 1000;
    state.counters["cpu_median_ms"] = percentile(cpuSeconds, 0.5) * 1000;
    std::fprintf(stderr,
                 "hover thumbnail %s: n=%zu median %.1f ms, p10 %.1f, p90 %.1f, max %.1f; "
                 "CPU median %.1f ms\n",
                 kind.name, seconds.size(), percentile(seconds, 0.5) * 1000,
                 percentile(seconds, 0.1) * 1000, percentile(seconds, 0.9) * 1000,
                 percentile(seconds, 1.0) * 1000, percentile(cpuSeconds, 0.5) * 1000);
}

// The pointer sweeping to and fro along a slider 600 points wide over the clip, one request
// per 4 points moved (about every 70 ms of the clip): most requests fall in a second already
// shown and are answered from the kept thumbnails. Figures per request, wall clock.
void BM_HoverSweep1080p30fpsKeyEverySecond(benchmark::State& state)
{
    if (!makeClip(kKeyEverySecond)) {
        state.SkipWithError("ffmpeg could not make the clip");
        return;
    }
    const QString path = clipPath(kKeyEverySecond);
    std::mutex mutex;
    std::condition_variable done;
    int delivered = 0;
    RVThumbnailsProvider provider;
    provider.setCompletionHandler([&](const QImage&) {
        std::lock_guard lock(mutex);
        ++delivered;
        done.notify_all();
    });
    std::vector<double> seconds;
    QElapsedTimer clock;
    int step = 0;
    for (auto _ : state) {
        const int position = step++ % 300; // 150 steps out, 150 back
        const double fraction = (position < 150 ? position : 300 - position) / 150.0;
        int before = 0;
        {
            std::lock_guard lock(mutex);
            before = delivered;
        }
        clock.start();
        provider.buildThumbnailForFile(path, fraction * (kClipSeconds - 0.01));
        {
            std::unique_lock lock(mutex);
            done.wait(lock, [&] { return delivered > before; });
        }
        const double elapsed = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    provider.waitForDone();
    state.counters["median_ms"] = percentile(seconds, 0.5) * 1000;
    state.counters["cache_hits"] = double(provider.cacheHits());
    std::fprintf(stderr,
                 "hover sweep 30fps-g30: n=%zu median %.2f ms, p90 %.1f, max %.1f, %zu from the "
                 "kept thumbnails\n",
                 seconds.size(), percentile(seconds, 0.5) * 1000, percentile(seconds, 0.9) * 1000,
                 percentile(seconds, 1.0) * 1000, provider.cacheHits());
}

void BM_HoverThumbnail1080p30fpsKeyEverySecond(benchmark::State& state)
{
    hoverLatency(state, kKeyEverySecond);
}
void BM_HoverThumbnail1080p60fpsKeyEveryHalfSecond(benchmark::State& state)
{
    hoverLatency(state, kKeyEveryHalfSecond);
}
void BM_HoverThumbnail1080p30fpsKeyEvery1500ms(benchmark::State& state)
{
    hoverLatency(state, kKeyEvery1500ms);
}

} // namespace

BENCHMARK(BM_HoverThumbnail1080p30fpsKeyEverySecond)
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverThumbnail1080p60fpsKeyEveryHalfSecond)
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverThumbnail1080p30fpsKeyEvery1500ms)
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_HoverSweep1080p30fpsKeyEverySecond)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

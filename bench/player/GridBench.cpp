// CPU per second of playback for a car's cameras as one grid (run under xvfb-run or on a
// desktop, like views_bench): four and six 1280 x 960 views at 36 frames a second (a Tesla's
// cameras), decoded and stacked in one mpv handle as the window shows them, and the front view
// alone for comparison. Besides the CPU time of the whole process (decoders, filter graph,
// renderer, GUI) over 8 s of playback, it counts the frames mpv dropped to keep the clock:
// a grid that drops frames cannot keep real time on this machine.
#include "BenchSupport.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"
#include "player/video/RVViewLayout.h"

#include <benchmark/benchmark.h>
#include <mpv/client.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace {

using benchsupport::processCpuSeconds;
using benchsupport::waitFor;

constexpr int kFps = 36;
constexpr double kClipSeconds = 12.0;
constexpr double kPlaySeconds = 8.0;

const RVChannel kCameras[] = {RVChannel::Front, RVChannel::Rear,       RVChannel::Left,
                              RVChannel::Right, RVChannel::LeftPillar, RVChannel::RightPillar};

QString clip(int camera)
{
    const QString dir = QDir::temp().filePath(QStringLiteral("korvela-grid-bench"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("camera%1.mp4").arg(camera));
}

// H.264 at 5 Mbit/s (what the car writes per camera), a key frame a second, a moving pattern
// with grain like camera footage; each camera's picture in its own hue.
bool makeClip(int camera)
{
    const QString path = clip(camera);
    if (QFileInfo::exists(path))
        return true;
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
         QStringLiteral("testsrc2=size=1280x960:rate=%1:duration=%2").arg(kFps).arg(kClipSeconds),
         "-vf",
         QStringLiteral("noise=alls=10:allf=t,hue=h=%1,format=yuv420p").arg(camera * 60),
         "-c:v",
         "libx264",
         "-preset",
         "veryfast",
         "-b:v",
         "5M",
         "-maxrate",
         "5M",
         "-bufsize",
         "5M",
         "-g",
         QString::number(kFps),
         "-f",
         "mp4",
         partial});
    if (!ffmpeg.waitForFinished(900000) || ffmpeg.exitCode() != 0)
        return false;
    return QFile::rename(partial, path);
}

std::int64_t intProperty(mpv_handle* handle, const char* name)
{
    std::int64_t value = 0;
    if (!handle || mpv_get_property(handle, name, MPV_FORMAT_INT64, &value) < 0)
        return 0;
    return value;
}

void runGrid(benchmark::State& state, int views, RVViewArrangement arrangement)
{
    std::vector<RVVideoView> cameras;
    for (int i = 0; i < views; ++i) {
        if (!makeClip(i)) {
            state.SkipWithError("ffmpeg could not make the clips");
            return;
        }
        cameras.push_back({kCameras[i], clip(i)});
    }
    const RVViewSources sources =
        RVViewLayout::sourcesFor(cameras, clip(0), {RVChannel::Front, arrangement});
    RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
    RVMpvVideoWidget widget(&player);
    widget.resize(1280, 720); // the video area of a large window
    widget.show();
    waitFor([&] { return widget.hasRenderContext(); }, 10000);
    int firstFrames = 0;
    QObject::connect(&player, &RVMpvPlayer::firstFrameShown, [&] { ++firstFrames; });

    double cpu = 0.0, played = 0.0, wall = 0.0;
    std::int64_t dropped = 0, decoderDropped = 0;
    for (auto _ : state) {
        const int before = firstFrames;
        player.load(clip(0), 1.0, true, sources);
        if (!waitFor([&] { return firstFrames > before; }, 30000)) {
            state.SkipWithError("the clips did not load");
            return;
        }
        mpv_handle* mpv = player.handle(player.activeHandleIndex());
        const std::int64_t droppedBefore = intProperty(mpv, "frame-drop-count");
        const std::int64_t decoderBefore = intProperty(mpv, "decoder-frame-drop-count");
        const double cpuStart = processCpuSeconds();
        const double startPosition = player.currentTime();
        QElapsedTimer clock;
        clock.start();
        player.play();
        waitFor([] { return false; }, int(kPlaySeconds * 1000));
        played += player.currentTime() - startPosition;
        wall += double(clock.elapsed()) / 1000.0;
        cpu += processCpuSeconds() - cpuStart;
        dropped += intProperty(mpv, "frame-drop-count") - droppedBefore;
        decoderDropped += intProperty(mpv, "decoder-frame-drop-count") - decoderBefore;
        player.pause();
    }
    const double frames = played * kFps;
    state.counters["cpu_s_per_play_s"] = played > 0.0 ? cpu / played : 0.0;
    state.counters["play_speed"] = wall > 0.0 ? played / wall : 0.0;
    state.counters["dropped_per_cent"] = frames > 0.0 ? 100.0 * double(dropped) / frames : 0.0;
    std::fprintf(stderr,
                 "%d view(s)%s: CPU per second of playback %.3f s (%.0f%% of one core), "
                 "%.2f s played in %.2f s, %lld of %.0f frames dropped by the output, %lld by "
                 "the decoder\n",
                 views, arrangement == RVViewArrangement::Grid ? " as a grid" : "",
                 played > 0.0 ? cpu / played : 0.0, played > 0.0 ? 100.0 * cpu / played : 0.0,
                 played, wall, static_cast<long long>(dropped), frames,
                 static_cast<long long>(decoderDropped));
}

void BM_FrontAlone(benchmark::State& state)
{
    runGrid(state, 1, RVViewArrangement::Single);
}
void BM_Grid4(benchmark::State& state)
{
    runGrid(state, 4, RVViewArrangement::Grid);
}
void BM_Grid6(benchmark::State& state)
{
    runGrid(state, 6, RVViewArrangement::Grid);
}

} // namespace

BENCHMARK(BM_FrontAlone)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_Grid4)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_Grid6)->Iterations(2)->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "grid_bench needs a display; run it under xvfb-run -a\n");
        return 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

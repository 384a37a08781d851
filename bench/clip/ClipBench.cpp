// Clip export speed in "x real time" (clip seconds per second of work) and peak memory
// (maximum resident set of the process so far, MB: run one benchmark per process with
// --benchmark_filter for its own peak). Inputs, made with ffmpeg in a temporary folder removed
// afterwards: a 60-second 1080p30 H.264 recording with sound, used as each file of a ten-file
// (or sixty-file, one-hour) trip, and a 60-second 160x120 one at 5 pictures a second for the
// one-hour re-encode (short enough to run here), which shows that memory does not grow with
// the clip's length.
#include "clip/RVClipExporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// A 60-second recording of the given size in the temporary folder, made once.
QString input(const char* size, int rate)
{
    static QTemporaryDir dir;
    const QString path =
        dir.filePath(QStringLiteral("front-%1-%2.mp4").arg(QLatin1String(size)).arg(rate));
    if (QFile::exists(path))
        return path;
    const int status = QProcess::execute(
        QStringLiteral("ffmpeg"),
        {"-nostdin",
         "-loglevel",
         "error",
         "-y",
         "-f",
         "lavfi",
         "-i",
         QStringLiteral("testsrc2=size=%1:rate=%2:duration=60").arg(QLatin1String(size)).arg(rate),
         "-f",
         "lavfi",
         "-i",
         "sine=frequency=440:duration=60",
         "-c:v",
         "libx264",
         "-preset",
         "ultrafast",
         "-crf",
         "30",
         "-g",
         "30",
         "-c:a",
         "aac",
         "-shortest",
         path});
    if (status != 0)
        std::fprintf(stderr, "ffmpeg could not make the bench's input\n");
    return path;
}

RVClipRequest trip(double from, double to, bool twoViews, int files = 10,
                   const char* size = "1920x1080", int rate = 30)
{
    RVClipRequest request;
    const QString front = input(size, rate);
    for (int i = 0; i < files; ++i)
        request.sources.push_back(
            {twoViews ? QStringList{front, front} : QStringList{front}, 60.0 * i});
    request.fromSeconds = from;
    request.toSeconds = to;
    request.outputPath = QFileInfo(front).dir().filePath(QStringLiteral("clip.mp4"));
    request.series.cameraStart = QDateTime(QDate(2026, 5, 16), QTime(10, 0, 0), Qt::UTC);
    for (int s = 0; s < 60 * files; ++s) {
        RVClipSample sample;
        sample.tripSeconds = s;
        sample.point = RVPoint(std::to_string(52.5 + s * 1e-4), std::to_string(13.4 + s * 1e-4), 30,
                               45, 50, {});
        sample.speedKmh = 50 + s % 30;
        request.series.samples.push_back(sample);
    }
    return request;
}

void run(benchmark::State& state, const RVClipRequest& request)
{
    for (auto _ : state) {
        const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
        if (!result.ok) {
            state.SkipWithError(result.error.toUtf8().constData());
            return;
        }
    }
    const double clipSeconds = request.toSeconds - request.fromSeconds;
    state.counters["x_real_time"] =
        benchmark::Counter(clipSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_OriginalTenFiles(benchmark::State& state)
{
    run(state, trip(0.5, 599.5, false));
}

void BM_Reencode1080OneViewReadouts(benchmark::State& state)
{
    RVClipRequest request = trip(55.0, 75.0, false); // across a join
    request.quality = RVClipQuality::Full1080;
    request.readouts = RVReadout::Time | RVReadout::Speed | RVReadout::Position |
                       RVReadout::Heading | RVReadout::Map;
    run(state, request);
}

void BM_PictureInPicture1080Readouts(benchmark::State& state)
{
    RVClipRequest request = trip(55.0, 65.0, true);
    request.layout = RVClipLayout::PictureInPicture;
    request.quality = RVClipQuality::Full1080;
    request.readouts = RVReadout::Time | RVReadout::Speed | RVReadout::Map;
    run(state, request);
}

// One hour over sixty files: memory stays that of one file's packets.
void BM_OriginalOneHour(benchmark::State& state)
{
    run(state, trip(0.5, 3599.5, false, 60));
}

// One hour re-encoded with read-outs (from small pictures, to keep the run short): the
// decoder, filter graph and encoder hold a bounded number of frames whatever the length.
void BM_ReencodeOneHourReadouts(benchmark::State& state)
{
    RVClipRequest request = trip(0.0, 3600.0, false, 60, "160x120", 5);
    request.readouts = RVReadout::Time | RVReadout::Speed | RVReadout::Map;
    run(state, request);
}

} // namespace

BENCHMARK(BM_OriginalTenFiles)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Reencode1080OneViewReadouts)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PictureInPicture1080Readouts)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_OriginalOneHour)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ReencodeOneHourReadouts)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_ERROR);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Figures of the export layer.
//
// EndToEndGpx/HOURS: a Korvela recording whose side text holds a 10 Hz NMEA log (GGA + RMC
// per fix) of HOURS hours, turned into GPX by `korvela-export --format gpx` and, in the same
// iteration, by `gpsbabel -i nmea -f LOG -o gpx -F OUT`. Both run as child processes; wall
// time, CPU time (user + system) and peak resident memory come from wait4(). The ratios are
// GPSBabel's figure over ours (throughput ratio: above 1 means we are faster).
//
// GPSBabel's time depends on the TZ variable: without it, glibc looks at /etc/localtime again
// on every time conversion, and GPSBabel converts every fix (about 4x its CPU time here). Both
// programs run in the environment the benchmark is given; the counter tz_set says which one.
//
// The file systems are synced before each run. GPSBabel leaves its output to the kernel's
// writeback, and korvela-export syncs its own file before renaming it into place, so without
// this korvela-export's sync also waited for GPSBabel's output of the run before (about
// 10 ms of its wall time for the one-hour log).
//
// The writer benchmarks build the documents of a 24-hour track (864,000 points) in memory.

#include "NmeaLog.h"
#include "export/RVExcelWriter.h"
#include "export/RVKmlWriter.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVGpxWriter.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kFixesPerHour = 36000;

struct ChildRun
{
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
};

// Runs a program with its output streams sent to /dev/null and measures it.
ChildRun runChild(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.wallSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            run.peakMegabytes = double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// A card folder with FILE0001.MOV (a real, tiny video) and its side text FILE0001.txt.
struct Card
{
    QTemporaryDir dir;
    QString log;
    QString output;
    qint64 logBytes = 0;
};

std::unique_ptr<Card> makeCard(int hours)
{
    auto card = std::make_unique<Card>();
    const QString folder = card->dir.filePath(QStringLiteral("card"));
    QDir().mkpath(folder);
    NmeaLogShape shape;
    shape.fixes = hours * kFixesPerHour;
    card->log = folder + QStringLiteral("/FILE0001.txt");
    if (!writeNmeaLog(card->log, shape))
        return nullptr;
    card->logBytes = QFile(card->log).size();
    const std::string video = (folder + QStringLiteral("/FILE0001.MOV")).toStdString();
    if (!runChild({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=s=32x32:r=2:d=10", "-c:v",
                   "mpeg4", "-y", video})
             .ok)
        return nullptr;
    card->output = card->dir.filePath(QStringLiteral("out"));
    return card;
}

void EndToEndGpx(benchmark::State& state)
{
    const int hours = int(state.range(0));
    const std::unique_ptr<Card> card = makeCard(hours);
    if (!card) {
        state.SkipWithError("could not make the card (ffmpeg?)");
        return;
    }
    const std::string tool = KORVELA_BINARY_DIR "/tools/korvela-export";
    const std::string folder = card->dir.filePath(QStringLiteral("card")).toStdString();
    const std::string output = card->output.toStdString();
    const std::string babelOut = card->dir.filePath(QStringLiteral("babel.gpx")).toStdString();
    ChildRun ours;
    ChildRun babel;
    int runs = 0;
    for (auto _ : state) {
        sync();
        const ChildRun a = runChild({tool, "--format", "gpx", "--output", output, folder});
        sync();
        const ChildRun b = runChild(
            {"gpsbabel", "-i", "nmea", "-f", card->log.toStdString(), "-o", "gpx", "-F", babelOut});
        if (!a.ok || !b.ok) {
            state.SkipWithError(a.ok ? "gpsbabel failed" : "korvela-export failed");
            return;
        }
        state.SetIterationTime(a.wallSeconds);
        ours.wallSeconds += a.wallSeconds;
        ours.cpuSeconds += a.cpuSeconds;
        ours.peakMegabytes = std::max(ours.peakMegabytes, a.peakMegabytes);
        babel.wallSeconds += b.wallSeconds;
        babel.cpuSeconds += b.cpuSeconds;
        babel.peakMegabytes = std::max(babel.peakMegabytes, b.peakMegabytes);
        ++runs;
    }
    state.counters["fixes"] = double(hours * kFixesPerHour);
    state.counters["log_MB"] = double(card->logBytes) / 1e6;
    state.counters["ours_wall_s"] = ours.wallSeconds / runs;
    state.counters["ours_cpu_s"] = ours.cpuSeconds / runs;
    state.counters["ours_peak_MB"] = ours.peakMegabytes;
    state.counters["babel_wall_s"] = babel.wallSeconds / runs;
    state.counters["babel_cpu_s"] = babel.cpuSeconds / runs;
    state.counters["babel_peak_MB"] = babel.peakMegabytes;
    state.counters["ratio_wall"] = babel.wallSeconds / ours.wallSeconds;
    state.counters["ratio_cpu"] = babel.cpuSeconds / ours.cpuSeconds;
    state.counters["tz_set"] = qEnvironmentVariableIsSet("TZ") ? 1 : 0;
}
BENCHMARK(EndToEndGpx)->Arg(1)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(EndToEndGpx)->Arg(24)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A day's track as the readers give it: six-decimal coordinate texts, every 13th a zero point.
const std::vector<RVPoint>& dayTrack()
{
    static const std::vector<RVPoint> points = [] {
        std::vector<RVPoint> out;
        out.reserve(24 * kFixesPerHour);
        char latitude[32];
        char longitude[32];
        for (int i = 0; i < 24 * kFixesPerHour; ++i) {
            if (i % 13 == 12) {
                out.emplace_back("0.000000", "0.000000", 0, 0, 0, RVTimestamp());
                continue;
            }
            std::snprintf(latitude, sizeof latitude, "%.06f", 53.9 + 0.0000135 * i);
            std::snprintf(longitude, sizeof longitude, "%.06f", 27.5 + 0.0000228 * i);
            out.emplace_back(latitude, longitude, 210 + (i % 600) * 0.1, i % 360, 54.3,
                             RVTimestamp::fromMSecsSinceEpoch(1425200700000 + 100LL * i));
        }
        return out;
    }();
    return points;
}

// A device that takes every byte and keeps none: what streaming to a file costs without the
// file system.
class NullDevice final : public QIODevice
{
public:
    NullDevice() { open(QIODevice::WriteOnly); }
    qint64 written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        written += size;
        return size;
    }
};

// state.range(0): 0 builds the text in memory (the window's export), 1 streams it in blocks
// (korvela-export), UTF-8 or, for the tables, UTF-16.
template <typename Write>
void build(benchmark::State& state, RVExportSink::Encoding encoding, Write write)
{
    dayTrack(); // built once, outside the timing
    std::int64_t bytes = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            RVExportSink sink;
            write(sink);
            const QByteArray text = sink.takeText();
            bytes += text.size();
            benchmark::DoNotOptimize(text.constData());
        } else {
            NullDevice device;
            RVExportSink sink(&device, encoding);
            write(sink);
            sink.finish();
            bytes += device.written;
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(dayTrack().size()));
    state.SetBytesProcessed(bytes);
}

void GpxWriterDay(benchmark::State& state)
{
    const std::vector<double> speeds(dayTrack().size(), 54.3);
    build(state, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
        RVGpxWriter::write(sink, {QStringLiteral("FILE0001.MOV"),
                                  RVTimestamp::fromMSecsSinceEpoch(1425200700000), 86400.0f,
                                  dayTrack(), speeds});
    });
}
BENCHMARK(GpxWriterDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void KmlWriterDay(benchmark::State& state)
{
    build(state, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
        RVKmlWriter::write(sink, QStringLiteral("FILE0001.MOV"), dayTrack());
    });
}
BENCHMARK(KmlWriterDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void GpsTableDay(benchmark::State& state)
{
    const RVExcelNumberFormat numbers(QLocale(QLocale::English, QLocale::UnitedStates));
    const RVDateFormatter dates(RVDateFormatter::Pattern::Export);
    build(state, RVExportSink::Encoding::Utf16LittleEndian, [&](RVExportSink& sink) {
        RVExcelWriter::writeGpsTable(sink, dayTrack(), RVExcelTitles::localized(), numbers, dates);
    });
}
BENCHMARK(GpsTableDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void SensorTableDay(benchmark::State& state)
{
    // Korvela-style labels: one per track point, shared by the samples until the next point.
    std::vector<RVSensorData> samples;
    samples.reserve(dayTrack().size());
    for (std::size_t i = 0; i < dayTrack().size(); ++i) {
        samples.emplace_back(0.001 * double(i % 200), -0.0125, 0.5, 0.5,
                             RVSensorLabel::instant(RVTimestamp::fromMSecsSinceEpoch(
                                 1425200700000 + 1000 * std::int64_t(i / 10))));
    }
    const RVExcelNumberFormat numbers(QLocale(QLocale::English, QLocale::UnitedStates));
    build(state, RVExportSink::Encoding::Utf16LittleEndian, [&](RVExportSink& sink) {
        RVExcelWriter::writeSensorTable(sink, samples, RVExcelTitles::localized(), numbers);
    });
}
BENCHMARK(SensorTableDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// korvela-export --format json: how fast a long recording is read and streamed out, and how
// much memory that takes (peak resident set size of the process).

#include "export/RVJsonWriter.h"
#include "tools/korvela-export/RVExportFormats.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>

namespace {

// A Korvela side text of `fixes` fixes at 10 Hz: GGA, RMC and one "$GS" line per fix.
QByteArray korvelaText(int fixes)
{
    QByteArray text;
    text.reserve(qsizetype(fixes) * 170);
    char line[160];
    for (int i = 0; i < fixes; ++i) {
        const int ms = i * 100;
        const int h = (ms / 3600000) % 24;
        const int m = (ms / 60000) % 60;
        const int s = (ms / 1000) % 60;
        const double minutes = 29.886 + i * 0.0001;
        std::snprintf(line, sizeof line,
                      "$GPGGA,%02d%02d%02d.%03d,61%07.4f,N,02345.6000,E,1,09,0.9,%.1f,M,18.0,M,,*00"
                      "\r\n",
                      h, m, s, ms % 1000, std::fmod(minutes, 60.0), 110 + std::sin(i / 600.0) * 20);
        text += line;
        std::snprintf(
            line, sizeof line,
            "$GPRMC,%02d%02d%02d.%03d,A,61%07.4f,N,02345.6000,E,%.3f,%.2f,140526,,,A*00\r\n", h, m,
            s, ms % 1000, std::fmod(minutes, 60.0), 27 + std::sin(i / 50.0) * 5,
            std::fmod(i * 0.1, 360.0));
        text += line;
        std::snprintf(line, sizeof line, "$GS,%d,%d,%d\r\n", (i * 7) % 200 - 100,
                      (i * 13) % 300 - 150, 1000 + (i * 17) % 100 - 50);
        text += line;
    }
    return text;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ExportJsonKorvelaRecording(benchmark::State& state)
{
    const int fixes = int(state.range(0));
    QTemporaryDir dir;
    const QString video = dir.filePath(QStringLiteral("FILE0001.MOV"));
    QFile(video).open(QIODevice::WriteOnly);
    QFile text(dir.filePath(QStringLiteral("FILE0001.txt")));
    text.open(QIODevice::WriteOnly);
    text.write(korvelaText(fixes));
    text.close();

    std::FILE* sink = std::fopen("/dev/null", "w");
    RVExportContext context;
    context.files = {video};
    context.out = sink;
    for (auto _ : state)
        benchmark::DoNotOptimize(runJsonFormat(context));
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * fixes);
    state.counters["textMB"] = double(text.size()) / 1e6;
    state.counters["peakRssMB"] = double(peakRssKiB()) / 1024.0;
}
// Ten minutes and one hour at 10 Hz.
BENCHMARK(BM_ExportJsonKorvelaRecording)->Arg(6000)->Arg(36000)->Unit(benchmark::kMillisecond);

void BM_JsonWriterPoints(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    const int count = int(state.range(0));
    for (auto _ : state) {
        RVJsonWriter json(sink);
        json.beginArray(RVJsonWriter::Layout::OnePerLine);
        for (int i = 0; i < count; ++i) {
            json.beginObject();
            json.key("latitude");
            json.string(std::string_view("61.498104"));
            json.key("altitude");
            json.number(112.0 + i * 0.1);
            json.key("velocity");
            json.number(18.519999980926514 + i);
            json.endObject();
        }
        json.endArray();
    }
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_JsonWriterPoints)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Throughput of the readers of data carried in a track of the video, on one hour of
// recording written to a temporary file (read back through the page cache, one core):
//   Track/GoProHour      3,600 GPMF samples (a real GoPro MAX sample, 6,188 bytes, each
//                        1.001 s long) in a "gpmd" track: 17 fixes and 198 accelerometer
//                        samples a second
//   Track/ThinkwareHour  36,000 subtitle cues at 10 Hz: a G-sensor line in each, an RMC
//                        sentence in every tenth
// MB/s counts the sample bytes the reader reads (the video between them is never read).
#include "metadata/RVGoProMetaDataReader.h"
#include "metadata/RVThinkwareMetaDataReader.h"

#include "metadata/TrackFiles.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kSeconds = 3600;

struct HourFile
{
    QTemporaryDir dir;
    QString path;
    std::int64_t sampleBytes = 0;
};

void write(HourFile& file, const TrackFiles::Track& track)
{
    file.path = file.dir.path() + "/hour.mp4";
    QFile out(file.path);
    if (!out.open(QIODevice::WriteOnly) || out.write(TrackFiles::movie({track})) < 0)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.path));
    for (const QByteArray& sample : track.samples)
        file.sampleBytes += sample.size();
}

template <typename Reader>
void readHour(benchmark::State& state, const HourFile& file)
{
    std::size_t points = 0, samples = 0;
    for (auto _ : state) {
        QFile video(file.path);
        video.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        const std::optional<RVMetaData> data = Reader::readMetaData(video, video.size());
        points = data ? data->points.size() : 0;
        samples = data ? data->gSensorData.size() : 0;
        benchmark::DoNotOptimize(points);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * file.sampleBytes);
    state.counters["points"] = double(points);
    state.counters["sensor"] = double(samples);
}

void goProHour(benchmark::State& state)
{
    static HourFile file;
    if (file.path.isEmpty()) {
        QFile real(QStringLiteral(KORVELA_SOURCE_DIR "/tests/data/gopro/max-heromode-gpmd-1.bin"));
        if (!real.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the GoPro sample is missing");
            return;
        }
        TrackFiles::Track track;
        track.handler = "meta";
        track.codec = "gpmd";
        track.delta = 1001;
        track.samples.assign(kSeconds, real.readAll());
        write(file, track);
    }
    readHour<RVGoProMetaDataReader>(state, file);
}
BENCHMARK(goProHour)->Name("Track/GoProHour")->Unit(benchmark::kMillisecond);

void thinkwareHour(benchmark::State& state)
{
    static HourFile file;
    if (file.path.isEmpty()) {
        TrackFiles::Track track;
        track.delta = 100;
        track.perChunk = 10;
        for (int i = 0; i < kSeconds * 10; ++i) {
            QByteArray cue = "gsensori,4,512,-67,-12," + QByteArray::number(100 + i % 7) + ';';
            if (i % 10 == 0) {
                const int s = i / 10;
                cue += QStringLiteral("GNRMC,%1%2%3.00,A,4529.87489,N,07337.01215,W,6.225,35.34,"
                                      "310819,,,A*52\r\n;")
                           .arg(10 + s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                           .toLatin1();
            }
            track.samples.push_back(TrackFiles::subtitle(cue + "CAR,0,0,0,0.0,0,0,0,0,0,0,0,0"));
        }
        write(file, track);
    }
    readHour<RVThinkwareMetaDataReader>(state, file);
}
BENCHMARK(thinkwareHour)->Name("Track/ThinkwareHour")->Unit(benchmark::kMillisecond);

} // namespace

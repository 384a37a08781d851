// Throughput of the NMEA line scan and the memory a read bundle holds per point and sample.
//
//   NmeaScan/KorvelaText    a generated RMC + GGA log at 10 Hz (one hour), MB/s on one core
//   NmeaScan/BlackVueTrack  the same log with BlackVue's 15-character prefixes
//   Memory/*                bytes held per track point and per sensor sample, counted two
//                           ways: vector capacities (plus any heap text of a point), and the
//                           allocator's own in-use figure (mallinfo2) around the bundle.

#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kFixesPerHour = 36000; // 10 Hz

// NMEA checksum: XOR of the bytes between "$" and "*".
std::string withChecksum(const std::string& body)
{
    unsigned char sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i)
        sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return body + tail;
}

// A drive heading north-east from 55.75N 37.61E at about 60 km/h, 10 fixes a second; every
// fix is a GGA followed by an RMC, as receivers write them. Optionally every line carries a
// BlackVue prefix, and every fix a "$GS" sensor line.
std::string generateLog(int fixes, bool blackVuePrefix, bool sensorLines)
{
    std::string log;
    log.reserve(std::size_t(fixes) * (sensorLines ? 190 : 170));
    char line[160];
    for (int i = 0; i < fixes; ++i) {
        const int tenths = i % 10;
        const int seconds = i / 10;
        const int hh = 8 + seconds / 3600, mm = seconds / 60 % 60, ss = seconds % 60;
        const double latMinutes = 45.1234 + i * 0.0001;
        const double lonMinutes = 36.5678 + i * 0.00015;
        const int latDeg = 55 + int(latMinutes / 60), lonDeg = 37 + int(lonMinutes / 60);
        const std::string prefix =
            blackVuePrefix ? "[" + std::to_string(1499552090960LL + i * 100) + "]" : "";
        std::snprintf(line, sizeof line,
                      "$GPGGA,%02d%02d%02d.%d0,%02d%07.4f,N,%03d%07.4f,E,1,09,0.9,%.1f,M,14.0,M,,",
                      hh, mm, ss, tenths, latDeg, std::fmod(latMinutes, 60), lonDeg,
                      std::fmod(lonMinutes, 60), 145.0 + (i % 200) * 0.1);
        log += prefix + withChecksum(line);
        std::snprintf(line, sizeof line,
                      "$GPRMC,%02d%02d%02d.%d0,A,%02d%07.4f,N,%03d%07.4f,E,%.3f,%.2f,050215,,,A",
                      hh, mm, ss, tenths, latDeg, std::fmod(latMinutes, 60), lonDeg,
                      std::fmod(lonMinutes, 60), 32.4 + (i % 50) * 0.01, 45.0 + (i % 90) * 0.1);
        log += prefix + withChecksum(line);
        if (sensorLines) {
            std::snprintf(line, sizeof line, "$GS,%d,%d,%d\r\n", i % 37 - 18, i % 23 - 11,
                          1000 + i % 41 - 20);
            log += line;
        }
    }
    return log;
}

void korvelaText(benchmark::State& state)
{
    const std::string log = generateLog(kFixesPerHour, false, false);
    std::size_t points = 0;
    for (auto _ : state) {
        const auto data = RVKorvelaMetaDataReader::readMetaDataFromText(log);
        points = data->points.size();
        benchmark::DoNotOptimize(data->points.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(log.size()));
    state.counters["points"] = double(points);
    state.counters["log_MB"] = double(log.size()) / 1e6;
}
BENCHMARK(korvelaText)->Name("NmeaScan/KorvelaText")->Unit(benchmark::kMillisecond);

void blackVueTrack(benchmark::State& state)
{
    const std::string log = generateLog(kFixesPerHour, true, false);
    for (auto _ : state) {
        const RVMetaData data = RVBlackVueMetaDataReader::readMetaDataFromText(log);
        benchmark::DoNotOptimize(data.points.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(log.size()));
}
BENCHMARK(blackVueTrack)->Name("NmeaScan/BlackVueTrack")->Unit(benchmark::kMillisecond);

void sensorRecords(benchmark::State& state)
{
    std::string bytes;
    for (int i = 0; i < kFixesPerHour * 10; ++i) {
        const unsigned char record[10] = {0,
                                          0,
                                          std::uint8_t(i >> 8),
                                          std::uint8_t(i),
                                          0,
                                          0x82,
                                          0,
                                          std::uint8_t(i % 7),
                                          0xff,
                                          std::uint8_t(0xf0 + i % 9)};
        bytes.append(reinterpret_cast<const char*>(record), 10);
    }
    for (auto _ : state) {
        const auto samples = RVBlackVueMetaDataReader::readGSensorFromText(bytes);
        benchmark::DoNotOptimize(samples.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(sensorRecords)->Name("SensorRecords/3gf")->Unit(benchmark::kMillisecond);

// Heap text of a point's coordinates beyond the inline 15 bytes (none for real coordinates).
std::size_t pointHeapBytes(const RVPoint& p)
{
    return (p.latitudeText().size() > 15 ? p.latitudeText().size() : 0) +
           (p.longitudeText().size() > 15 ? p.longitudeText().size() : 0);
}

void bundleMemory(benchmark::State& state)
{
    const std::string log = generateLog(kFixesPerHour, false, true);
    double perPointCapacity = 0, perSampleCapacity = 0, perFixAllocator = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto data = RVKorvelaMetaDataReader::readMetaDataFromText(log);
        data->gSensorData = RVGpsProcessor::sharedInstance().normalizeSensorData(data->gSensorData);
        const std::size_t after = mallinfo2().uordblks;
        std::size_t pointBytes = data->points.capacity() * sizeof(RVPoint) +
                                 data->velocityData.capacity() * sizeof(double);
        for (const RVPoint& p : data->points)
            pointBytes += pointHeapBytes(p);
        const std::size_t sampleBytes = data->gSensorData.capacity() * sizeof(RVSensorData);
        perPointCapacity = double(pointBytes) / double(data->points.size());
        perSampleCapacity = double(sampleBytes) / double(data->gSensorData.size());
        // The allocator's figure covers points, speeds and samples together (one of each per
        // fix here), including its own per-block overhead.
        perFixAllocator = double(after - before) / double(data->points.size());
        benchmark::DoNotOptimize(data->points.data());
    }
    state.counters["bytes_per_point"] = perPointCapacity;
    state.counters["bytes_per_sample"] = perSampleCapacity;
    state.counters["malloc_bytes_per_point+sample"] = perFixAllocator;
}
BENCHMARK(bundleMemory)->Name("Memory/KorvelaBundle")->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();

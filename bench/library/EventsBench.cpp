// Event detection and trip figures over an hour of driving: 360,000 G-sensor samples at 100 Hz
// and 36,000 fixes at 10 Hz (the densest a camera here logs), with a hard stop, a sharp turn
// and a jolt every minute. Figures per hour of recording.

#include "library/RVEventDetector.h"
#include "library/RVTripStats.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr int kSeconds = 3600;
constexpr int kSampleHz = 100;
constexpr int kFixHz = 10;

struct Hour
{
    std::vector<RVPoint> points;
    std::vector<RVSensorData> samples;
    std::vector<double> speeds;

    Hour()
    {
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 0.03);
        for (int i = 0; i < kSeconds * kSampleHz; ++i) {
            const double t = double(i) / kSampleHz;
            const double inMinute = std::fmod(t, 60.0);
            const double along = inMinute >= 20 && inMinute < 22 ? -0.6 : 0.0;
            const double side = inMinute >= 40 && inMinute < 42 ? 0.6 : 0.0;
            const double up = inMinute >= 50 && inMinute < 50.01 ? 2.5 : 0.0;
            const double x = side + noise(random), y = along + noise(random),
                         z = up + noise(random);
            samples.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z), RVSensorLabel());
        }
        double north = 0;
        for (int i = 0; i < kSeconds * kFixHz; ++i) {
            const double t = double(i) / kFixHz;
            const double inMinute = std::fmod(t, 60.0);
            const double kmh = inMinute < 20 ? 60 : inMinute < 22 ? 60 - (inMinute - 20) * 21 : 18;
            north += kmh / 3.6 / kFixHz;
            points.emplace_back(std::to_string(60.0 + north / 111195.0).substr(0, 9), "24.000000",
                                0, 0, kmh,
                                RVTimestamp::fromMSecsSinceEpoch(1'700'000'000'000 + i * 100));
            speeds.push_back(kmh);
        }
    }
};

const Hour& hour()
{
    static const Hour built;
    return built;
}

void BM_EventsPerHourAt100Hz(benchmark::State& state)
{
    const Hour& h = hour();
    RVEventThresholds thresholds = RVEventThresholds::defaults();
    thresholds.speedLimitKmh = 50;
    const RVEventDetector detector(thresholds);
    std::size_t found = 0;
    for (auto _ : state) {
        const std::vector<RVEvent> events = detector.detect(
            {&h.points, &h.samples, &h.speeds, double(kSeconds), RVTimestamp(), QString()});
        found = events.size();
        benchmark::DoNotOptimize(events.data());
    }
    state.counters["events"] = double(found);
    state.counters["samples"] = double(h.samples.size());
}
BENCHMARK(BM_EventsPerHourAt100Hz)->Unit(benchmark::kMillisecond);

void BM_TripFiguresPerHourAt10Hz(benchmark::State& state)
{
    const Hour& h = hour();
    for (auto _ : state) {
        const RVTripStats stats = computeTripStats(h.points, h.speeds);
        benchmark::DoNotOptimize(stats.distanceMetres);
    }
    state.counters["fixes"] = double(h.points.size());
}
BENCHMARK(BM_TripFiguresPerHourAt10Hz)->Unit(benchmark::kMillisecond);

} // namespace

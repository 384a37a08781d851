// Time slider repaint cost with all six graphs over a day of 10 Hz data (864,000 samples per
// series), drawn into an image the size of a typical slider. The repaint runs ten times a
// second while a trip plays; the envelopes are built once per series and width.
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUIUtil.h"
#include "timeline/RVUnits.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr std::size_t daySamples = 864000;

struct Series
{
    std::shared_ptr<const std::vector<RVSensorData>> sensors;
    std::shared_ptr<const std::vector<double>> speeds;
    std::shared_ptr<const std::vector<RVPoint>> points;
};

const Series& series()
{
    static const Series data = [] {
        auto sensors = std::make_shared<std::vector<RVSensorData>>();
        auto speeds = std::make_shared<std::vector<double>>();
        auto points = std::make_shared<std::vector<RVPoint>>();
        sensors->reserve(daySamples);
        speeds->reserve(daySamples);
        points->reserve(daySamples);
        for (std::size_t i = 0; i < daySamples; ++i) {
            const double t = double(i) / 10;
            const double x = 0.3 * std::sin(t / 7), y = 0.2 * std::cos(t / 3),
                         z = 0.1 * std::sin(t);
            sensors->emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z), RVSensorLabel());
            speeds->push_back(60 + 40 * std::sin(t / 600));
            points->emplace_back("55.750000", "37.610000", 150 + 30 * std::cos(t / 900), 0,
                                 speeds->back(), RVTimestamp());
        }
        return Series{std::move(sensors), std::move(speeds), std::move(points)};
    }();
    return data;
}

std::unique_ptr<RVTimeSlider2> makeSlider(int width, int height)
{
    auto slider = std::make_unique<RVTimeSlider2>();
    slider->resize(width, height);
    slider->setGraphEnabled(RVGraph::Velocity, true);
    slider->setGraphEnabled(RVGraph::Altitude, true);
    slider->setGraphEnabled(RVGraph::GSensorCommon, true);
    slider->setGraphEnabled(RVGraph::GSensorX, true);
    slider->setGraphEnabled(RVGraph::GSensorY, true);
    slider->setGraphEnabled(RVGraph::GSensorZ, true);
    slider->setVideoDuration(float(daySamples / 10));
    slider->setGSensorData(series().sensors);
    slider->setVelocityData(series().speeds);
    slider->setPoints(series().points);
    slider->setProgress(0.3);
    slider->setPlayProgress(0.3);
    return slider;
}

// The repaint on every playback tick: only the positions change.
void BM_SliderRepaint(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    auto slider = makeSlider(width, height);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        slider->draw(painter); // builds the envelopes once
    }
    double position = 0;
    for (auto _ : state) {
        position = position >= 1 ? 0 : position + 0.001;
        slider->setProgress(position);
        slider->setPlayProgress(position);
        QPainter painter(&image);
        slider->draw(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["envelopeBuilds"] = double(slider->envelopeBuildCount());
}
BENCHMARK(BM_SliderRepaint)->Args({880, 220})->Args({1910, 400})->Unit(benchmark::kMicrosecond);

// The same slider with no graph shown: background, axis, ticks and marks only.
void BM_SliderRepaintWithoutGraphs(benchmark::State& state)
{
    auto slider = makeSlider(int(state.range(0)), int(state.range(1)));
    for (int graph = 0; graph < RVGraphs::kCount; ++graph)
        slider->setGraphEnabled(RVGraph(graph), false);
    QImage image(slider->width(), slider->height(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        slider->draw(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SliderRepaintWithoutGraphs)
    ->Args({880, 220})
    ->Args({1910, 400})
    ->Unit(benchmark::kMicrosecond);

// One graph band from a prepared envelope.
void BM_DrawGraph(benchmark::State& state)
{
    const double width = double(state.range(0));
    RVGraphEnvelope envelope(daySamples, width - 10);
    for (const RVSensorData& s : *series().sensors)
        envelope.add(s.x());
    QImage image(int(width), 60, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, envelope, QRectF(0, 0, width, 60), "GSENSOR_X_TITLE", 0,
                                 width - 10);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawGraph)->Arg(880)->Arg(1910)->Unit(benchmark::kMicrosecond);

// One short label, as every tick, scale label and title is drawn.
void BM_WriteText(benchmark::State& state)
{
    QImage image(200, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRectF frame(0, 0, 200, 30);
    for (auto _ : state) {
        QPainter painter(&image);
        RVUIUtil::writeText(painter, QStringLiteral("12:34"), 8, 100, 22, frame);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMicrosecond);

// A width change (window resize): all six envelopes are rebuilt from the full series.
void BM_SliderRepaintAfterResize(benchmark::State& state)
{
    auto slider = makeSlider(880, 220);
    QImage image(900, 220, QImage::Format_ARGB32_Premultiplied);
    int width = 880;
    for (auto _ : state) {
        width = width == 880 ? 881 : 880;
        slider->resize(width, 220);
        QPainter painter(&image);
        slider->draw(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SliderRepaintAfterResize)->Unit(benchmark::kMillisecond);

// Reading the units setting, which every repaint does.
void BM_StoredUnits(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(RVUnits::storedSystem());
    }
}
BENCHMARK(BM_StoredUnits)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KorvelaBench"));
    QCoreApplication::setApplicationName(QStringLiteral("timeline_bench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

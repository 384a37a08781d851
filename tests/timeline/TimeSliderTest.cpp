#include "GraphImage.h"
#include "RecordingDelegate.h"
#include "metadata/RVSettings.h"
#include "timeline/RVSliderLayoutUtil.h"
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUnits.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage render(RVTimeSlider2& slider)
{
    QImage image = blankImage(slider.width(), slider.height(), Qt::magenta);
    QPainter painter(&image);
    slider.draw(painter);
    return image;
}

std::shared_ptr<const std::vector<double>> speeds(std::vector<double> values)
{
    return std::make_shared<const std::vector<double>>(std::move(values));
}

std::shared_ptr<const std::vector<RVSensorData>> sensors(std::size_t count)
{
    auto series = std::make_shared<std::vector<RVSensorData>>();
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(i) / 10;
        series->emplace_back(std::sin(t) * 0.3, std::cos(t) * 0.2, std::sin(2 * t) * 0.1,
                             1 + 0.05 * std::sin(3 * t), RVSensorLabel());
    }
    return series;
}

std::shared_ptr<const std::vector<RVPoint>> altitudes(std::vector<double> metres)
{
    auto series = std::make_shared<std::vector<RVPoint>>();
    for (double m : metres)
        series->emplace_back("55.000000", "37.000000", m, 0, 0, RVTimestamp());
    return series;
}

void setMeasurementSystem(const char* value)
{
    if (value)
        RVSettings::setText(RVSettings::kMeasurementSystem, QString::fromLatin1(value));
    else
        RVSettings::store().remove(QLatin1String(RVSettings::kMeasurementSystem));
}

QColor controlColour(const RVTimeSlider2& slider)
{
    return slider.palette().color(QPalette::Window);
}

bool tickAt(const QImage& image, double x)
{
    return anyPixel(image, QRect(int(std::floor(x)) - 1, 11, 3, 1), isLightGrey);
}

} // namespace

TEST(TimeSlider, TicksAndLabelsAlongTheAxis)
{
    RVTimeSlider2 slider;
    slider.resize(1010, 205); // w = 1000: 20 labels, 97 s gives a tick every 5 s
    slider.setProgress(-1);
    QImage image = render(slider);
    // No trip: nothing, not even the axis line.
    EXPECT_FALSE(isLightGrey(image.pixel(500, 7)));
    EXPECT_FALSE(tickAt(image, 5 + 50 / 97.0 * 1000));
    EXPECT_FALSE(anyPixel(image, QRect(0, 12, 1010, 12), isBlack));

    slider.setVideoDuration(97.0f);
    image = render(slider);
    for (int t = 0; t <= 90; t += 5)
        EXPECT_TRUE(tickAt(image, 5 + t / 97.0 * 1000)) << t;
    EXPECT_FALSE(tickAt(image, 5 + 95 / 97.0 * 1000));
    EXPECT_TRUE(tickAt(image, 1005));
    // The last label reads 1:37, pushed back inside the view.
    const QImage label =
        textImage(image.size(), controlColour(slider), "1:37", 1005, 22, QRectF(0, 0, 1010, 205));
    EXPECT_TRUE(sameArea(image, label, QRect(960, 13, 50, 9)));
    EXPECT_TRUE(anyPixel(image, QRect(960, 13, 50, 9), isBlack));

    // Zero duration: no ticks.
    slider.setVideoDuration(0.0f);
    image = render(slider);
    EXPECT_FALSE(anyPixel(image, QRect(0, 11, 1010, 1), isLightGrey));
}

TEST(TimeSlider, EnabledGraphsStackInTheirFixedOrder)
{
    RVTimeSlider2 slider;
    slider.resize(300, 205);
    slider.setProgress(-1);
    setMeasurementSystem(nullptr);
    const QColor control = controlColour(slider);

    // No graph enabled: everything below the axis is the control colour.
    QImage image = render(slider);
    EXPECT_FALSE(
        anyPixel(image, QRect(0, 25, 300, 180), [&](QRgb p) { return p != control.rgb(); }));

    // Speed, total acceleration and Z: bands 55 high at y = 145 (Z), 85 (total), 25 (speed).
    slider.setGraphEnabled(RVGraph::Velocity, true);
    slider.setGraphEnabled(RVGraph::GSensorCommon, true);
    slider.setGraphEnabled(RVGraph::GSensorZ, true);
    slider.setGSensorData(sensors(500));
    slider.setVelocityData(speeds({10, 40, 20, 60, 30}));
    image = render(slider);
    for (int top : {25, 85, 145}) {
        EXPECT_EQ(image.pixel(298, top + 1), qRgb(255, 255, 255)) << top;
        EXPECT_EQ(image.pixel(298, top + 53), qRgb(255, 255, 255)) << top;
        EXPECT_EQ(image.pixel(298, top + 56), control.rgb()) << top;
    }
    EXPECT_EQ(image.pixel(298, 24), control.rgb());
    // Titles and units, untranslated here, show their keys: speed on top, Z at the bottom.
    const auto titleIs = [&](const char* key, int top) {
        const QImage expected = textImage(image.size(), Qt::white, key, 150, top + 10,
                                          QRectF(0, top, 300, 55), Qt::blue);
        return sameArea(image, expected, QRect(60, top + 1, 180, 7));
    };
    EXPECT_TRUE(titleIs("VELOCITY_TITLE (KM_PER_HOUR)", 25));
    EXPECT_TRUE(titleIs("GSENSOR_TITLE (g)", 85));
    EXPECT_TRUE(titleIs("GSENSOR_Z_TITLE (g)", 145));
    EXPECT_FALSE(titleIs("GSENSOR_Z_TITLE (g)", 25));

    // A series not read yet leaves its band's slot empty; the others keep their places.
    slider.setVelocityData(nullptr);
    image = render(slider);
    EXPECT_EQ(image.pixel(298, 50), control.rgb());
    EXPECT_EQ(image.pixel(298, 110), qRgb(255, 255, 255));
}

TEST(TimeSlider, GraphsWithoutRoomAreLeftOutAndCounted)
{
    RVTimeSlider2 slider;
    slider.resize(300, 140); // room for three bands of 30 px or more
    slider.setProgress(-1);
    int reported = -1;
    QObject::connect(&slider, &RVTimeSlider2::hiddenGraphCountChanged,
                     [&](int count) { reported = count; });
    slider.setGSensorData(sensors(500));
    slider.setVelocityData(speeds({10, 40, 20, 60, 30}));
    slider.setPoints(altitudes({100, 150, 120}));
    for (int graph = 0; graph < RVGraphs::kCount; ++graph)
        slider.setGraphEnabled(RVGraph(graph), true);
    QImage image = render(slider);
    EXPECT_EQ(slider.hiddenGraphCount(), 3);
    EXPECT_EQ(reported, 3);
    // Speed stays on top; the single axes made room.
    const std::vector<QRectF> bands = RVSliderLayoutUtil::bandRects(slider.size(), 3);
    const auto titleIs = [&](const char* title, const QRectF& band) {
        const QImage expected =
            textImage(image.size(), Qt::white, title, 150, band.top() + 10, band, Qt::blue);
        return sameArea(image, expected, QRect(60, int(band.top()) + 1, 180, 7));
    };
    EXPECT_TRUE(titleIs("VELOCITY_TITLE (KM_PER_HOUR)", bands[2]));
    EXPECT_TRUE(titleIs("GSENSOR_TITLE (g)", bands[0]));
    slider.resize(300, 300);
    render(slider);
    EXPECT_EQ(reported, 0);
}

TEST(TimeSlider, PositionMarksOnlyForTheSelectedTrip)
{
    RVTimeSlider2 slider;
    slider.resize(1010, 205);
    slider.setVideoDuration(60.0f);
    slider.setGraphEnabled(RVGraph::Velocity, true);
    slider.setVelocityData(speeds({10, 20, 30}));
    slider.setProgress(0.5);
    slider.setPlayProgress(0.25);
    QImage image = render(slider);
    // The selection mark crosses the graphs, the play mark the axis.
    EXPECT_TRUE(anyPixel(image, QRect(504, 100, 3, 1), isRed));
    EXPECT_TRUE(anyPixel(image, QRect(504, 190, 3, 1), isRed));
    EXPECT_FALSE(anyPixel(image, QRect(504, 14, 3, 8), isRed));
    EXPECT_TRUE(anyPixel(image, QRect(254, 4, 3, 1), isRed));
    EXPECT_TRUE(anyPixel(image, QRect(254, 10, 3, 1), isRed));
    EXPECT_FALSE(anyPixel(image, QRect(254, 30, 3, 170), isRed));

    // Another row selected (-1) or no number: no marks at all.
    slider.setProgress(std::nan(""));
    EXPECT_FALSE(anyPixel(render(slider), QRect(0, 0, 1010, 205), isRed));
    // A trip of zero length gives no number for the play position: only the other mark.
    slider.setProgress(0.5);
    slider.setPlayProgress(std::nan(""));
    image = render(slider);
    EXPECT_TRUE(anyPixel(image, QRect(504, 100, 3, 1), isRed));
    EXPECT_FALSE(anyPixel(image, QRect(0, 0, 1010, 14), isRed));
}

TEST(TimeSlider, UnitsFollowTheStoredMeasurementSystem)
{
    RVTimeSlider2 slider;
    slider.resize(410, 105);
    slider.setProgress(-1);
    slider.setGraphEnabled(RVGraph::Altitude, true);
    const std::vector<double> metres{100, 150, 120, 130};
    slider.setPoints(altitudes(metres));
    // The one band: y 25 .. 100.
    const QRectF band(0, 25, 410, 75);
    const auto expectedBand = [&](double factor, const char* title) {
        QImage image = blankImage(410, 105, controlColour(slider));
        RVGraphEnvelope e(metres.size(), 400);
        for (double m : metres)
            e.add(m * factor);
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, e, band, title, -1e10, 400);
        return image;
    };

    const char* metresTitle = "ALTITUDE_TITLE (LABEL_ALTITUDE_METER)";
    const char* feetTitle = "ALTITUDE_TITLE (LABEL_ALTITUDE_FOOT)";
    // Absent or not spelt exactly "British": metres.
    for (const char* metric : {static_cast<const char*>(nullptr), "british"}) {
        setMeasurementSystem(metric);
        EXPECT_TRUE(sameArea(render(slider), expectedBand(1.0, metresTitle), band.toRect()))
            << (metric ? metric : "(absent)");
    }
    // Feet, by the single-precision factor 1 / 0.305.
    setMeasurementSystem("British");
    EXPECT_TRUE(
        sameArea(render(slider), expectedBand(double(float(1 / 0.305)), feetTitle), band.toRect()));
    EXPECT_FALSE(sameArea(render(slider), expectedBand(1.0, feetTitle), band.toRect()));
    setMeasurementSystem(nullptr);
    // Speeds in statute miles per hour (not knots): 44 km/h is 27.3 mph.
    EXPECT_NEAR(44 * RVUnits::speedFactor(RVMeasurementSystem::British), 27.34, 0.005);
}

TEST(TimeSlider, GraphsAreReducedOnlyWhenDataOrWidthChange)
{
    RVTimeSlider2 slider;
    slider.resize(1010, 300);
    slider.setGraphEnabled(RVGraph::Velocity, true);
    slider.setGraphEnabled(RVGraph::GSensorX, true);
    slider.setVelocityData(speeds(std::vector<double>(20000, 50)));
    slider.setGSensorData(sensors(20000));
    render(slider);
    EXPECT_EQ(slider.envelopeBuildCount(), 2u);
    // Position ticks and a new height only repaint; a new width or new series rebuild.
    slider.setPlayProgress(0.3);
    slider.resize(1010, 400);
    render(slider);
    EXPECT_EQ(slider.envelopeBuildCount(), 2u);
    slider.resize(800, 400);
    render(slider);
    EXPECT_EQ(slider.envelopeBuildCount(), 4u);
    slider.setGSensorData(sensors(100));
    render(slider);
    EXPECT_EQ(slider.envelopeBuildCount(), 5u);
}

namespace {

void mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button,
           Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

TEST(TimeSlider, ClicksSeekAndTheAxisAsksForThumbnails)
{
    RVTimeSlider2 slider;
    slider.resize(1010, 205);
    RecordingDelegate delegate;
    slider.setDelegate(&delegate);

    mouse(&slider, QEvent::MouseButtonPress, {3, 100}, Qt::LeftButton, Qt::LeftButton);
    mouse(&slider, QEvent::MouseButtonPress, {505, 10}, Qt::LeftButton, Qt::LeftButton);
    mouse(&slider, QEvent::MouseButtonPress, {505, 10}, Qt::RightButton, Qt::RightButton);
    ASSERT_EQ(delegate.calls, (QStringList{"graphClicked", "graphClicked"}));
    EXPECT_DOUBLE_EQ(delegate.values[0], -0.002); // a margin click is not clamped
    EXPECT_DOUBLE_EQ(delegate.values[1], 0.5);

    delegate.clear();
    mouse(&slider, QEvent::MouseMove, {255, 10}, Qt::NoButton, Qt::NoButton);
    mouse(&slider, QEvent::MouseMove, {255, 100}, Qt::NoButton, Qt::NoButton);
    mouse(&slider, QEvent::MouseMove, {255, 10}, Qt::NoButton, Qt::LeftButton); // a drag
    ASSERT_EQ(delegate.calls,
              (QStringList{"showPopover", "showThumbnailAtProgress", "hidePopover"}));
    EXPECT_DOUBLE_EQ(delegate.values[0], 0.25);

    delegate.clear();
    QEnterEvent overAxis(QPointF(100, 5), QPointF(100, 5), QPointF(100, 5));
    QApplication::sendEvent(&slider, &overAxis);
    QEnterEvent overGraphs(QPointF(100, 50), QPointF(100, 50), QPointF(100, 50));
    QApplication::sendEvent(&slider, &overGraphs);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&slider, &leave);
    EXPECT_EQ(delegate.calls, (QStringList{"showPopover", "hidePopover"}));

    // Too narrow to have an axis: no seek to a fraction that is not a number.
    delegate.clear();
    slider.resize(10, 205);
    mouse(&slider, QEvent::MouseButtonPress, {5, 100}, Qt::LeftButton, Qt::LeftButton);
    mouse(&slider, QEvent::MouseMove, {5, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(delegate.calls, QStringList{"showPopover"});

    // Without a delegate nothing is sent and nothing breaks.
    slider.setDelegate(nullptr);
    mouse(&slider, QEvent::MouseButtonPress, {5, 100}, Qt::LeftButton, Qt::LeftButton);
}

TEST(TimeSlider, RightClickMenuDependsOnTheZone)
{
    RVTimeSlider2 slider;
    slider.resize(400, 205);
    EXPECT_EQ(slider.menuForPosition({100, 10}), nullptr);
    QMenu playback;
    QMenu graphs;
    slider.setPlaybackMenu(&playback);
    slider.setGraphsMenu(&graphs);
    EXPECT_EQ(slider.menuForPosition({100, 24}), &playback);
    EXPECT_EQ(slider.menuForPosition({100, 25}), &graphs);
    {
        // A menu the application deletes is not used afterwards.
        auto* temporary = new QMenu;
        slider.setGraphsMenu(temporary);
        delete temporary;
        EXPECT_EQ(slider.menuForPosition({100, 200}), nullptr);
    }
    QContextMenuEvent overAxis(QContextMenuEvent::Mouse, QPoint(100, 10), QPoint(100, 10));
    QApplication::sendEvent(&slider, &overAxis);
    EXPECT_TRUE(overAxis.isAccepted());
    EXPECT_TRUE(playback.isVisible());
    playback.hide();
}

// The time slider and its graphs, drawn into images whose pixels are compared with what the
// layout and the data say must be there.
#include "RecordingDelegate.h"
#include "core/RVSettings.h"
#include "timeline/RVGraphScale.h"
#include "timeline/RVSliderLayoutUtil.h"
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUIUtil.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

const auto isBlack = [](QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; };
const auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
const auto isGrey = [](QRgb p) { return (p & 0xffffff) == 0xaaaaaa; };
const QColor background(200, 220, 240);
constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

static QImage blank(int width, int height, QColor colour = background)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// How many pixels of `area` (clipped to the image) pass `test`.
template <typename Test>
static int pixels(const QImage& image, QRect area, Test test)
{
    int count = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

// Whether `area` shows `text` as writeText draws it on `fill` (and is not empty).
static bool showsText(const QImage& image, QRect area, const QString& text, double centreX,
                      double bottomY, QRectF frame, QColor fill = Qt::white, QColor ink = Qt::black)
{
    QImage expected = blank(image.width(), image.height(), fill);
    QPainter painter(&expected);
    RVUIUtil::writeText(painter, text, 8, centreX, bottomY, frame, ink);
    return image.copy(area) == expected.copy(area) &&
           pixels(expected, area, [&](QRgb p) { return p != fill.rgb(); }) > 0;
}

// A band of 210 x 110 at y = 20: plot 200 wide (x 5..205), 100 high (y 28..128).
const QRectF band(0, 20, 210, 110);

static QImage drawn(const std::vector<double>& values, double middleLine, const QString& title = {},
                    const QPalette& colours = {})
{
    RVGraphEnvelope data(values.size(), 200);
    for (double v : values)
        data.add(v);
    QImage image = blank(220, 150);
    QPainter painter(&image);
    RVTimeSlider2::drawGraph(painter, data, band, title, middleLine, 200, colours);
    return image;
}

TEST(GraphDrawing, CurveScaleMiddleLineAndRoundedLabelsNeverOverTheCurve)
{
    // Fewer than two samples: the band says there is no data, under its title.
    const QImage none = drawn({}, -1e10, "T");
    QImage probe = blank(1, 1);
    const double noDataBottom = 75 + RVUIUtil::lineHeight(QPainter(&probe), 8) / 2;
    EXPECT_TRUE(showsText(none, {75, int(noDataBottom) - 9, 60, 7}, "GRAPH_NO_DATA", 105,
                          noDataBottom, band, Qt::white, QColor(170, 170, 170)));
    const double big = std::numeric_limits<double>::max(), off = -1e10;
    const double x1 = 5 + 200.0 / 3, x2 = 5 + 400.0 / 3; // samples 1 and 2 of 4
    // The plot runs from y = 30 (the scale's top) to 128 (its bottom), 98 pixels.
    const struct
    {
        std::vector<double> values;
        double middleLine;
        std::vector<QPointF> curve; // points the curve passes (sample j at x = 5 + 200 j / (n-1))
        std::vector<QRect> clear;   // areas without curve or label
        const char *top, *bottom;   // scale labels, "" for none, null for not checked
        int greyRow;                // the middle line's row, -1 for none, -2 not checked
    } cases[] = {
        // Rounded: 0 .. 100 in steps of 50.
        {{50, 100, 0, 50, 75}, off, {{55, 30}, {105, 128}, {155, 79}}, {}, "100", "0", -1},
        // Around 0 the scale is symmetric and rounded: -0.5 .. 0.5.
        {{0.2, 0.25, -0.4, -0.3}, 0, {{5, 59}, {x2, 118}}, {}, "0.5", "-0.5", 79},
        {{100, 102, 98, 100.5}, 100, {}, {}, "102", "98", 79},
        {{101, 102, 103}, 100, {}, {}, nullptr, nullptr, -1}, // not straddling: no line
        // Flat: one step above the value, the curve along the bottom, where no label goes.
        {{50, 50, 50}, off, {{100, 128}}, {{50, 40, 100, 80}}, "75", "", -1},
        {{0, 0, 0, 0}, off, {{100, 128}}, {}, "0.5", "", -1},
        {{5e6, 2e7, 1e6, 5e6}, off, {{x1, 30}}, {}, "", "", -1}, // too big for labels
        // A range wider than the largest double must not turn coordinates into NaN.
        {{-big, big, 0, -big}, off, {{5, 128}, {x1, 30}, {x2, 79}}, {{0, 0, 220, 20}}, 0, 0, 79},
        // Unknown values are gaps; a lone known value is a dot.
        {{10, 20, unknown, unknown, 30, 40}, off, {{45, 95}}, {{48, 32, 110, 90}}, "40", 0, -2},
        {{unknown, 60, unknown}, off, {{105, 108}}, {}, "100", "50", -2}, // 50 .. 100
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values.size() > 1 ? c.values[1] : 0);
        const QImage image = drawn(c.values, c.middleLine);
        EXPECT_EQ(image.pixel(208, 60), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(215, 60), background.rgb());
        for (const QPointF& at : c.curve)
            EXPECT_GT(pixels(image, QRect(int(at.x()) - 1, int(at.y()) - 1, 3, 3), isBlack), 0)
                << at.x() << "," << at.y();
        for (const QRect& area : c.clear)
            EXPECT_EQ(pixels(image, area, isBlack), 0) << area.x() << "," << area.y();
        // The glyph rows (a flat curve may run below them), or no ink there.
        for (const auto& [label, bottomY] : {std::pair{c.top, 30}, {c.bottom, 130}})
            EXPECT_TRUE(!label ||
                        (*label
                             ? showsText(image, {0, bottomY - 9, 40, 7}, label, 10, bottomY, band)
                             : pixels(image, QRect(0, bottomY - 9, 30, 6), isBlack) == 0))
                << bottomY;
        // A line across the plot, or no grey at all.
        const int grey = pixels(image, QRect(5, c.greyRow - 1, 201, 3), isGrey);
        EXPECT_TRUE(c.greyRow == -2 || (grey > 150) == (c.greyRow > 0)) << grey;
    }
    // A dark palette: dark band, light curve and labels, never black.
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    const QImage image = drawn({100, 102, 98, 100.5}, 100, "T", dark);
    const auto light = [](QRgb p) { return qGray(p) > 200; };
    EXPECT_EQ(image.pixel(100, 60), qRgb(30, 30, 30));
    EXPECT_GT(pixels(image, QRect(5, 28, 200, 101), light), 0);
    EXPECT_GT(pixels(image, QRect(0, 21, 40, 10), light), 0);
    EXPECT_EQ(pixels(image, band.toRect(), [](QRgb p) { return p == qRgb(0, 0, 0); }), 0);

    // Scale marks a reader takes in at a glance, holding every value: the values' range,
    // whether the scale is symmetric, and the marks' labels.
    const std::tuple<double, double, bool, const char*, const char*, const char*> scales[] = {
        {0, 47, false, "0", "25", "50"},
        {3.2, 118, false, "0", "75", "150"},
        {212.4, 431.7, false, "200", "350", "500"},
        {-0.4, 0.25, true, "-0.5", "0", "0.5"},
        {-0.03, 0.13, true, "-0.2", "0", "0.2"},
        {1.6, 1.6, false, "1", nullptr, "2"}, // flat: one step above
        {-12, -3, false, "-15", nullptr, "0"},
        {0, 0, true, "-0.5", "0", "0.5"},
    };
    for (const auto& [minimum, maximum, symmetric, low, middle, high] : scales) {
        const RVGraphScale scale = RVGraphScale::of(minimum, maximum, symmetric);
        EXPECT_LE(scale.low, minimum);
        EXPECT_GE(scale.high, maximum);
        const QString shown = scale.label(scale.low) + " " +
                              (middle ? scale.label((scale.low + scale.high) / 2) : "") + " " +
                              scale.label(scale.high);
        EXPECT_EQ(shown.toStdString(), std::string(low) + " " + (middle ? middle : "") + " " + high)
            << minimum << ".." << maximum;
    }
    EXPECT_EQ(RVGraphScale::of(-1e308, 1e308, false).step, 0.0); // too large to round

    // Labels never cover the curve: a bottom mark the curve runs through at the left goes to the
    // right end, or away. Plot y 30 (100) .. 128 (0); mark "0" sits on y = 130, at x 10 or 200.
    const auto markAt = [](const QImage& image, const char* label, double centreX, double bottomY) {
        return showsText(image, {int(centreX) - 10, int(bottomY) - 9, 20, 7}, label, centreX,
                         bottomY, band);
    };
    const QImage clearLeft = drawn({60, 100, 0, 20}, -1e10);
    EXPECT_TRUE(markAt(clearLeft, "0", 10, 130));
    const QImage right = drawn({0, 100, 60}, -1e10); // starts on the bottom
    EXPECT_TRUE(markAt(right, "0", 200, 130));
    EXPECT_FALSE(markAt(right, "0", 10, 130));
    const QImage neither = drawn({0, 100, 0}, -1e10);
    EXPECT_FALSE(markAt(neither, "0", 10, 130) || markAt(neither, "0", 200, 130));
    // The zero line of a signed axis is labelled on it.
    const QImage axis = drawn({0.4, 0.45, -0.4, -0.3}, 0);
    EXPECT_TRUE(markAt(axis, "0", 10, 79));
}

TEST(TimeSlider, AxisMarksInputMenusAndGraphBands)
{
    RVSettings::store().remove(QLatin1String(RVSettings::kMeasurementSystem));
    RVTimeSlider2 slider;
    const auto render = [&] {
        QImage image = blank(slider.width(), slider.height(), Qt::magenta);
        QPainter painter(&image);
        slider.draw(painter);
        return image;
    };
    slider.resize(1010, 205);
    slider.setProgress(-1);
    // No trip: no axis line or labels. The last label reads 1:37, pushed back inside the view.
    EXPECT_EQ(pixels(render(), {0, 7, 1010, 17}, [](QRgb p) { return isGrey(p) || isBlack(p); }),
              0);
    // 97 s on 1000 px: a tick every 5 s, but none at 95 s, too near the end.
    slider.setVideoDuration(97.0f);
    EXPECT_GT(pixels(render(), QRect(519, 11, 3, 1), isGrey), 0);
    EXPECT_EQ(pixels(render(), QRect(983, 11, 3, 1), isGrey), 0);
    EXPECT_TRUE(showsText(render(), QRect(960, 13, 50, 9), "1:37", 1005, 22,
                          QRectF(0, 0, 1010, 205), slider.palette().color(QPalette::Window)));

    // The selection mark crosses the graphs, the play mark the axis.
    slider.setGraphEnabled(RVGraph::Velocity, true);
    slider.setVelocityData(std::make_shared<const std::vector<double>>(3, 20.0));
    slider.setProgress(0.5);
    slider.setPlayProgress(0.25);
    QImage image = render();
    for (const QRect area :
         {QRect(504, 100, 3, 1), {504, 190, 3, 1}, {254, 4, 3, 1}, {254, 10, 3, 1}})
        EXPECT_GT(pixels(image, area, isRed), 0) << area.x() << "," << area.y();
    EXPECT_EQ(pixels(image, {504, 14, 3, 8}, isRed) + pixels(image, {254, 30, 3, 170}, isRed), 0);
    // Without a number for the selection no marks at all, for the play position only the other.
    slider.setProgress(unknown);
    EXPECT_EQ(pixels(render(), QRect(0, 0, 1010, 205), isRed), 0);
    slider.setProgress(0.5);
    slider.setPlayProgress(unknown);
    EXPECT_GT(pixels(render(), QRect(504, 100, 3, 1), isRed), 0);
    EXPECT_EQ(pixels(render(), QRect(0, 0, 1010, 14), isRed), 0);
    // At 0:00 the marks leave the band's top scale label ("20") whole and cross the rest.
    slider.setProgress(0);
    slider.setPlayProgress(0);
    image = render();
    const QRectF band = RVSliderLayoutUtil::bandRects(slider.size(), 1)[0];
    EXPECT_EQ(pixels(image, QRect(4, int(band.top()) + 1, 3, 8), isRed), 0);
    EXPECT_GT(pixels(image, QRect(4, int(band.top()) + 12, 3, 1), isRed), 0);
    EXPECT_GT(pixels(image, QRect(4, 4, 3, 1), isRed), 0);

    // Clicks seek, the axis asks for thumbnails, right clicks open the zone's menu.
    RecordingDelegate delegate;
    slider.setDelegate(&delegate);
    const auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                           Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, slider.mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    };
    mouse(QEvent::MouseButtonPress, {3, 100}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonPress, {505, 10}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonPress, {505, 10}, Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseMove, {255, 10}, Qt::NoButton, Qt::NoButton);
    mouse(QEvent::MouseMove, {255, 100}, Qt::NoButton, Qt::NoButton);
    // A drag shows the thumbnail under the pointer; its seeks wait for the scrub interval,
    // and the release seeks exactly where it is let go.
    mouse(QEvent::MouseMove, {255, 10}, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {305, 10}, Qt::LeftButton, Qt::NoButton);
    for (const QPointF at : {QPointF(100, 5), QPointF(100, 50)}) {
        QEnterEvent enter(at, at, at);
        QApplication::sendEvent(&slider, &enter);
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&slider, &leave);
    EXPECT_EQ(delegate.calls,
              (QStringList{"graphClicked", "graphClicked", "showPopover", "showThumbnailAtProgress",
                           "hidePopover", "showPopover", "showThumbnailAtProgress", "graphClicked",
                           "showPopover", "hidePopover"}));
    // Margins are not clamped.
    EXPECT_EQ(delegate.values, (std::vector<double>{-0.002, 0.5, 0.25, 0.25, 0.3}));

    // Too narrow to have an axis: no seek to a fraction that is not a number.
    delegate = RecordingDelegate();
    slider.resize(10, 205);
    mouse(QEvent::MouseButtonPress, {5, 100}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, {5, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(delegate.calls, QStringList{"showPopover"});
    slider.setDelegate(nullptr);
    mouse(QEvent::MouseButtonPress, {5, 100}, Qt::LeftButton, Qt::LeftButton);

    slider.resize(400, 205);
    QMenu playback;
    slider.setPlaybackMenu(&playback);
    auto* graphs = new QMenu;
    slider.setGraphsMenu(graphs);
    EXPECT_EQ(slider.menuForPosition({100, 24}), &playback);
    EXPECT_EQ(slider.menuForPosition({100, 25}), graphs);
    delete graphs; // a menu the application deletes is not used afterwards
    EXPECT_EQ(slider.menuForPosition({100, 200}), nullptr);
    QContextMenuEvent overAxis(QContextMenuEvent::Mouse, QPoint(100, 10), QPoint(100, 10));
    QApplication::sendEvent(&slider, &overAxis);
    EXPECT_TRUE(overAxis.isAccepted());

    // Graphs stack in their order; those without room are counted.
    slider.resize(300, 205);
    slider.setProgress(-1);
    const QRgb control = slider.palette().color(QPalette::Window).rgb();

    // Speed, total acceleration and Z: bands 55 high at y = 25 (speed), 85 (total), 145 (Z),
    // titled in blue.
    slider.setGSensorData(std::make_shared<const std::vector<RVSensorData>>(
        500, RVSensorData(0.3, -0.2, 0.1, 1.05, RVSensorLabel())));
    slider.setVelocityData(std::make_shared<const std::vector<double>>(5, 40.0));
    for (RVGraph graph : {RVGraph::Velocity, RVGraph::GSensorCommon, RVGraph::GSensorZ})
        slider.setGraphEnabled(graph, true);
    image = render();
    const auto titled = [&](const char* title, QRectF band) {
        return showsText(image, QRect(60, int(band.top()) + 1, 180, 7), title, 150, band.top() + 10,
                         band, Qt::white, Qt::blue);
    };
    for (const auto& [top, title] : {std::pair{25, "VELOCITY_TITLE (KM_PER_HOUR)"},
                                     {85, "GSENSOR_TITLE (g)"},
                                     {145, "GSENSOR_Z_TITLE (g)"}}) {
        EXPECT_EQ(image.pixel(298, top + 56), control) << top;
        EXPECT_TRUE(titled(title, QRectF(0, top, 300, 55))) << title;
    }
    EXPECT_EQ(image.pixel(298, 24), control);
    // All six in 140 px: three fit, speed stays on top, the single axes make room.
    slider.resize(300, 140);
    for (int graph = 0; graph < RVGraphs::kCount; ++graph)
        slider.setGraphEnabled(RVGraph(graph), true);
    image = render();
    EXPECT_EQ(slider.hiddenGraphCount(), 3);
    const std::vector<QRectF> bands = RVSliderLayoutUtil::bandRects(slider.size(), 3);
    EXPECT_TRUE(titled("VELOCITY_TITLE (KM_PER_HOUR)", bands[2]));
    EXPECT_TRUE(titled("GSENSOR_TITLE (g)", bands[0]));
    slider.resize(300, 300);
    render();
    EXPECT_EQ(slider.hiddenGraphCount(), 0);
}

// The clip's marks: the rules the window keeps them by (RVClipMarks), and the slider that draws
// them and lets them be dragged.
#include "RecordingDelegate.h"
#include "timeline/RVClipMarks.h"
#include "timeline/RVSliderLayoutUtil.h"
#include "timeline/RVTimeSlider2.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {
using M = RVClipMark;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string describe(const RVClipMarks& marks)
{
    const auto text = [](std::optional<double> t) {
        return t ? std::to_string(int(std::lround(*t * 100))) : std::string("-");
    };
    return text(marks.at(M::In)) + ".." + text(marks.at(M::Out));
}
} // namespace

TEST(ClipMarks, SetDragClearAndClampOnTheTripAndTheSliderDrawsAndDragsThem)
{
    // Each step on a 10 s trip, and both marks afterwards in hundredths of a second. A mark set
    // outside the trip goes onto its ends; an end before the start begins a new range that ends
    // there, and so does a start after the end or on it. A drag stops one frame short of the
    // other mark and at the trip's ends; a mark that is not set cannot be dragged into being.
    enum Op
    {
        Set,
        Drag,
        Clear
    };
    const std::tuple<Op, M, double, const char*> steps[] = {
        {Set, M::In, 2, "200..-"},      {Set, M::Out, 7.5, "200..750"},
        {Set, M::Out, 12, "200..1000"}, {Set, M::In, -3, "0..1000"},
        {Set, M::In, kNaN, "0..1000"},  {Set, M::In, 4, "400..1000"},
        {Set, M::Out, 6, "400..600"},   {Set, M::Out, 3, "-..300"},
        {Set, M::In, 5, "500..-"},      {Set, M::Out, 8, "500..800"},
        {Set, M::In, 8, "800..-"},      {Set, M::Out, 9, "800..900"},
        {Drag, M::In, 9.5, "896..900"}, {Drag, M::In, -1, "0..900"},
        {Drag, M::Out, -1, "0..4"},     {Drag, M::Out, 99, "0..1000"},
        {Clear, M::In, 0, "-..-"},      {Drag, M::Out, 5, "-..-"}};
    RVClipMarks marks;
    marks.reset(10);
    for (const auto& [op, mark, seconds, after] : steps) {
        SCOPED_TRACE(std::to_string(int(op)) + " " + std::to_string(seconds));
        if (op == Set)
            marks.set(mark, seconds);
        else if (op == Drag)
            marks.drag(mark, seconds);
        else
            marks.clear();
        EXPECT_EQ(describe(marks), after);
    }

    // One mark makes a range to the trip's end, or from its start; none, no range.
    marks.set(M::In, 2.5);
    EXPECT_EQ(marks.range(), std::pair(2.5, 10.0));
    EXPECT_EQ(marks.fraction(M::In), 0.25);
    marks.clear();
    marks.set(M::Out, 4);
    EXPECT_EQ(marks.range(), std::pair(0.0, 4.0));
    EXPECT_FALSE(marks.fraction(M::In));
    // A new trip drops them; a trip of no length takes none.
    marks.reset(0);
    EXPECT_FALSE(marks.range());
    marks.set(M::In, 1);
    EXPECT_TRUE(marks.isEmpty());

    // The slider draws the range and drags a mark instead of seeking. Axis 200 px wide (x
    // 5..205) over 10 s: trip second t is at x = 5 + 20 t.
    RVTimeSlider2 slider;
    slider.resize(210, 60);
    slider.setVideoDuration(10.0F);
    RecordingDelegate delegate;
    slider.setDelegate(&delegate);
    marks.reset(10);
    std::vector<bool> released;
    // What the window does: the marks it keeps follow the drag, and go back to the slider.
    QObject::connect(&slider, &RVTimeSlider2::clipMarkDragged,
                     [&](RVClipMark mark, double fraction, bool done) {
                         marks.drag(mark, fraction * marks.duration());
                         slider.setClipMarks(marks.fraction(M::In), marks.fraction(M::Out));
                         released.push_back(done);
                     });
    marks.set(M::In, 2);
    marks.set(M::Out, 6);
    slider.setClipMarks(marks.fraction(M::In), marks.fraction(M::Out));

    // Drawn: the range is shaded over the axis between x 45 and 125, and only there.
    QImage image(210, 60, QImage::Format_ARGB32_Premultiplied);
    QPalette palette = slider.palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
    palette.setColor(QPalette::Window, Qt::white);
    slider.setPalette(palette);
    {
        QPainter painter(&image);
        slider.draw(painter);
    }
    const auto bluish = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.blue() > 150 && c.red() < 230 && c.blue() > c.red() + 20;
    };
    EXPECT_TRUE(bluish(85, 20)) << "inside the range";
    EXPECT_TRUE(bluish(45, 40)) << "the start mark's line";
    EXPECT_TRUE(bluish(125, 40)) << "the end mark's line";
    EXPECT_FALSE(bluish(30, 20)) << "before the range";
    EXPECT_FALSE(bluish(150, 20)) << "after the range";
    EXPECT_FALSE(bluish(85, 40)) << "under the axis between the marks";

    const auto mouse = [&](QEvent::Type type, double x, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(x, 40), slider.mapToGlobal(QPointF(x, 40)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    };
    // The start mark, grabbed 3 px off its line, goes to 4 s, then past the end mark: it stops
    // one frame short of it. No seek on the way.
    mouse(QEvent::MouseButtonPress, 48, Qt::LeftButton);
    mouse(QEvent::MouseMove, 85, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(*marks.at(M::In), 4.0);
    mouse(QEvent::MouseMove, 180, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 180, Qt::NoButton);
    EXPECT_NEAR(*marks.at(M::In), 6.0 - RVClipMarks::kMinimumSeconds, 1e-9);
    EXPECT_EQ(released, (std::vector<bool>{false, false, true}));
    EXPECT_FALSE(delegate.calls.contains("graphClicked"));
    EXPECT_EQ(slider.clipMark(M::In), marks.fraction(M::In));

    // The end mark, dragged beyond the trip's end, stays on it.
    mouse(QEvent::MouseButtonPress, 126, Qt::LeftButton);
    mouse(QEvent::MouseMove, 260, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 260, Qt::NoButton);
    EXPECT_DOUBLE_EQ(*marks.at(M::Out), 10.0);

    // A press away from the marks seeks as before and moves no mark.
    released.clear();
    mouse(QEvent::MouseButtonPress, 25, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 25, Qt::NoButton);
    EXPECT_TRUE(released.empty());
    ASSERT_FALSE(delegate.values.empty());
    EXPECT_DOUBLE_EQ(delegate.values.back(), 0.1);
}

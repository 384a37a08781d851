#include "RecordingDelegate.h"
#include "timeline/RVClickCounter.h"
#include "timeline/RVPlayerView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QStyleHints>

#include <gtest/gtest.h>

namespace {

void press(QWidget* view, QEvent::Type type, Qt::MouseButton button, QPointF at, quint64 timeMs)
{
    QMouseEvent event(type, at, view->mapToGlobal(at), button, button, Qt::NoModifier);
    event.setTimestamp(timeMs);
    QApplication::sendEvent(view, &event);
}

void pinch(QWidget* view, double amount)
{
    QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2,
                              QPointF(10, 10), QPointF(10, 10), QPointF(10, 10), amount, QPointF());
    QApplication::sendEvent(view, &event);
}

} // namespace

TEST(ClickCounter, CountsPressesCloseInTimeAndPlace)
{
    RVClickCounter counter;
    EXPECT_EQ(counter.press(Qt::LeftButton, {10, 10}, 1000, 400, 4), 1);
    EXPECT_EQ(counter.press(Qt::LeftButton, {12, 9}, 1300, 400, 4), 2);
    EXPECT_EQ(counter.press(Qt::LeftButton, {12, 9}, 1700, 400, 4), 3);
    EXPECT_EQ(counter.press(Qt::LeftButton, {12, 9}, 2101, 400, 4), 1);  // too late
    EXPECT_EQ(counter.press(Qt::LeftButton, {17, 9}, 2200, 400, 4), 1);  // moved too far
    EXPECT_EQ(counter.press(Qt::RightButton, {17, 9}, 2300, 400, 4), 1); // other button
    EXPECT_EQ(counter.press(Qt::LeftButton, {17, 9}, 100, 400, 4), 1);   // clock went back
}

TEST(PlayerView, ClicksDoubleClicksAndLongerSeries)
{
    RVPlayerView view;
    view.resize(200, 100);
    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const QPointF at(50, 50);

    press(&view, QEvent::MouseButtonPress, Qt::LeftButton, at, 10000);
    EXPECT_EQ(delegate.calls, QStringList{"click"});

    // Qt delivers the second press of a double click as a double-click event.
    delegate.clear();
    quint64 t = 20000;
    press(&view, QEvent::MouseButtonPress, Qt::LeftButton, at, t);
    press(&view, QEvent::MouseButtonDblClick, Qt::LeftButton, at, t + interval / 2);
    EXPECT_EQ(delegate.calls, (QStringList{"click", "doubleClick"}));

    // A third click in the same series calls nothing.
    delegate.clear();
    press(&view, QEvent::MouseButtonPress, Qt::LeftButton, at, t + interval);
    EXPECT_TRUE(delegate.calls.isEmpty());

    // Right and middle buttons neither click nor count as the video's clicks.
    press(&view, QEvent::MouseButtonPress, Qt::RightButton, at, t + 5 * interval);
    press(&view, QEvent::MouseButtonPress, Qt::MiddleButton, at, t + 5 * interval + 1);
    EXPECT_TRUE(delegate.calls.isEmpty());
    press(&view, QEvent::MouseButtonPress, Qt::LeftButton, at, t + 5 * interval + 2);
    EXPECT_EQ(delegate.calls, QStringList{"click"});

    // A pinch sends one plus its amount; other gestures are not pinches.
    delegate.clear();
    pinch(&view, 0.25);
    pinch(&view, -0.25);
    QNativeGestureEvent rotate(Qt::RotateNativeGesture, QPointingDevice::primaryPointingDevice(), 2,
                               {}, {}, {}, 10, {});
    QApplication::sendEvent(&view, &rotate);
    ASSERT_EQ(delegate.calls, (QStringList{"magnification", "magnification"}));
    EXPECT_EQ(delegate.values, (std::vector<double>{1.25, 0.75}));

    // No delegate: nothing happens, nothing breaks.
    view.setDelegate(nullptr);
    press(&view, QEvent::MouseButtonPress, Qt::LeftButton, at, t + 20 * interval);
    pinch(&view, 0.25);
}

TEST(PlayerView, ContentFillsTheViewAndRightClickOpensThePlaybackMenu)
{
    RVPlayerView view;
    view.resize(320, 180);
    QPointer<QLabel> first(new QLabel(QStringLiteral("video")));
    view.setContentWidget(first);
    view.show();
    // A new content widget replaces (and frees) the old one and follows the view's size.
    auto* second = new QLabel(QStringLiteral("other"));
    view.setContentWidget(second);
    EXPECT_TRUE(first.isNull());
    view.resize(400, 300);
    QApplication::processEvents();
    EXPECT_EQ(second->geometry(), QRect(0, 0, 400, 300));

    // Without a menu the right click goes on to the usual handling.
    QContextMenuEvent withoutMenu(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
    QApplication::sendEvent(&view, &withoutMenu);
    EXPECT_FALSE(withoutMenu.isAccepted());

    QMenu menu;
    menu.addAction(QStringLiteral("Play"));
    view.setPlaybackMenu(&menu);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
    QApplication::sendEvent(&view, &rightClick);
    EXPECT_TRUE(rightClick.isAccepted());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

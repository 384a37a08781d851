#include "RecordingDelegate.h"
#include "timeline/RVClickCounter.h"
#include "timeline/RVPlayerView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QStyleHints>

#include <gtest/gtest.h>

TEST(ClickCounter, CountsPressesCloseInTimeAndPlace)
{
    const struct
    {
        Qt::MouseButton button;
        QPoint at;
        quint64 timeMs;
        int count;
    } presses[] = {
        {Qt::LeftButton, {10, 10}, 1000, 1}, {Qt::LeftButton, {12, 9}, 1300, 2},
        {Qt::LeftButton, {12, 9}, 1700, 3},  {Qt::LeftButton, {12, 9}, 2101, 1},
        {Qt::LeftButton, {17, 9}, 2200, 1},  {Qt::RightButton, {17, 9}, 2300, 1},
        {Qt::LeftButton, {17, 9}, 100, 1}}; // too late, too far, other button, clock back
    RVClickCounter counter;
    for (const auto& p : presses)
        EXPECT_EQ(counter.press(p.button, p.at, p.timeMs, 400, 4), p.count) << p.timeMs;
}

TEST(PlayerView, ClicksPinchesContentAndMenu)
{
    RVPlayerView view;
    view.resize(200, 100);
    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    const quint64 interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const auto press = [&](QEvent::Type type, Qt::MouseButton button, quint64 timeMs) {
        QMouseEvent event(type, QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), button, button,
                          Qt::NoModifier);
        event.setTimestamp(timeMs);
        QApplication::sendEvent(&view, &event);
    };
    const auto pinch = [&](Qt::NativeGestureType type, double amount) {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, {10, 10},
                                  {10, 10}, {10, 10}, amount, {});
        QApplication::sendEvent(&view, &event);
    };
    // Qt delivers the second press of a double click as a double-click event; a third press
    // of the series calls nothing; right and middle presses neither click nor count.
    press(QEvent::MouseButtonPress, Qt::LeftButton, 10000);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000);
    press(QEvent::MouseButtonDblClick, Qt::LeftButton, 20000 + interval / 2);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000 + interval);
    press(QEvent::MouseButtonPress, Qt::RightButton, 20000 + 5 * interval);
    press(QEvent::MouseButtonPress, Qt::MiddleButton, 20000 + 5 * interval + 1);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000 + 5 * interval + 2);
    // A pinch sends one plus its amount; a rotation is no pinch.
    pinch(Qt::ZoomNativeGesture, 0.25);
    pinch(Qt::ZoomNativeGesture, -0.25);
    pinch(Qt::RotateNativeGesture, 10);
    EXPECT_EQ(delegate.calls, (QStringList{"click", "click", "doubleClick", "click",
                                           "magnification", "magnification"}));
    EXPECT_EQ(delegate.values, (std::vector<double>{1.25, 0.75}));
    view.setDelegate(nullptr);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000 + 20 * interval);
    pinch(Qt::ZoomNativeGesture, 0.25);

    // The right click opens the playback menu, or without one goes on to the usual handling.
    QMenu menu;
    menu.addAction(QStringLiteral("Play"));
    for (QMenu* playback : {static_cast<QMenu*>(nullptr), &menu}) {
        view.setPlaybackMenu(playback);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(&view, &rightClick);
        EXPECT_EQ(rightClick.isAccepted(), playback != nullptr);
    }
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

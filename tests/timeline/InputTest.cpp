// What the views make of keys, clicks and pinches: the calls they hand their delegate.
#include "RecordingDelegate.h"
#include "views/RVPlayerView.h"
#include "views/RVViewUtil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QStyleHints>

#include <gtest/gtest.h>

// Native scan codes as X11 and Wayland give them: the evdev code + 8.
constexpr quint32 xReturn = 28 + 8, xN = 49 + 8, xB = 48 + 8, xL = 38 + 8;

static QKeyEvent key(int key, quint32 scanCode, const QString& text,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
}

TEST(KeyMap, KeysCallTheirOperationByPositionWhenThePlatformGivesIt)
{
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const struct
    {
        QKeyEvent event;
        const char* call; // "" for a key that is not the map's (and is not consumed)
    } cases[] = {
        {key(Qt::Key_Escape, 1 + 8, "\x1b"), "escapePressed"},
        {key(Qt::Key_Space, 57 + 8, " "), "spacebarPressed"},
        {key(Qt::Key_N, xN, "n"), "nextFrame"},
        // Shift tells the event keys apart; N and B step a frame with it too.
        {key(Qt::Key_N, xN, "N", Qt::ShiftModifier), "nextFrame"},
        {key(Qt::Key_E, 18 + 8, "e"), "nextEvent"},
        {key(Qt::Key_E, 18 + 8, "E", Qt::ShiftModifier), "previousEvent"},
        {key(Qt::Key_B, xB, "b"), "prevFrame"},
        {key(Qt::Key_Left, 105 + 8, ""), "goBack"},
        {key(Qt::Key_Right, 106 + 8, ""), "goForward"},
        {key(Qt::Key_Home, 102 + 8, ""), "goToStart"},
        {key(Qt::Key_End, 107 + 8, ""), "goToEnd"},
        {key(Qt::Key_F11, 87 + 8, ""), "fullScreenPressed"},
        {key(Qt::Key_A, 30 + 8, "a"), ""},
        // The clip's marks; with a Russian layout I and O type "ш" and "щ".
        {key(Qt::Key_I, 23 + 8, "i"), "markIn"},
        {key(Qt::Key_O, 24 + 8, "o"), "markOut"},
        {key(0x0428, 23 + 8, "ш"), "markIn"},
        {key(Qt::Key_O, 0, "o"), "markOut"},
        // Return only with Alt, also on the keypad; other modifiers do not matter.
        {key(Qt::Key_Return, xReturn, "\r"), ""},
        {key(Qt::Key_Return, xReturn, "\r", alt), "altEnterPressed"},
        {key(Qt::Key_Enter, 96 + 8, "\r", alt | Qt::KeypadModifier), "altEnterPressed"},
        {key(Qt::Key_B, xB, "b", Qt::MetaModifier | alt), "prevFrame"},
        // Russian layout: N and B type "т" and "и", J and L "о" and "д"; Qt reports Cyrillic.
        {key(0x0422, xN, "т"), "nextFrame"},
        {key(0x041E, 36 + 8, "о"), "rewindPressed"},
        {key(0x0414, xL, "д"), "fastForwardPressed"},
        // Dvorak: the key that types "n" sits where QWERTY has L.
        {key(Qt::Key_N, xL, "n"), "fastForwardPressed"},
        // Without a native code Qt's key code decides.
        {key(Qt::Key_N, 0, "n"), "nextFrame"},
        {key(Qt::Key_Return, 0, "\r", alt), "altEnterPressed"},
        {key(0x0422, 0, "т"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event.text().toStdString() + " " + std::to_string(c.event.nativeScanCode()));
        RecordingDelegate delegate;
        EXPECT_EQ(RVViewUtil::processKeyDown(&c.event, &delegate), *c.call != '\0');
        EXPECT_EQ(delegate.calls.join(','), QString::fromLatin1(c.call));
        // Without a delegate the map's keys are still consumed, others are not.
        EXPECT_EQ(RVViewUtil::processKeyDown(&c.event, nullptr), *c.call != '\0');
    }
    EXPECT_FALSE(RVViewUtil::processKeyDown(nullptr, nullptr));
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
    // of the series calls nothing; a right press neither clicks nor counts.
    press(QEvent::MouseButtonPress, Qt::LeftButton, 10000);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000);
    press(QEvent::MouseButtonDblClick, Qt::LeftButton, 20000 + interval / 2);
    press(QEvent::MouseButtonPress, Qt::LeftButton, 20000 + interval);
    press(QEvent::MouseButtonPress, Qt::RightButton, 20000 + 5 * interval);
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
    for (QMenu* playback : {static_cast<QMenu*>(nullptr), &menu}) {
        view.setPlaybackMenu(playback);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(&view, &rightClick);
        EXPECT_EQ(rightClick.isAccepted(), playback != nullptr);
    }
}

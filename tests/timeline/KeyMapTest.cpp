#include "RecordingDelegate.h"
#include "timeline/RVMainView.h"
#include "timeline/RVViewUtil.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

// X11 / Wayland key codes: evdev code + 8.
constexpr quint32 xkbReturn = 28 + 8, xkbKeypadEnter = 96 + 8, xkbEscape = 1 + 8, xkbSpace = 57 + 8,
                  xkbN = 49 + 8, xkbB = 48 + 8, xkbL = 38 + 8, xkbLeft = 105 + 8,
                  xkbRight = 106 + 8;
// Qt reports a letter key by the Unicode code of its upper-case letter.
constexpr int keyCyrillicTe = 0x0422; // Т, on the N key of a Russian layout
constexpr int keyCyrillicI = 0x0418;  // И, on the B key

QKeyEvent keyEvent(int key, quint32 scanCode, const QString& text,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
}

// The delegate's call for the key ("" for none), and whether the key was consumed: a key is
// consumed exactly when it calls something.
QString process(const QKeyEvent& event)
{
    RecordingDelegate delegate;
    const bool handled = RVViewUtil::processKeyDown(&event, &delegate);
    EXPECT_LE(delegate.calls.size(), 1);
    EXPECT_EQ(handled, !delegate.calls.isEmpty()) << event.key();
    return delegate.calls.join(QLatin1Char(','));
}

} // namespace

TEST(KeyMap, EachKeyCallsItsOperationAndOnlyReturnNeedsAModifier)
{
    EXPECT_EQ(process(keyEvent(Qt::Key_Escape, xkbEscape, "\x1b")), "escapePressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_Space, xkbSpace, " ")), "spacebarPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbN, "n")), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_B, xkbB, "b")), "prevFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_Left, xkbLeft, "")), "goBack");
    EXPECT_EQ(process(keyEvent(Qt::Key_Right, xkbRight, "")), "goForward");
    EXPECT_EQ(process(keyEvent(Qt::Key_Home, 102 + 8, "")), "goToStart");
    EXPECT_EQ(process(keyEvent(Qt::Key_End, 107 + 8, "")), "goToEnd");
    EXPECT_EQ(process(keyEvent(Qt::Key_F11, 87 + 8, "")), "fullScreenPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_A, 30 + 8, "a")), "");
    // Return calls only with Alt, also on the keypad.
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r")), "");
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r", Qt::ShiftModifier)), "");
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r", Qt::AltModifier)),
              "altEnterPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_Enter, xkbKeypadEnter, "\r",
                               Qt::AltModifier | Qt::KeypadModifier)),
              "altEnterPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbN, "N", Qt::ShiftModifier)), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_B, xkbB, "b", Qt::MetaModifier | Qt::AltModifier)),
              "prevFrame");
    // Without a delegate the mapped keys are still consumed, others are not.
    const QKeyEvent space = keyEvent(Qt::Key_Space, xkbSpace, " ");
    EXPECT_TRUE(RVViewUtil::processKeyDown(&space, nullptr));
    const QKeyEvent plainReturn = keyEvent(Qt::Key_Return, xkbReturn, "\r");
    EXPECT_FALSE(RVViewUtil::processKeyDown(&plainReturn, nullptr));
    EXPECT_FALSE(RVViewUtil::processKeyDown(nullptr, nullptr));
}

TEST(KeyMap, KeysAreToldApartByPositionWhenThePlatformGivesIt)
{
    // Russian layout: the N key types "т" and the B key "и"; Qt reports Cyrillic key codes.
    EXPECT_EQ(process(keyEvent(keyCyrillicTe, xkbN, QStringLiteral("т"))), "nextFrame");
    EXPECT_EQ(process(keyEvent(keyCyrillicI, xkbB, QStringLiteral("и"))), "prevFrame");
    // Dvorak: the key that types "n" sits where QWERTY has L; it is the L key, not N.
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbL, "n")), "fastForwardPressed");
    // Russian layout: J and L type "о" and "д" and still step the rate.
    EXPECT_EQ(process(keyEvent(0x041E, 36 + 8, QStringLiteral("о"))), "rewindPressed");
    EXPECT_EQ(process(keyEvent(0x0414, xkbL, QStringLiteral("д"))), "fastForwardPressed");
    // Without a native code Qt's key code decides.
    EXPECT_EQ(process(keyEvent(Qt::Key_N, 0, "n")), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, 0, "\r", Qt::AltModifier)), "altEnterPressed");
    EXPECT_EQ(process(keyEvent(keyCyrillicTe, 0, QStringLiteral("т"))), "");
}

namespace {

// Receives the keys its child view passes on.
class KeyParent final : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

} // namespace

TEST(MainView, MappedKeysGoToTheDelegateOthersToTheParent)
{
    KeyParent parent;
    auto* view = new RVMainView(&parent);
    RecordingDelegate delegate;
    view->setDelegate(&delegate);

    QKeyEvent n = keyEvent(keyCyrillicTe, xkbN, QStringLiteral("т"));
    QApplication::sendEvent(view, &n);
    EXPECT_TRUE(n.isAccepted());
    // Plain Return is not the map's: the usual handling passes it up to the parent.
    QKeyEvent plainReturn = keyEvent(Qt::Key_Return, xkbReturn, "\r");
    QApplication::sendEvent(view, &plainReturn);
    EXPECT_EQ(delegate.calls, QStringList{"nextFrame"});
    EXPECT_EQ(parent.keys, QList<int>{Qt::Key_Return});
}

#include "RecordingDelegate.h"
#include "timeline/RVMainView.h"
#include "timeline/RVViewUtil.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

// X11 / Wayland key codes: evdev code + 8.
constexpr quint32 xkbReturn = 28 + 8;
constexpr quint32 xkbKeypadEnter = 96 + 8;
constexpr quint32 xkbEscape = 1 + 8;
constexpr quint32 xkbSpace = 57 + 8;
constexpr quint32 xkbN = 49 + 8;
constexpr quint32 xkbB = 48 + 8;
constexpr quint32 xkbL = 38 + 8;
constexpr quint32 xkbLeft = 105 + 8;
constexpr quint32 xkbRight = 106 + 8;
// Qt reports a letter key by the Unicode code of its upper-case letter.
constexpr int keyCyrillicTe = 0x0422; // Т, on the N key of a Russian layout
constexpr int keyCyrillicI = 0x0418;  // И, on the B key

QKeyEvent keyEvent(int key, quint32 scanCode, const QString& text,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
}

QString process(const QKeyEvent& event, bool* handled = nullptr)
{
    RecordingDelegate delegate;
    const bool result = RVViewUtil::processKeyDown(&event, &delegate);
    if (handled)
        *handled = result;
    EXPECT_LE(delegate.calls.size(), 1);
    return delegate.calls.join(QLatin1Char(','));
}

} // namespace

TEST(KeyMap, EachKeyOfTheMapCallsItsOperation)
{
    bool handled = false;
    EXPECT_EQ(process(keyEvent(Qt::Key_Escape, xkbEscape, "\x1b"), &handled), "escapePressed");
    EXPECT_TRUE(handled);
    EXPECT_EQ(process(keyEvent(Qt::Key_Space, xkbSpace, " ")), "spacebarPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbN, "n")), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_B, xkbB, "b")), "prevFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_Left, xkbLeft, "")), "goBack");
    EXPECT_EQ(process(keyEvent(Qt::Key_Right, xkbRight, "")), "goForward");
    EXPECT_EQ(process(keyEvent(Qt::Key_A, 30 + 8, "a"), &handled), "");
    EXPECT_FALSE(handled);
}

TEST(KeyMap, ReturnNeedsAltAndOtherKeysIgnoreModifiers)
{
    bool handled = true;
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r"), &handled), "");
    EXPECT_FALSE(handled);
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r", Qt::ShiftModifier), &handled), "");
    EXPECT_FALSE(handled);
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, xkbReturn, "\r", Qt::AltModifier), &handled),
              "altEnterPressed");
    EXPECT_TRUE(handled);
    EXPECT_EQ(process(keyEvent(Qt::Key_Enter, xkbKeypadEnter, "\r",
                               Qt::AltModifier | Qt::KeypadModifier)),
              "altEnterPressed");
    // Only Return looks at the modifiers.
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbN, "N", Qt::ShiftModifier)), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_B, xkbB, "b", Qt::ControlModifier)), "prevFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_B, xkbB, "b", Qt::MetaModifier | Qt::AltModifier)),
              "prevFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_Escape, xkbEscape, "", Qt::AltModifier)), "escapePressed");
}

TEST(KeyMap, KeysAreToldApartByPositionNotByCharacter)
{
    // Russian layout: the N key types "т" and the B key "и"; Qt reports Cyrillic key codes.
    EXPECT_EQ(process(keyEvent(keyCyrillicTe, xkbN, QStringLiteral("т"))), "nextFrame");
    EXPECT_EQ(process(keyEvent(keyCyrillicI, xkbB, QStringLiteral("и"))), "prevFrame");
    EXPECT_EQ(process(keyEvent(keyCyrillicTe, xkbN, QStringLiteral("Т"), Qt::ShiftModifier)),
              "nextFrame");
    // Dvorak: the key that types "n" sits where QWERTY has L; it is not the N key.
    bool handled = true;
    EXPECT_EQ(process(keyEvent(Qt::Key_N, xkbL, "n"), &handled), "");
    EXPECT_FALSE(handled);
}

TEST(KeyMap, WithoutNativeCodeQtKeyCodeDecides)
{
    EXPECT_EQ(process(keyEvent(Qt::Key_N, 0, "n")), "nextFrame");
    EXPECT_EQ(process(keyEvent(Qt::Key_Return, 0, "\r", Qt::AltModifier)), "altEnterPressed");
    EXPECT_EQ(process(keyEvent(Qt::Key_Right, 0, "")), "goForward");
    bool handled = true;
    EXPECT_EQ(process(keyEvent(keyCyrillicTe, 0, QStringLiteral("т")), &handled), "");
    EXPECT_FALSE(handled);
    // Without a delegate the mapped keys are still consumed, others are not.
    const QKeyEvent space = keyEvent(Qt::Key_Space, xkbSpace, " ");
    EXPECT_TRUE(RVViewUtil::processKeyDown(&space, nullptr));
    const QKeyEvent plainReturn = keyEvent(Qt::Key_Return, xkbReturn, "\r");
    EXPECT_FALSE(RVViewUtil::processKeyDown(&plainReturn, nullptr));
    EXPECT_FALSE(RVViewUtil::processKeyDown(nullptr, nullptr));
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
    EXPECT_EQ(delegate.calls, QStringList{"nextFrame"});
    EXPECT_TRUE(n.isAccepted());
    EXPECT_TRUE(parent.keys.isEmpty());

    // Plain Return is not the map's: the usual handling passes it up to the parent.
    QKeyEvent plainReturn = keyEvent(Qt::Key_Return, xkbReturn, "\r");
    QApplication::sendEvent(view, &plainReturn);
    EXPECT_EQ(delegate.calls, QStringList{"nextFrame"});
    EXPECT_EQ(parent.keys, QList<int>{Qt::Key_Return});
}

// Keys typed on a real X server (Xvfb) with a Russian keyboard layout: the N and B keys type
// Cyrillic letters there, and must still step frames.
#include "RecordingDelegate.h"
#include "timeline/RVMainView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include "XTestKeyboard.h"

namespace {

// Remembers the characters of the keys that reach the view.
class TextRecorder final : public QObject
{
public:
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            texts << static_cast<QKeyEvent*>(event)->text();
        return QObject::eventFilter(watched, event);
    }
};

bool setLayout(const char* layout)
{
    QProcess process;
    process.start(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QLatin1String(layout)});
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// X key codes: evdev + 8.
constexpr unsigned keyN = 57, keyB = 56, keyReturn = 36, keyAltLeft = 64, keyEscape = 9;

} // namespace

TEST(WindowKeys, RussianLayoutStillStepsFrames)
{
    const std::unique_ptr<XTestKeyboard> keyboard = XTestKeyboard::open();
    if (!keyboard)
        GTEST_SKIP() << "no X display with the XTest extension";
    if (!setLayout("ru"))
        GTEST_SKIP() << "setxkbmap could not select the Russian layout";

    RVMainView view;
    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    TextRecorder recorder;
    view.installEventFilter(&recorder);
    view.resize(300, 200);
    view.show();
    view.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view, 10000));

    keyboard->type({keyN});
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() >= 1; }, 5000));
    keyboard->type({keyB});
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() >= 2; }, 5000));
    keyboard->type({keyReturn}); // no Alt: not the map's
    keyboard->type({keyAltLeft, keyReturn});
    keyboard->type({keyEscape});
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() >= 4; }, 5000));

    EXPECT_EQ(delegate.calls,
              (QStringList{"nextFrame", "prevFrame", "altEnterPressed", "escapePressed"}));
    // The keys really typed Cyrillic letters: the layout was in force.
    ASSERT_GE(recorder.texts.size(), 2);
    EXPECT_EQ(recorder.texts[0], QStringLiteral("т"));
    EXPECT_EQ(recorder.texts[1], QStringLiteral("и"));

    setLayout("us");
}

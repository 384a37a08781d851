// The window as a keyboard user and a full-screen viewer meet it: where Tab goes and that each
// stop shows, and the video alone in full screen with its controls coming over it on a move.

#include "WindowTestSupport.h"

#include "player/files/RVVideoOutlineView.h"
#include "player/map/RVMapView.h"
#include "player/window/RVFocusMark.h"
#include "player/window/RVFullScreenOverlay.h"
#include "timeline/RVTimeSlider2.h"
#include "views/RVPlayerView.h"

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>

using WindowKeyboard = windowtest::Window;

static QString nameOf(const QWidget* widget)
{
    return widget ? widget->objectName() : QStringLiteral("(none)");
}

TEST_F(WindowKeyboard, TabGoesToTheListControlsFirstAndEveryStopIsRinged)
{
    open();
    // No window manager runs here to make the window active; the focus needs it active.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* mark = window->findChild<RVFocusMark*>();
    ASSERT_NE(mark, nullptr);
    central->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(ClipFactory::waitFor([&] { return central->hasFocus(); }));
    EXPECT_EQ(mark->markedWidget(), nullptr) << "a click rings nothing";

    // Tab from the start: each stop is the focus widget (or the map page holding it) and is
    // ringed, until the focus comes round to the video again.
    QStringList stops;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        auto* expected = focus == central ? window->findChild<QWidget*>("playerScrollView") : focus;
        for (QWidget* w = focus; w; w = w->parentWidget())
            if (qobject_cast<RVMapView*>(w))
                expected = w;
        ASSERT_EQ(mark->markedWidget(), expected) << nameOf(focus).toStdString();
        const auto* ring = expected->findChild<QWidget*>("focusRing", Qt::FindDirectChildrenOnly);
        ASSERT_NE(ring, nullptr);
        EXPECT_TRUE(ring->isVisible());
        EXPECT_EQ(ring->geometry(), expected->rect());
        if (focus == central)
            break;
        stops << nameOf(expected);
    }
    ASSERT_GE(stops.size(), 5) << stops.join(' ').toStdString();
    EXPECT_EQ(stops.mid(0, 4),
              (QStringList{"addVideoButton", "removeVideoButton", "modeFilterBox", "filesView"}));
    EXPECT_TRUE(stops.contains("timeLine")) << stops.join(' ').toStdString();
    EXPECT_EQ(stops.last(), "mapWebView") << stops.join(' ').toStdString();

    // The ring is drawn: the slider's left edge shows the highlight colour.
    RVTimeSlider2* slider = controller.timeLine();
    for (int i = 0; i < 30 && !slider->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(mark->markedWidget(), slider);
    const QImage picture = slider->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, picture.height() / 2).rgb(),
              slider->palette().color(QPalette::Active, QPalette::Highlight).rgb());
    // A click takes the ring away, and it stays away when Qt moves the focus on by itself
    // (it says "Tab" then too) because the focused list goes out of sight.
    QTest::mouseClick(controller.filesView()->viewport(), Qt::LeftButton);
    EXPECT_EQ(mark->markedWidget(), nullptr);
    ASSERT_TRUE(controller.filesView()->hasFocus());
    window->findChild<QWidget*>("fileViewContainer")->hide();
    EXPECT_FALSE(controller.filesView()->hasFocus());
    EXPECT_EQ(mark->markedWidget(), nullptr) << nameOf(QApplication::focusWidget()).toStdString();
}

TEST_F(WindowKeyboard, FullScreenShowsTheVideoAloneAndItsControlsOnAMove)
{
    open();
    window->menuBar()->addMenu(QStringLiteral("File")); // the application's menus
    // No window manager runs here to make the window active; the focus needs it active.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), dir.filePath("clip.mp4")));
    ASSERT_TRUE(add({dir.filePath("clip.mp4")}));
    ASSERT_TRUE(play());
    controller.playPauseToggle();

    auto* overlay = window->findChild<RVFullScreenOverlay*>();
    ASSERT_NE(overlay, nullptr);
    overlay->setHideDelay(150);
    auto* splitter = window->findChild<QSplitter*>("windowModeControls");
    splitter->setSizes({380, 520}); // the user's own sizes
    const QByteArray layout = controller.layoutState();
    QWidget* controls = window->findChild<QWidget*>("playbackControlsContainer");
    QWidget* controlsParent = controls->parentWidget();
    QWidget* speed = window->findChild<QWidget*>("velocity");
    const QList<QWidget*> windowOnly{window->menuBar(), window->statusBar(),
                                     static_cast<QWidget*>(controller.filesView()),
                                     window->findChild<QWidget*>("mapWebView")};

    for (const Qt::Key leaveKey : {Qt::Key_Escape, Qt::Key_F}) {
        SCOPED_TRACE(leaveKey == Qt::Key_F ? "F" : "Escape");
        QTest::keyClick(central, Qt::Key_F);
        ASSERT_TRUE(ClipFactory::waitFor([&] { return window->isFullScreen(); }));
        for (QWidget* widget : windowOnly)
            EXPECT_FALSE(widget->isVisible()) << nameOf(widget).toStdString();
        QWidget* panel = overlay->panel();
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->isVisible()) << "the video alone";
        EXPECT_EQ(central->cursor().shape(), Qt::BlankCursor);

        // A move brings the controls and the read-outs over the video's lower edge; they go
        // with the pointer after the delay.
        ASSERT_TRUE(ClipFactory::waitFor([&] { return controller.playerView()->height() > 200; }));
        QTest::mouseMove(controller.playerView(), QPoint(50, 50));
        QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), 2000);
        EXPECT_TRUE(controls->isVisible());
        EXPECT_TRUE(controller.timeLine()->isVisible());
        EXPECT_TRUE(controller.playPauseButton()->isVisible());
        EXPECT_TRUE(speed->isVisible());
        EXPECT_TRUE(panel->isAncestorOf(speed) && panel->isAncestorOf(controls));
        EXPECT_EQ(panel->geometry().bottom(), central->rect().bottom());
        EXPECT_EQ(panel->width(), central->width());
        EXPECT_NE(central->cursor().shape(), Qt::BlankCursor);
        QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 3000);
        EXPECT_EQ(central->cursor().shape(), Qt::BlankCursor);

        // Leaving restores the window as it was.
        QTest::keyClick(central, leaveKey);
        ASSERT_TRUE(ClipFactory::waitFor([&] { return !window->isFullScreen(); }));
        for (QWidget* widget : windowOnly + QList<QWidget*>{controls, speed})
            EXPECT_TRUE(widget->isVisible()) << nameOf(widget).toStdString();
        EXPECT_EQ(controls->parentWidget(), controlsParent);
        EXPECT_NE(central->cursor().shape(), Qt::BlankCursor);
        ASSERT_TRUE(ClipFactory::waitFor([&] { return controller.layoutState() == layout; }));
    }
}

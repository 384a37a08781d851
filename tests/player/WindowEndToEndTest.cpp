// The real window as a driver meets it, on copies of generated clips whose frames carry their
// numbers (ClipFactory: a trip of three 3-second clips at 25 fps, frames 0-74, 75-149 and
// 150-224), so the frame on screen tells the trip time exactly.

#include "WindowTestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "player/files/RVThumbnailPopover.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/window/RVThumbnailHover.h"
#include "player/window/RVWidgetDialogs.h"
#include "timeline/RVTimeSlider2.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cmath>

using ClipFactory::frameNumber;
using ClipFactory::waitFor;
using WindowEndToEnd = windowtest::Window;

TEST_F(WindowEndToEnd, RecordingsAndTripsPlayStepSaveAndAreDeleted)
{
    ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
    constexpr qint64 kStartMs = 1420106400000; // 2015-01-01 10:00 UTC: the trip's first frame
    open();

    // The empty window offers nothing that needs a picture.
    for (const char* name :
         {"screenShotButton", "zoomInButton", "zoomOutButton", "fullScreenButton"})
        EXPECT_FALSE(window->findChild<QToolButton*>(name)->isEnabled()) << name;

    // Timed by their files: an unreadable recording, a trip, and an hour later a trip whose
    // middle recording cannot be read.
    const auto place = [&](const QString& name, int clip, int seconds) {
        const QString target = dir.filePath(name);
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(clip < 0 ? ClipFactory::makeBroken(target)
                             : QFile::copy(ClipFactory::tripClip(clip), target));
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromMSecsSinceEpoch(kStartMs + 1000LL * seconds),
                                     QFileDevice::FileModificationTime));
    };
    place("bad/broken.mp4", -1, -7200);
    for (int i = 0; i < 3; ++i) {
        place(QStringLiteral("trip/clip%1.mp4").arg(i), i, 3 * i);
        place(QStringLiteral("cut/clip%1.mp4").arg(i), i == 1 ? -1 : i, 3600 + 3 * i);
    }

    // An unplayable recording is reported once, and play is offered no more; removing its
    // row from the list keeps the file.
    ASSERT_TRUE(add({dir.filePath("bad")})) << "a list of one recording shows it";
    controller.selectRow(0);
    controller.playPauseToggle();
    ASSERT_TRUE(waitFor([&] { return !dialogs->alerts.isEmpty(); }));
    EXPECT_EQ(dialogs->alerts, QStringList{"ERROR_TITLE | ERROR_CANT_PLAY_FILE broken.mp4"});
    EXPECT_FALSE(controller.playPauseButton()->isEnabled());
    controller.removeFileClicked();
    EXPECT_EQ(controller.selectedRow(), -1);
    EXPECT_TRUE(QFile::exists(dir.filePath("bad/broken.mp4")));

    // A file URI is taken; a path that does not exist is named on the status bar.
    ASSERT_TRUE(
        add({QUrl::fromLocalFile(dir.filePath("trip")).toString(), dir.filePath("missing.mp4")}));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("missing.mp4"));
    // A locked trip survives "Yes" and the user is told; unlocked, "No" keeps it.
    RVVideoDataPtr node = row(0);
    controller.lockClicked(node);
    ASSERT_TRUE(
        waitFor([&] { return RVVideoOutlineViewModel::lockImageName(*node) == "GrouppedLocked"; }));
    controller.selectRow(0);
    dialogs->answers = {true};
    controller.removeClicked(node);
    ASSERT_TRUE(waitFor([&] { return dialogs->alerts.size() == 2; }));
    EXPECT_TRUE(dialogs->alerts[1].contains("clip2.mp4"));
    ASSERT_TRUE(showsRows(1));
    controller.unlockClicked(node = row(0));
    ASSERT_TRUE(
        waitFor([&] { return !RVFileSystemUtil::isFileLocked(dir.filePath("trip/clip2.mp4")); }));
    controller.removeClicked(node);
    EXPECT_TRUE(dialogs->questions.value(1).startsWith("ARE_YOU_SURE_TITLE | "));
    ASSERT_EQ(row(0)->files().size(), 3u);

    // The trip: after an error a single click plays, here in full screen and across the join.
    ASSERT_TRUE(play());
    EXPECT_DOUBLE_EQ(playback->duration(), 9.0);
    // Keys reach the window's commands wherever the focus is in the window.
    QTest::keyClick(central, Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(waitFor([&] { return window->isFullScreen(); }));
    ASSERT_TRUE(waitFor([&] { return playback->currentIndex() == 1; }));
    QTest::keyClick(central, Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return !window->isFullScreen(); }));
    controller.playPauseToggle();
    EXPECT_EQ(player->rate(), 0.0);

    // Seeks, jumps and steps on the trip's time line: the frame on screen once each settled.
    // Times inside a frame show the frame that starts next; a join shows the next file's first
    // frame; clicks in the margins stay on the trip; six-second jumps cross files and stop at
    // the trip's start.
    const auto frameAfter = [&](const std::function<void()>& command) -> std::optional<int> {
        QSignalSpy settled(player, &RVMpvPlayer::seekFinished);
        command();
        return waitFor([&] { return !settled.isEmpty(); }) ? frameNumber(still(*player))
                                                           : std::nullopt;
    };
    const auto at = [&](double s) { return [&, s] { controller.graphClicked(s / 9); }; };
    const auto key = [&](Qt::Key k) { return [&, k] { QTest::keyClick(central, k); }; };
    const std::function<void()> forward = key(Qt::Key_Right), back = key(Qt::Key_Left);
    const std::tuple<std::function<void()>, int, int> steps[] = {
        {at(3.5), 88, 1}, {at(7.02), 176, 2}, {at(-0.01), 0, 0},       {forward, 150, 2},
        {at(3.0), 75, 1}, {at(2.0), 50, 0},   {forward, 200, 2},       {back, 50, 0},
        {back, 0, 0},     {at(4.0), 100, 1},  {key(Qt::Key_B), 99, 1}, {key(Qt::Key_N), 100, 1}};
    for (const auto& [command, frame, file] : steps) {
        EXPECT_EQ(frameAfter(command), frame);
        EXPECT_EQ(playback->currentIndex(), std::size_t(file)) << frame;
        EXPECT_EQ(player->rate(), 0.0) << frame;
    }

    // Paused at 4 s: the clock shows the second recording's time there.
    auto* clock = window->findChild<QLabel*>("clockLabel");
    const QDateTime frameTime = QDateTime::fromMSecsSinceEpoch(kStartMs + 4000).toLocalTime();
    EXPECT_EQ(clock->text(), frameTime.toString("yyyy-MM-dd HH:mm:ss"));

    // Zoom while paused shows another picture at once; fit shows it whole again.
    auto* video = window->findChild<QOpenGLWidget*>("videoWidget");
    const QImage fitted = video->grabFramebuffer();
    window->findChild<QToolButton*>("zoomInButton")->click();
    EXPECT_TRUE(waitFor([&] { return video->grabFramebuffer() != fitted; }));
    window->findChild<QToolButton*>("fitVideoButton")->click();
    EXPECT_TRUE(waitFor([&] { return video->grabFramebuffer() == fitted; }));

    // A still of the paused frame at the video's size, named after the file and its clock time.
    dialogs->savePath = dir.filePath("still.jpeg");
    window->findChild<QToolButton*>("screenShotButton")->click();
    ASSERT_TRUE(waitFor([&] { return QFile::exists(*dialogs->savePath); }));
    const QImage saved(*dialogs->savePath, "JPEG");
    EXPECT_EQ(saved.size(), QSize(320, 240));
    EXPECT_EQ(frameNumber(saved), 100);
    EXPECT_EQ(dialogs->proposedNames.last(),
              "clip1 " + frameTime.toString("yyyy-MM-dd HH-mm-ss") + ".jpeg");
    // An export that cannot be written is reported.
    dialogs->savePath = dir.filePath("no/such/folder/track.kml");
    window->findChild<QAction*>("exportToKmlMenuItem")->trigger();
    ASSERT_EQ(dialogs->alerts.size(), 3);
    EXPECT_TRUE(dialogs->alerts[2].startsWith("ERROR_TITLE | "));

    // The hover thumbnail, over the slider's right end too, stands beside the read-outs, never
    // over them.
    QWidget* readouts = window->findChild<QLabel*>("velocity")->parentWidget();
    const QRect clear(readouts->mapTo(window, QPoint()), readouts->size());
    RVThumbnailPopover* popover = controller.thumbnails()->popover();
    for (const double progress : {0.2, 0.8, 0.99}) {
        controller.showPopover();
        controller.showThumbnailAtProgress(progress);
        ASSERT_TRUE(waitFor([&] { return popover->isVisible(); })) << progress;
        EXPECT_FALSE(popover->geometry().intersects(clear)) << progress;
        controller.hidePopover();
    }

    // Dragging the slider: the marks and the hover thumbnail follow the pointer, so do the
    // frames on the way, and letting go seeks exactly there.
    RVTimeSlider2* slider = controller.timeLine();
    const auto xOf = [&](double s) { return qRound(5 + (slider->width() - 10) * s / 9); };
    const auto secondsAt = [&](int x) { return (x - 5) * 9.0 / (slider->width() - 10); };
    const auto near = [&](int x) {
        return [&, x] {
            const std::optional<int> frame = frameNumber(still(*player));
            return frame && std::abs(*frame - secondsAt(x) * 25) <= 1.0;
        };
    };
    const auto move = [&](int x) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(x, 4), slider->mapToGlobal(QPointF(x, 4)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &drag);
    };
    const auto markAt = [&](int x) {
        const QImage marks = slider->grab().toImage();
        int redness = 0; // the play mark is red across the time axis
        for (int dx = -2; dx <= 2; ++dx) {
            const QRgb pixel = marks.pixel(x + dx, 10);
            redness = std::max(redness, qRed(pixel) - qGreen(pixel));
        }
        return redness > 80;
    };
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(xOf(1.0), 4));
    EXPECT_TRUE(waitFor(near(xOf(1.0))));
    for (const double seconds : {2.0, 3.5, 5.0})
        move(xOf(seconds));
    EXPECT_TRUE(markAt(xOf(5.0)));
    EXPECT_NEAR(popover->positioningRect().x(), xOf(5.0) + 5, 2);
    EXPECT_TRUE(waitFor(near(xOf(5.0))));
    move(xOf(7.0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(xOf(7.3), 4));
    EXPECT_TRUE(waitFor(near(xOf(7.3))));
    EXPECT_EQ(playback->currentIndex(), 2u);
    EXPECT_EQ(player->rate(), 0.0);

    // Rates step up and down; a toggle pauses whatever the direction, and plays at normal
    // speed; a step while playing pauses.
    for (const auto& [key, rate] : {std::pair{Qt::Key_L, 2.0},
                                    {Qt::Key_L, 4.0},
                                    {Qt::Key_J, -2.0},
                                    {Qt::Key_J, -4.0},
                                    {Qt::Key_Space, 0.0},
                                    {Qt::Key_Space, 1.0},
                                    {Qt::Key_N, 0.0}}) {
        QTest::keyClick(central, key);
        EXPECT_EQ(player->rate(), rate) << QKeySequence(key).toString().toStdString();
    }
    // Played to its end the trip stops there, on its last file and at its length. Rewound from
    // there it plays each file backward once, to the trip's start, where the rate goes; six
    // seconds back from the end is the join before the last file.
    const auto playToEnd = [&] {
        controller.graphClicked(8.5 / 9);
        playback->forward();
        return waitFor([&] { return player->rate() == 0.0; });
    };
    ASSERT_TRUE(playToEnd());
    EXPECT_NEAR(controller.timeLine()->playProgress(), 1.0, 0.03);
    EXPECT_EQ(playback->currentIndex(), 2u);
    EXPECT_NEAR(playback->tripTime(), 9.0, 0.05);
    QSignalSpy ticks(playback, &RVTripPlayback::ticked);
    playback->rewind();
    playback->rewind();
    EXPECT_TRUE(clock->text().endsWith(QStringLiteral("-4\u00d7")));
    ASSERT_TRUE(waitFor([&] { return player->rate() == 0.0; }, 20000));
    EXPECT_EQ(playback->currentIndex(), 0u);
    EXPECT_FALSE(clock->text().contains(QStringLiteral("\u00d7"))) << clock->text().toStdString();
    double earlier = 9.0;
    for (const QList<QVariant>& tick : ticks) {
        EXPECT_LE(tick[0].toDouble(), earlier + 0.05);
        earlier = tick[0].toDouble();
    }
    EXPECT_NEAR(earlier, 0.0, 0.05);
    ASSERT_TRUE(playToEnd());
    EXPECT_EQ(frameAfter(back), 75);
    ASSERT_TRUE(playToEnd());
    controller.playPauseToggle();
    EXPECT_TRUE(waitFor([&] {
        return player->currentPath().endsWith("trip/clip0.mp4") && player->currentTime() > 0.2;
    }));

    // The unreadable recording neither splits its trip nor hides its length; playback passes
    // over it with a note naming it. Deleting the playing trip stops it.
    ASSERT_TRUE(add({dir.filePath("cut")}, 2));
    const int cutRow = row(0)->files().front()->filePath().contains("/cut/") ? 0 : 1;
    const RVVideoDataPtr cut = row(cutRow);
    ASSERT_EQ(cut->files().size(), 3u);
    EXPECT_FLOAT_EQ(cut->duration(), 6.0f);
    controller.selectRow(cutRow);
    controller.rowDoubleClicked();
    EXPECT_TRUE(waitFor([&] { return player->currentPath().endsWith("cut/clip2.mp4"); }));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("clip1.mp4"));
    dialogs->answers = {true};
    controller.removeClicked(cut);
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(dir.filePath("cut/clip0.mp4")); }));
    ASSERT_TRUE(showsRows(1));
    QTest::qWait(300);
    EXPECT_FALSE(playback->node());
    EXPECT_EQ(player->rate(), 0.0);
    // Nothing of it stays on screen: no clock, no picture (the clips' lower half is grey).
    EXPECT_EQ(clock->text(), QString());
    EXPECT_TRUE(waitFor([&] {
        const QImage shown = video->grabFramebuffer();
        return qGray(shown.pixel(shown.width() / 2, shown.height() * 3 / 4)) < 30;
    }));
    EXPECT_EQ(dialogs->alerts.size(), 3);
}

// With no file manager and no program for folders (none on the search path), "Show in file
// manager" says so rather than doing nothing; an export names the files it wrote.
TEST_F(WindowEndToEnd, ShowInFileManagerWithoutOneSaysSoAndExportsNameTheirFiles)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() &&
        bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1")))
        GTEST_SKIP() << "a file manager of the desktop session would show the folder";
    open();
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), dir.filePath("clip.mp4")));
    ASSERT_TRUE(add({dir.filePath("clip.mp4")}));
    controller.selectRow(0);
    QTemporaryDir nothing;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(nothing.path()));
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    controller.revealInFinder();
    ASSERT_TRUE(waitFor([&] { return !dialogs->alerts.isEmpty(); }));
    EXPECT_TRUE(dialogs->alerts[0].contains(dir.path())) << dialogs->alerts[0].toStdString();

    // One save that writes the track and the G-sensor tables names both on the status bar.
    const RVVideoDataPtr node = row(0);
    node->setPoints(std::make_shared<const std::vector<RVPoint>>(
        2, RVPoint("52.500000", "13.400000", 40, 90, 0, {})));
    node->setGSensorData(std::make_shared<const std::vector<RVSensorData>>(
        2, RVSensorData(0.1, -0.2, 1.0, 1.0, RVSensorLabel())));
    dialogs->savePath = dir.filePath("clip.gps.csv");
    window->findChild<QAction*>("exportToExcelMenuItem")->trigger();
    const QString shown = window->statusBar()->currentMessage();
    EXPECT_TRUE(shown.contains("clip.gps.csv") && shown.contains("clip.gsensor.csv") &&
                QFile::exists(dir.filePath("clip.gsensor.csv")))
        << shown.toStdString();
}

// The real dialogs: "Choose Folder" beside Open takes the folder on show; every question is
// about something that cannot be undone, so Enter in one gives the safe answer.
TEST(WidgetDialogs, ChooseFolderTakesTheFolderOnShowAndEnterInAQuestionAnswersNo)
{
    QWidget parent;
    parent.show();
    RVWidgetDialogs dialogs(&parent);
    QTemporaryDir card;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            dialog->setDirectory(card.path());
            if (auto* button = dialog->findChild<QPushButton*>("chooseFolderButton"))
                button->click();
        } else if (modal) {
            QTest::keyClick(modal, Qt::Key_Return);
        }
    });
    answer.start(50);
    EXPECT_EQ(dialogs.chooseFilesAndFolders(), QStringList{QDir(card.path()).absolutePath()});
    EXPECT_FALSE(dialogs.question("Delete?", "The files will be deleted."));
}

// The real window as a driver meets it, on generated clips whose frames carry their numbers
// (ClipFactory: a trip of three 3-second clips at 25 fps, frames 0-74, 75-149, 150-224), so the
// frame on screen tells the trip time exactly.

#include "ClipFactory.h"
#include "MapPageScript.h"
#include "WindowTestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVVolumeMonitor.h"
#include "player/RVMainViewController.h"
#include "player/RVMapView.h"
#include "player/RVMpvPlayer.h"
#include "player/RVTripPlayback.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "player/RVVideoScrollView.h"
#include "timeline/RVTimeSlider2.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QOpenGLWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using ClipFactory::frameNumber;
using ClipFactory::waitFor;

namespace {

constexpr qint64 kStartMs = 1420106400000; // 2015-01-01 10:00 UTC: the trip's first frame

// Dark and light pixels of a screen area: drawn content, not a blank or one-colour surface.
std::pair<int, int> darkAndLight(const QImage& image)
{
    std::pair<int, int> count;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const int level = qGray(image.pixel(x, y));
            count.first += level < 60;
            count.second += level > 190;
        }
    }
    return count;
}

} // namespace

TEST(WindowEndToEnd, RecordingsAndTripsPlayStepSaveAndAreDeleted)
{
    ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
    windowtest::IsolatedSettings settings;
    RVSettings::setBool("GRAPHS_VELOCITY_ENABLED", true);
    // The trip's track: ten points a second, at 30, 40 and 50 km/h and 100, 110 and 120 m in
    // its three recordings, heading north. The other recordings have none.
    const RVMetaDataSource track = [](const QString& path) -> std::optional<RVMetaData> {
        if (!path.contains("/trip/"))
            return std::nullopt;
        const int file = QFileInfo(path).completeBaseName().right(1).toInt();
        RVMetaData data;
        for (int i = 0; i < 30; ++i) {
            const std::string latitude =
                QString::number(55.75 + (30 * file + i) * 1e-4, 'f', 6).toStdString();
            data.points.emplace_back(
                latitude, "37.610000", 100.0 + 10 * file, 0.0, 30.0 + 10 * file,
                RVTimestamp::fromMSecsSinceEpoch(kStartMs + 3000 * file + 100 * i));
            data.velocityData.push_back(30.0 + 10 * file);
        }
        return data;
    };
    auto dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller(dialogs);
    controller.loadView(
        std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), track));
    QMainWindow* window = controller.window();
    window->move(40, 40);
    window->show();
    RVVideoOutlineViewModel* model = controller.filesModel();
    RVMpvPlayer* player = controller.player();
    RVTripPlayback* playback = controller.playback();
    const auto row = [&](int r) { return model->nodeAt(model->index(r, 0)); };
    // Rows the user can see, not only ones the model has.
    const auto waitForRows = [&](int rows) {
        controller.videoList()->waitForIdle();
        return waitFor([&] {
            const QRect rect = controller.filesView()->visualRect(model->index(rows - 1, 0));
            return model->rowCount() == rows &&
                   (rows == 0 || controller.filesView()->indexAt(rect.center()).row() == rows - 1);
        });
    };
    const auto buttonImage = [&] {
        return controller.playPauseButton()->property("imageName").toString();
    };

    // Copies of the trip's clips, timed by their files: a single recording two hours before,
    // the trip, a trip an hour later whose middle recording cannot be read, and a single
    // unreadable recording.
    QTemporaryDir dir;
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
    place("single/one.mp4", 0, -7200);
    place("bad/broken.mp4", -1, 7200);
    for (int i = 0; i < 3; ++i) {
        place(QStringLiteral("trip/clip%1.mp4").arg(i), i, 3 * i);
        place(QStringLiteral("cut/clip%1.mp4").arg(i), i == 1 ? -1 : i, 3600 + 3 * i);
    }
    const QString single = dir.filePath("single/one.mp4");

    // Nothing listed: the playback commands start nothing.
    controller.playPauseToggle();
    controller.nextFrame();
    controller.goForward();
    controller.graphClicked(0.5);
    EXPECT_EQ(playback->node(), nullptr);

    // A file URI is taken; a path that does not exist is named on the status bar.
    controller.addFiles({QUrl::fromLocalFile(single).toString(), dir.filePath("missing.mp4")});
    ASSERT_TRUE(waitForRows(1)) << "a list of one recording shows it";
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("missing.mp4"));
    // Lock and unlock; a menu below the last row gives no node, and nothing is asked.
    RVVideoDataPtr node = row(0);
    controller.lockClicked(node);
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(single));
    EXPECT_EQ(RVVideoOutlineViewModel::lockImageName(*node), "VideoLocked");
    controller.lockClicked(nullptr);
    controller.removeClicked(nullptr);
    EXPECT_TRUE(dialogs->questions.isEmpty());
    // A locked recording survives "Yes" and the user is told; "No" changes nothing.
    controller.selectRow(0);
    dialogs->answers = {true};
    controller.removeClicked(node);
    ASSERT_EQ(dialogs->alerts.size(), 1);
    EXPECT_TRUE(dialogs->alerts[0].contains("one.mp4"));
    ASSERT_TRUE(waitForRows(1));
    node = row(0);
    controller.unlockClicked(node);
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(single));
    EXPECT_EQ(RVVideoOutlineViewModel::lockImageName(*node), "Video");
    dialogs->answers = {false};
    controller.removeClicked(node);
    ASSERT_EQ(dialogs->questions.size(), 2);
    EXPECT_TRUE(dialogs->questions[1].startsWith("ARE_YOU_SURE_TITLE | "));
    EXPECT_TRUE(QFile::exists(single));
    // Removing the playing row from the list stops it and keeps the file.
    controller.rowDoubleClicked();
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.3; }));
    controller.removeFileClicked();
    EXPECT_FALSE(playback->node());
    EXPECT_TRUE(player->currentPath().isEmpty());
    EXPECT_EQ(player->rate(), 0.0);
    EXPECT_EQ(controller.selectedRow(), -1);
    EXPECT_TRUE(QFile::exists(single));

    // An unplayable recording is reported once, and play is offered no more.
    dialogs->alerts.clear();
    controller.addFiles({dir.filePath("bad")});
    ASSERT_TRUE(waitForRows(1));
    controller.selectRow(0);
    controller.playPauseToggle();
    ASSERT_TRUE(waitFor([&] { return !dialogs->alerts.isEmpty(); }));
    EXPECT_EQ(dialogs->alerts, QStringList{"ERROR_TITLE | ERROR_CANT_PLAY_FILE broken.mp4"});
    EXPECT_EQ(playback->node(), nullptr);
    EXPECT_FALSE(controller.playPauseButton()->isEnabled());
    controller.removeFileClicked();
    ASSERT_TRUE(waitForRows(0));

    // The trip: the first start after an error plays on a single click, in full screen with
    // the zoom kept, and the slider's time runs on across the join.
    controller.addFiles({dir.filePath("trip")});
    ASSERT_TRUE(waitForRows(1));
    ASSERT_EQ(row(0)->files().size(), 3u);
    std::vector<double> ticks;
    QObject::connect(playback, &RVTripPlayback::ticked,
                     [&](double seconds, double) { ticks.push_back(seconds); });
    controller.selectRow(0);
    controller.rowClicked();
    ASSERT_TRUE(waitFor([&] { return player->rate() == 1.0; }));
    EXPECT_DOUBLE_EQ(playback->duration(), 9.0);
    EXPECT_EQ(buttonImage(), "Pause");
    controller.altEnterPressed();
    controller.magnification(2.0);
    ASSERT_TRUE(waitFor([&] { return window->isFullScreen(); }));
    EXPECT_FALSE(controller.filesView()->isVisible());
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_DOUBLE_EQ(controller.magnificationFactor(), 2.0);
    ASSERT_TRUE(waitFor([&] { return controller.videoList()->playingFileInVideoIndex() == 1; }));
    controller.escapePressed();
    ASSERT_TRUE(waitFor([&] { return !window->isFullScreen(); }));
    EXPECT_TRUE(controller.filesView()->isVisible());
    EXPECT_DOUBLE_EQ(controller.magnificationFactor(), 1.0);
    controller.playPauseToggle();
    ASSERT_EQ(player->rate(), 0.0);
    EXPECT_GT(ticks.size(), 20u);
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_GE(ticks.back(), 3.0);

    // Seeks, jumps and steps on the trip's time line: the frame on screen once each settled.
    QSignalSpy settled(player, &RVMpvPlayer::seekFinished);
    const auto frameAfter = [&](const std::function<void()>& command) -> std::optional<int> {
        settled.clear();
        command();
        if (!waitFor([&] { return !settled.isEmpty(); }))
            return std::nullopt;
        QSignalSpy stills(player, &RVMpvPlayer::stillReady);
        player->grabStill({2000, 2000});
        if (!waitFor([&] { return !stills.isEmpty(); }))
            return std::nullopt;
        return frameNumber(stills.first().first().value<QImage>());
    };
    const auto at = [&](double tripSeconds) {
        return [&, tripSeconds] { controller.graphClicked(tripSeconds / 9.0); };
    };
    struct Step
    {
        std::function<void()> command;
        int frame;
        int file;
    };
    // Times inside a frame show the frame that starts next; clicks in the margins stay on the
    // trip; six-second jumps cross files and stop at the trip's start.
    for (const Step& s :
         {Step{at(3.5), 88, 1}, Step{at(7.02), 176, 2}, Step{at(0.22), 6, 0}, Step{at(-0.01), 0, 0},
          Step{at(2.0), 50, 0}, Step{[&] { controller.goForward(); }, 200, 2},
          Step{[&] { controller.goBack(); }, 50, 0}, Step{[&] { controller.goBack(); }, 0, 0},
          Step{at(4.0), 100, 1}, Step{[&] { controller.prevFrame(); }, 99, 1},
          Step{[&] { controller.nextFrame(); }, 100, 1}}) {
        EXPECT_EQ(frameAfter(s.command), s.frame);
        EXPECT_EQ(controller.videoList()->playingFileInVideoIndex(), s.file) << s.frame;
        EXPECT_EQ(player->rate(), 0.0) << s.frame;
    }

    // Paused at 4 s: the read-outs show the second recording's point, at once in other units.
    auto* velocity = window->findChild<QLabel*>("velocity");
    auto* clock = window->findChild<QLabel*>("clockLabel");
    ASSERT_TRUE(velocity && clock);
    EXPECT_EQ(velocity->text(), "40 KM_PER_HOUR");
    EXPECT_EQ(window->findChild<QLabel*>("altitudeLabel")->text(),
              "LABEL_ALTITUDE_TITLE: 110 LABEL_ALTITUDE_METER");
    const QDateTime frameTime = QDateTime::fromMSecsSinceEpoch(kStartMs + 4000).toLocalTime();
    EXPECT_EQ(clock->text(), frameTime.toString("yyyy-MM-dd HH:mm:ss"));
    controller.setMeasurementSystem("British");
    EXPECT_EQ(velocity->text(), "24 MILES_PER_HOUR");
    controller.setMeasurementSystem("Metric");
    // The screen shows the video and the graph, and the map the route with its marker.
    const QImage shot = window->screen()->grabWindow(0).toImage();
    const auto onScreen = [&](const char* name) {
        auto* widget = window->findChild<QWidget*>(name);
        return shot.copy(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    };
    const auto [videoDark, videoLight] = darkAndLight(onScreen("playerView"));
    EXPECT_GT(videoDark, 500);
    EXPECT_GT(videoLight, 500);
    EXPECT_GT(darkAndLight(onScreen("timeLine")).first, 150);
    RVMapView* map = controller.mapWebView();
    ASSERT_TRUE(MapPageScript::waitFor(*map, "korvelaMapState().routePoints > 1 && "
                                             "korvelaMapState().marker !== null"));
    const QVariantList marker = MapPageScript::evaluate(*map, "korvelaMapState().marker").toList();
    ASSERT_EQ(marker.size(), 2);
    EXPECT_NEAR(marker[0].toDouble(), 55.75 + 40 * 1e-4, 1e-9);

    // Zoom while paused shows another part of the frame at once; fit shows it whole, then the
    // fit button gives the video's own size.
    auto* video = window->findChild<QOpenGLWidget*>("videoWidget");
    const QImage fitted = video->grabFramebuffer();
    controller.zoomInClicked();
    EXPECT_TRUE(controller.playerScrollView()->scrollersVisible());
    EXPECT_TRUE(waitFor([&] { return video->grabFramebuffer() != fitted; }));
    controller.originalSizeClicked();
    EXPECT_TRUE(waitFor([&] { return video->grabFramebuffer() == fitted; }));
    controller.originalSizeClicked();
    EXPECT_EQ(controller.playerScrollView()->documentSize(), QSizeF(320, 240));
    controller.originalSizeClicked();

    // A still of the paused frame at the video's size, named after the file and its clock
    // time; asked while playing, the video waits while the panel is up and plays on after.
    QTemporaryDir out;
    dialogs->savePath = out.filePath("still.jpeg");
    controller.screenShotClicked();
    ASSERT_TRUE(waitFor([&] { return QFile::exists(*dialogs->savePath); }));
    const QImage still(*dialogs->savePath, "JPEG");
    EXPECT_EQ(still.size(), QSize(320, 240));
    EXPECT_EQ(frameNumber(still), 100);
    EXPECT_EQ(dialogs->proposedNames.last(),
              "clip1 " + frameTime.toString("yyyy-MM-dd HH-mm-ss") + ".jpeg");
    double rateWhileAsked = -1;
    dialogs->onSavePanel = [&] { rateWhileAsked = player->rate(); };
    dialogs->savePath.reset();
    controller.playPauseToggle();
    controller.screenShotClicked();
    EXPECT_TRUE(waitFor([&] { return dialogs->proposedNames.size() == 2; }));
    EXPECT_EQ(rateWhileAsked, 0.0);
    EXPECT_EQ(player->rate(), 1.0);
    EXPECT_EQ(dialogs->saveFolders.last(), out.path()); // where the last still went
    dialogs->onSavePanel = nullptr;

    // Exports through the save panel: cancelled, written (the spreadsheet's second table
    // beside the first), and a file that cannot be written is reported.
    controller.exportToKLMClicked();
    EXPECT_EQ(dialogs->proposedNames.last(), row(0)->name() + ".kml");
    dialogs->savePath = out.filePath("track.kml");
    controller.exportToKLMClicked();
    EXPECT_TRUE(support::readFile(*dialogs->savePath).contains("<coordinates>"));
    dialogs->savePath = out.filePath("A.gps.csv");
    controller.exportToExcelClicked();
    EXPECT_TRUE(QFile::exists(out.filePath("A.gps.csv")) &&
                QFile::exists(out.filePath("A.gsensor.csv")));
    dialogs->savePath = out.filePath("no/such/folder/track.gpx");
    controller.exportToGPX();
    ASSERT_EQ(dialogs->alerts.size(), 2);
    EXPECT_TRUE(dialogs->alerts[1].startsWith("ERROR_TITLE | "));

    // Rates: fast forward and backward in steps; a toggle returns to normal speed, then pauses.
    const double rates[] = {2.0, 4.0, -2.0, -4.0, 2.0};
    for (int i = 0; i < 5; ++i) {
        if (rates[i] > 0)
            playback->forward();
        else
            playback->rewind();
        EXPECT_EQ(player->rate(), rates[i]);
    }
    EXPECT_EQ(buttonImage(), "Play");
    controller.playPauseToggle();
    EXPECT_EQ(player->rate(), 1.0);
    controller.playPauseToggle();
    EXPECT_EQ(player->rate(), 0.0);
    // Backward play runs on into the recording before.
    controller.graphClicked(3.5 / 9.0);
    playback->rewind();
    EXPECT_TRUE(waitFor([&] {
        return controller.videoList()->playingFileInVideoIndex() == 0 &&
               player->currentPath().endsWith("clip0.mp4") && player->rate() < 0;
    }));
    // Played to the end it stops there; play then starts the trip again.
    controller.graphClicked(8.5 / 9.0);
    playback->forward();
    ASSERT_TRUE(waitFor([&] { return player->rate() == 0.0; }));
    EXPECT_EQ(player->currentPath(), dir.filePath("trip/clip2.mp4"));
    EXPECT_NEAR(controller.timeLine()->playProgress(), 1.0, 0.03);
    controller.playPauseToggle();
    EXPECT_TRUE(waitFor([&] {
        return player->currentPath().endsWith("clip0.mp4") && player->currentTime() > 0.2;
    }));

    // The unreadable recording neither splits its trip nor hides its length; playback passes
    // over it with a note naming it.
    controller.addFiles({dir.filePath("cut")});
    ASSERT_TRUE(waitForRows(2));
    const int cutRow = row(0)->files().front()->filePath().contains("/cut/") ? 0 : 1;
    const RVVideoDataPtr cut = row(cutRow);
    ASSERT_EQ(cut->files().size(), 3u);
    EXPECT_FLOAT_EQ(cut->duration(), 6.0f);
    controller.selectRow(cutRow);
    controller.rowDoubleClicked();
    EXPECT_TRUE(waitFor([&] {
        return player->currentPath().endsWith("cut/clip2.mp4") && player->currentTime() > 0.3;
    }));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("clip1.mp4"));
    // Deleting the playing trip stops it, and the trip left is not started.
    dialogs->answers = {true};
    controller.removeClicked(cut);
    EXPECT_FALSE(QFile::exists(dir.filePath("cut/clip0.mp4")));
    ASSERT_TRUE(waitForRows(1));
    ClipFactory::spin(300);
    EXPECT_FALSE(playback->node());
    EXPECT_EQ(player->rate(), 0.0);
    EXPECT_EQ(dialogs->alerts.size(), 2);
}

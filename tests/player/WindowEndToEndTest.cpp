// The real window on the demo card (recordings of all three camera formats) with the real map
// page and player: a trip plays, the screen shows video and graphs, the route is drawn, the
// marker and the read-outs follow playback, a click on the route seeks, keys on the map reach
// the window, zoom changes what the video shows, a still lands as a JPEG of the video's size,
// and another map provider reloads the page with the route on it.

#include "ClipFactory.h"
#include "MapPageScript.h"
#include "WindowTestSupport.h"

#include "library/RVVideoList.h"
#include "metadata/RVSettings.h"
#include "player/RVMainViewController.h"
#include "player/RVMapView.h"
#include "player/RVMpvPlayer.h"
#include "player/RVTripPlayback.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "player/RVVideoScrollView.h"
#include "timeline/RVTimeSlider2.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QOpenGLWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

using ClipFactory::waitFor;

namespace {

QVariant evaluate(RVMapView* view, const QString& script)
{
    return MapPageScript::evaluate(*view, script);
}

// Talks to the page while waiting: the page's calls back arrive through the web engine's
// message pump.
bool waitForPage(RVMapView* view, const QString& script, int timeoutMs = 30000)
{
    return waitFor([&] { return evaluate(view, script).toBool(); }, timeoutMs);
}

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); y += 2) {
        for (int x = 0; x < a.width(); x += 2) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            count += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                         std::abs(qBlue(p) - qBlue(q)) >
                     60;
        }
    }
    return count;
}

// The luminance's standard deviation (0-255) and the dark pixels of an area of a screenshot.
struct Region
{
    double luminanceSpread = 0;
    int darkPixels = 0;
};

Region measure(const QImage& image, const QRect& rect)
{
    Region region;
    double sum = 0, sumSquares = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const double l = qGray(image.pixel(x, y));
            sum += l;
            sumSquares += l * l;
            region.darkPixels += l < 60;
        }
    }
    const double count = std::max(1, rect.width() * rect.height());
    region.luminanceSpread =
        std::sqrt(std::max(0.0, sumSquares / count - std::pow(sum / count, 2)));
    return region;
}

} // namespace

TEST(WindowEndToEnd, DemoCardTripWithGraphsRouteMarkerSeekZoomStillAndProvider)
{
    const QString card = windowtest::demoCard();
    ASSERT_FALSE(card.isEmpty());
    windowtest::IsolatedSettings settings;
    for (const char* graph :
         {"GRAPHS_VELOCITY_ENABLED", "GRAPHS_G_SENSOR_COMMON_ENABLED", "GRAPHS_ALTITUDE_ENABLED"})
        RVSettings::setBool(graph, true);
    auto dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller(dialogs);
    controller.loadView(windowtest::makeVideoList(true));
    QMainWindow* window = controller.window();
    window->move(40, 40);
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->isVisible(); }));

    controller.addFiles({card});
    controller.videoList()->waitForIdle();
    RVVideoOutlineViewModel* model = controller.filesModel();
    ASSERT_TRUE(waitFor([&] { return model->rowCount() > 3; }, 20000));
    int tripRow = -1;
    for (int row = 0; row < model->rowCount() && tripRow < 0; ++row) {
        const RVVideoDataPtr node = model->nodeAt(model->index(row, 0));
        if (node && node->isTrip() && node->duration() > 20)
            tripRow = row;
    }
    ASSERT_GE(tripRow, 0) << "the demo card has trips";
    // A click loads the trip and reads its track; a double click plays it.
    controller.selectRow(tripRow);
    controller.rowClicked();
    controller.rowDoubleClicked();
    ASSERT_TRUE(controller.playback()->node());
    ASSERT_TRUE(waitFor(
        [&] {
            const auto points = controller.timeLine()->points();
            return points && !points->empty();
        },
        15000));
    ASSERT_TRUE(waitFor([&] { return controller.player()->currentTime() > 1.5; }, 15000));
    EXPECT_GT(controller.timeLine()->playProgress(), 0.0);
    ClipFactory::spin(500);

    // What the screen shows, not what the widgets believe they drew.
    const QImage shot =
        window->screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    shot.save(QStringLiteral(KORVELA_BINARY_DIR "/window-end-to-end.png"));
    auto onScreen = [&](const char* name) {
        auto* widget = window->findChild<QWidget*>(name);
        const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        const qreal ratio = shot.devicePixelRatio();
        return QRect(r.topLeft() * ratio, r.size() * ratio).intersected(shot.rect());
    };
    // The video: the demo recordings show their name, clock and counter on a coloured
    // picture, so the area is neither blank nor one colour.
    ASSERT_GT(onScreen("playerView").width(), 100);
    EXPECT_GT(measure(shot, onScreen("playerView")).luminanceSpread, 12.0);
    // The graphs: curves drawn in dark lines over light bands.
    const Region graphs = measure(shot, onScreen("timeLine"));
    EXPECT_GT(graphs.darkPixels, 150);
    EXPECT_GT(graphs.luminanceSpread, 20.0);

    // The route: every point with a position is on the map, and the marker is placed.
    const RVPointSeries points = controller.videoList()->points();
    int withPosition = 0;
    for (const RVPoint& p : *points)
        withPosition += float(p.latitudeValue()) != 0;
    ASSERT_GT(withPosition, 100);
    RVMapView* map = controller.mapWebView();
    ASSERT_TRUE(waitForPage(map, QStringLiteral("korvelaMapState().routes > 0 && "
                                                "korvelaMapState().marker !== null")));
    // The line is thinned for the map: some of the points, never more.
    const int drawn = evaluate(map, "korvelaMapState().routePoints").toInt();
    EXPECT_GT(drawn, 1);
    EXPECT_LE(drawn, withPosition);

    // The marker and the read-outs follow playback.
    const QVariantList firstMarker = evaluate(map, "korvelaMapState().marker").toList();
    EXPECT_TRUE(waitForPage(map,
                            QStringLiteral("korvelaMapState().marker[0] !== %1 || "
                                           "korvelaMapState().marker[1] !== %2")
                                .arg(firstMarker.value(0).toDouble(), 0, 'g', 17)
                                .arg(firstMarker.value(1).toDouble(), 0, 'g', 17),
                            10000));
    auto* velocity = window->findChild<QLabel*>("velocity");
    auto* altitude = window->findChild<QLabel*>("altitudeLabel");
    ASSERT_TRUE(velocity && altitude);
    EXPECT_TRUE(QRegularExpression("^\\d+ \\S+$").match(velocity->text()).hasMatch())
        << velocity->text().toStdString();
    EXPECT_TRUE(QRegularExpression("^\\S+: -?\\d+ \\S+$").match(altitude->text()).hasMatch())
        << altitude->text().toStdString();
    // The clock: the recording's local date and time at the playing frame, within the trip.
    auto* clock = window->findChild<QLabel*>("clockLabel");
    ASSERT_NE(clock, nullptr);
    const QDateTime shown =
        QDateTime::fromString(clock->text().left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QDateTime start = controller.playback()->node()->created().toDateTime().toLocalTime();
    ASSERT_TRUE(shown.isValid()) << clock->text().toStdString();
    EXPECT_LE(start.secsTo(shown), qint64(controller.playback()->duration()) + 1);
    EXPECT_GE(start.secsTo(shown), 0);

    // A click on the route three quarters along seeks there, through the page's "Cocoa".
    const std::size_t target = points->size() * 3 / 4;
    std::size_t clicked = target;
    while (clicked < points->size() && float((*points)[clicked].latitudeValue()) == 0)
        ++clicked;
    ASSERT_LT(clicked, points->size());
    const double expected = double(clicked) / double(points->size());
    const double tolerance =
        3.0 / controller.playback()->duration(); // whole-second seeks, then playing
    evaluate(map, QStringLiteral("Cocoa.log(%1, %2)")
                      .arg((*points)[clicked].latitude(), (*points)[clicked].longitude()));
    EXPECT_TRUE(waitFor(
        [&] {
            evaluate(map, "0");
            return std::fabs(controller.timeLine()->playProgress() - expected) < tolerance;
        },
        10000))
        << controller.timeLine()->playProgress() << " vs " << expected;

    // The space bar on the map pauses, as it does in the video area.
    ASSERT_EQ(controller.player()->rate(), 1.0);
    evaluate(map,
             "document.dispatchEvent(new KeyboardEvent('keydown', {code: 'Space', key: ' '}))");
    EXPECT_TRUE(waitFor(
        [&] {
            evaluate(map, "0");
            return controller.player()->rate() == 0.0;
        },
        10000));
    ClipFactory::spin(500);
    // Other units while paused: the read-out changes now, not at the next tick.
    const QString metricSpeed = velocity->text();
    controller.setMeasurementSystem("British");
    EXPECT_NE(velocity->text(), metricSpeed);
    controller.setMeasurementSystem("Metric");
    EXPECT_EQ(velocity->text(), metricSpeed);

    // Zoom: the enlarged video shows another picture; the fit button alternates between
    // fitted and the video's native size.
    auto* video = window->findChild<QOpenGLWidget*>("videoWidget");
    ASSERT_TRUE(video);
    RVVideoScrollView* scroll = controller.playerScrollView();
    const QImage fitted = video->grabFramebuffer();
    controller.zoomInClicked();
    EXPECT_DOUBLE_EQ(controller.magnificationFactor(), 2.0);
    EXPECT_TRUE(scroll->scrollersVisible());
    // The wheel pans the enlarged video (up: a video wider than the view is enlarged to only a
    // little more than the view's height, and zooming about the centre ends at its bottom).
    const QPointF before = scroll->visibleRect().topLeft();
    QWheelEvent wheel(QPointF(10, 10), scroll->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(scroll, &wheel);
    EXPECT_LT(scroll->visibleRect().top(), before.y());
    ClipFactory::spin(600);
    const QImage zoomed = video->grabFramebuffer();
    EXPECT_GT(differingPixels(fitted, zoomed), fitted.width() * fitted.height() / 40);
    controller.originalSizeClicked(); // zoomed: back to fitted
    EXPECT_DOUBLE_EQ(controller.magnificationFactor(), 1.0);
    EXPECT_TRUE(scroll->isFitted());
    EXPECT_FALSE(scroll->scrollersVisible());
    ClipFactory::spin(600);
    EXPECT_LT(differingPixels(fitted, video->grabFramebuffer()),
              fitted.width() * fitted.height() / 400);
    controller.originalSizeClicked(); // fitted: native size
    const QSize native = controller.player()->videoSize();
    ASSERT_FALSE(native.isEmpty());
    EXPECT_EQ(scroll->documentSize(), QSizeF(native));
    EXPECT_DOUBLE_EQ(controller.magnificationFactor(), native.width() / double(scroll->width()));

    // A still of the paused frame, saved where the panel says, at the video's own size,
    // named after the file and the frame's clock time.
    QTemporaryDir stills;
    dialogs->savePath = stills.filePath("still.jpeg");
    const QString stillFile = QFileInfo(controller.playback()->currentPath()).completeBaseName();
    controller.screenShotClicked();
    ASSERT_TRUE(waitFor([&] { return QFile::exists(*dialogs->savePath); }, 10000));
    const QImage still(*dialogs->savePath, "JPEG");
    EXPECT_EQ(still.size(), native);
    ASSERT_FALSE(dialogs->proposedNames.isEmpty());
    const QRegularExpression stillName(
        QStringLiteral("^%1 \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.jpeg$")
            .arg(QRegularExpression::escape(stillFile)));
    EXPECT_TRUE(stillName.match(dialogs->proposedNames.last()).hasMatch())
        << dialogs->proposedNames.last().toStdString();
    // Asked while playing and cancelled: the video waits while the panel is up and plays on
    // after; the panel opened where the last still went; nothing written, nothing reported.
    double rateWhileAsked = -1;
    dialogs->onSavePanel = [&] { rateWhileAsked = controller.player()->rate(); };
    dialogs->savePath.reset();
    const qsizetype asked = dialogs->proposedNames.size();
    controller.player()->play();
    controller.screenShotClicked();
    EXPECT_TRUE(waitFor([&] { return dialogs->proposedNames.size() > asked; }, 10000));
    EXPECT_EQ(rateWhileAsked, 0.0);
    EXPECT_EQ(controller.player()->rate(), 1.0);
    controller.player()->pause();
    dialogs->onSavePanel = nullptr;
    EXPECT_EQ(dialogs->saveFolders.last(), stills.path());
    EXPECT_TRUE(dialogs->alerts.isEmpty()) << dialogs->alerts.join("\n").toStdString();

    // Another provider: the page is reloaded and the route drawn on the new page.
    evaluate(map, "window.korvelaOldPage = true");
    controller.setMapsProvider("Google");
    EXPECT_EQ(RVSettings::textValue(RVSettings::kMapsProvider), "Google");
    EXPECT_TRUE(waitForPage(map, QStringLiteral("!window.korvelaOldPage && "
                                                "korvelaMapState().routePoints === %1 && "
                                                "korvelaMapState().marker !== null")
                                     .arg(drawn)));
}

// The window as a driver meets it with generated clips: a single video given as a file URI, a
// folder holding one trip and a folder whose middle recording cannot be read. Each shows as a
// row; a paused zoom shows on screen; backward play runs through the trip; an unreadable
// recording is skipped with a note; removing or deleting what plays stops it and starts
// nothing else.
TEST(WindowEndToEnd, OneTripSingleVideoAndCutRecording)
{
    ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
    windowtest::IsolatedSettings settings;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller(dialogs);
    controller.loadView(windowtest::makeVideoList(false));
    QMainWindow* window = controller.window();
    window->move(40, 40);
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->isVisible(); }));
    RVVideoOutlineViewModel* model = controller.filesModel();
    RVMpvPlayer* player = controller.player();
    // A row the user can see, not only one the model has.
    auto rowShown = [&](int row) {
        const QModelIndex index = model->index(row, 0);
        const QRect rect = controller.filesView()->visualRect(index);
        return !rect.isEmpty() && controller.filesView()->indexAt(rect.center()) == index;
    };
    auto waitForRows = [&](int rows) {
        controller.videoList()->waitForIdle();
        return waitFor([&] { return model->rowCount() == rows && rowShown(rows - 1); });
    };

    // Recording times come from the files' times: the trip's three follow each other, the
    // cut trip's an hour later.
    QTemporaryDir dir;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
    auto place = [&](const QString& target, int clip, int seconds) {
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(clip < 0 ? ClipFactory::makeBroken(target)
                             : QFile::copy(ClipFactory::tripClip(clip), target));
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(start.addSecs(seconds), QFileDevice::FileModificationTime));
    };
    const QString single = dir.filePath("single/one.mp4");
    place(single, 0, -7200);
    for (int i = 0; i < 3; ++i) {
        place(dir.filePath(QStringLiteral("trip/clip%1.mp4").arg(i)), i, 3 * i);
        place(dir.filePath(QStringLiteral("cut/clip%1.mp4").arg(i)), i == 1 ? -1 : i, 3600 + 3 * i);
    }

    // A file URI is taken; a path that does not exist is named on the status bar.
    controller.addFiles({QUrl::fromLocalFile(single).toString(), dir.filePath("missing.mp4")});
    ASSERT_TRUE(waitForRows(1)) << "a list of one recording shows it";
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("missing.mp4"))
        << window->statusBar()->currentMessage().toStdString();
    // Removing the playing row stops it.
    controller.selectRow(0);
    controller.rowDoubleClicked();
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.3; }));
    controller.removeFileClicked();
    EXPECT_FALSE(controller.playback()->node());
    EXPECT_TRUE(player->currentPath().isEmpty());
    EXPECT_EQ(player->rate(), 0.0);

    controller.addFiles({dir.filePath("trip")});
    ASSERT_TRUE(waitForRows(1)) << "a list of one trip shows it";
    ASSERT_EQ(model->nodeAt(model->index(0, 0))->files().size(), 3u);
    controller.selectRow(0);
    controller.rowDoubleClicked();
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.5; }));
    controller.graphClicked(4.5 / 9.0); // in the second recording
    ASSERT_TRUE(waitFor([&] { return controller.videoList()->playingFileInVideoIndex() == 1; }));
    controller.playPauseToggle();
    ASSERT_TRUE(waitFor([&] { return player->rate() == 0.0; }));
    ClipFactory::spin(600);

    // Zoom while paused: what the screen shows changes at once, and fit brings it back.
    auto* video = window->findChild<QOpenGLWidget*>("videoWidget");
    ASSERT_TRUE(video);
    auto screenOfVideo = [&] {
        const QRect r(video->mapToGlobal(QPoint(0, 0)), video->size());
        return window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    };
    const QImage fitted = screenOfVideo();
    controller.zoomInClicked();
    controller.zoomInClicked();
    ClipFactory::spin(600);
    const QImage zoomed = screenOfVideo();
    window->screen()->grabWindow(0).save(
        QStringLiteral(KORVELA_BINARY_DIR "/window-paused-zoom.png"));
    EXPECT_GT(differingPixels(fitted, zoomed), fitted.width() * fitted.height() / 40);
    controller.originalSizeClicked();
    ClipFactory::spin(600);
    EXPECT_LT(differingPixels(fitted, screenOfVideo()), fitted.width() * fitted.height() / 400);

    // Backward play runs on into the recording before.
    controller.playback()->rewind();
    EXPECT_TRUE(waitFor(
        [&] {
            return controller.videoList()->playingFileInVideoIndex() == 0 &&
                   player->currentPath().endsWith("clip0.mp4") && player->currentTime() < 2.9 &&
                   player->rate() < 0;
        },
        10000))
        << controller.videoList()->playingFileInVideoIndex() << " " << player->rate();
    controller.playPauseToggle();

    // The unreadable recording neither splits its trip nor hides its length; playback passes
    // over it with a note naming it and goes on with the next.
    controller.addFiles({dir.filePath("cut")});
    ASSERT_TRUE(waitForRows(2));
    int cutRow = -1;
    for (int row = 0; row < 2; ++row) {
        if (model->nodeAt(model->index(row, 0))->files().front()->filePath().contains("/cut/"))
            cutRow = row;
    }
    ASSERT_GE(cutRow, 0);
    const RVVideoDataPtr cut = model->nodeAt(model->index(cutRow, 0));
    ASSERT_EQ(cut->files().size(), 3u);
    EXPECT_FLOAT_EQ(cut->duration(), 6.0f);
    controller.selectRow(cutRow);
    controller.rowDoubleClicked();
    EXPECT_TRUE(waitFor(
        [&] {
            return controller.videoList()->playingFileInVideoIndex() == 2 &&
                   player->currentPath().endsWith("clip2.mp4") && player->currentTime() > 0.3;
        },
        15000));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("clip1.mp4"))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(dialogs->alerts.isEmpty()) << dialogs->alerts.join("\n").toStdString();

    // Deleting the playing trip stops it, and the trip left is not started.
    dialogs->answers = {true};
    controller.removeClicked(cut);
    EXPECT_FALSE(QFile::exists(dir.filePath("cut/clip0.mp4")));
    ASSERT_TRUE(waitForRows(1));
    ClipFactory::spin(500);
    EXPECT_FALSE(controller.playback()->node());
    EXPECT_EQ(player->rate(), 0.0);
    EXPECT_TRUE(player->currentPath().isEmpty());
}

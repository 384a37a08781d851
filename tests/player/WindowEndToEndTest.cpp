// The real window on the demo card: the library finds the recordings of all three camera
// formats, a trip plays, and a screenshot of the screen shows video and graphs.

#include "ClipFactory.h"
#include "WindowTestSupport.h"

#include "library/RVVideoList.h"
#include "player/RVMainViewController.h"
#include "player/RVMpvPlayer.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVTimeSlider2.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <cmath>
#include <set>

using ClipFactory::waitFor;

namespace {

struct Region
{
    int distinctColours = 0;    // colours quantised to 4 bits per channel
    double luminanceSpread = 0; // standard deviation, 0-255
    int darkPixels = 0;
};

Region measure(const QImage& image, const QRect& rect)
{
    Region region;
    std::set<int> colours;
    double sum = 0, sumSquares = 0;
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            colours.insert(((qRed(p) >> 4) << 8) | ((qGreen(p) >> 4) << 4) | (qBlue(p) >> 4));
            const double l = 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
            sum += l;
            sumSquares += l * l;
            region.darkPixels += l < 60;
            ++count;
        }
    }
    region.distinctColours = int(colours.size());
    const double mean = count ? sum / count : 0;
    region.luminanceSpread = count ? std::sqrt(std::max(0.0, sumSquares / count - mean * mean)) : 0;
    return region;
}

} // namespace

TEST(WindowEndToEnd, PlaysATripOfTheDemoCardWithVideoAndGraphs)
{
    const QString card = windowtest::demoCard();
    ASSERT_FALSE(card.isEmpty());
    windowtest::IsolatedSettings settings;
    QSettings().setValue("GRAPHS_VELOCITY_ENABLED", true);
    QSettings().setValue("GRAPHS_G_SENSOR_COMMON_ENABLED", true);
    QSettings().setValue("GRAPHS_ALTITUDE_ENABLED", true);

    auto dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller(dialogs);
    controller.loadView(windowtest::makeVideoList(true));
    QMainWindow* window = controller.window();
    window->move(40, 40);
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->isVisible(); }));
    EXPECT_EQ(window->size(), QSize(900, 534));

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
    const RVVideoDataPtr trip = controller.playingVideoData();
    ASSERT_TRUE(trip);
    ASSERT_TRUE(waitFor(
        [&] {
            const auto points = controller.timeLine()->points();
            return points && !points->empty();
        },
        15000));
    ASSERT_TRUE(waitFor([&] { return controller.player()->currentTime() > 1.5; }, 15000));
    EXPECT_EQ(controller.player()->rate(), 1.0);
    EXPECT_GT(controller.timeLine()->playProgress(), 0.0);
    EXPECT_TRUE(dialogs->alerts.isEmpty()) << dialogs->alerts.join("\n").toStdString();
    ClipFactory::spin(500);

    // What the screen shows, not what the widgets believe they drew.
    QScreen* screen = window->screen();
    ASSERT_NE(screen, nullptr);
    const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    shot.save(QStringLiteral(KORVELA_BINARY_DIR "/window-end-to-end.png"));
    const qreal ratio = shot.devicePixelRatio();
    auto onScreen = [&](QWidget* widget) {
        const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        return QRect(r.topLeft() * ratio, r.size() * ratio).intersected(shot.rect());
    };
    auto* videoArea = window->findChild<QWidget*>("playerView");
    auto* slider = window->findChild<QWidget*>("timeLine");
    ASSERT_TRUE(videoArea && slider);
    ASSERT_GT(videoArea->width(), 100);

    // The video: the demo recordings show their name, clock and counter on a coloured
    // picture, so the area is neither blank nor one colour.
    const Region video = measure(shot, onScreen(videoArea));
    EXPECT_GT(video.distinctColours, 20);
    EXPECT_GT(video.luminanceSpread, 12.0);
    // The graphs: curves drawn in dark lines over light bands.
    const Region graphs = measure(shot, onScreen(slider));
    EXPECT_GT(graphs.darkPixels, 150);
    EXPECT_GT(graphs.luminanceSpread, 20.0);
}

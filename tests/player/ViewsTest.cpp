// Several camera views of one recording on a real mpv: a front trip (the shared grey clips,
// frames numbered 0-224 over three files) and a rear trip with the same numbers in blue. A
// still of what is shown tells which camera is where and which frame each view shows.

#include "ClipFactory.h"

#include "WindowTestSupport.h"
#include "library/RVVideoData.h"
#include "library/RVVideoList.h"
#include "player/RVMainViewController.h"
#include "player/RVMpvPlayer.h"
#include "player/RVMpvVideoWidget.h"
#include "player/RVThumbnailPopover.h"
#include "player/RVViewLayout.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QTemporaryDir>

#include <cstdlib>

using ClipFactory::frameNumber;
using ClipFactory::spin;
using ClipFactory::waitFor;

namespace {

struct RearTrip
{
    RearTrip()
    {
        ok = !ClipFactory::tripDir().isEmpty();
        for (int i = 0; ok && i < 3; ++i)
            ok = ClipFactory::make(clip(i), {320, 240, 25, 3.0, 75 * i, 25, 200, 100});
    }
    QString clip(int i) const { return dir.filePath(QStringLiteral("rear%1.mp4").arg(i)); }
    QTemporaryDir dir;
    bool ok = false;
};

RearTrip& rearTrip()
{
    static RearTrip trip;
    return trip;
}

std::vector<RVVideoView> viewsOf(int index)
{
    return {{RVChannel::Front, ClipFactory::tripClip(index)},
            {RVChannel::Rear, rearTrip().clip(index)}};
}

enum class Camera
{
    None,
    Front,
    Rear
};

// Which clip a part of a picture comes from, by its average tint: the rear clip's pixels,
// white, black or grey, are all at least 59 levels bluer than red.
Camera cameraOf(const QImage& part)
{
    if (part.isNull())
        return Camera::None;
    long long blueOverRed = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x)
            blueOverRed += qBlue(part.pixel(x, y)) - qRed(part.pixel(x, y));
    }
    const long long mean = blueOverRed / (part.width() * part.height());
    return mean > 40 ? Camera::Rear : std::abs(mean) < 15 ? Camera::Front : Camera::None;
}
// The main view, below the top right corner where a picture in picture sits.
Camera mainCameraOf(const QImage& image)
{
    return cameraOf(image.copy(0, image.height() / 2, image.width() / 2, image.height() / 2));
}

// A still of the whole picture, asked of the player as the still command does.
QImage still(RVMpvPlayer& player)
{
    QImage image;
    bool answered = false;
    QObject context;
    QObject::connect(&player, &RVMpvPlayer::stillReady, &context, [&](const QImage& i) {
        image = i;
        answered = true;
    });
    QObject::connect(&player, &RVMpvPlayer::stillFailed, &context, [&] { answered = true; });
    player.grabStill({4000, 4000});
    waitFor([&] { return answered; });
    return image;
}

struct Halves
{
    std::optional<int> left, right;
    Camera leftCamera = Camera::None, rightCamera = Camera::None;
};
Halves halvesOf(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage left = image.copy(0, 0, image.width() / 2, image.height());
    const QImage right = image.copy(image.width() / 2, 0, image.width() / 2, image.height());
    return {frameNumber(left), frameNumber(right), cameraOf(left), cameraOf(right)};
}

} // namespace

// Side by side through a paused seek, frame steps both ways, a join of two files while
// playing, and backward play: every picture shows the same frame number in both views.
TEST(MpvPlayerViews, ViewsShownTogetherStayOnTheSameFrame)
{
    ASSERT_TRUE(rearTrip().ok);
    RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
    RVMpvVideoWidget widget(&player);
    widget.resize(640, 240);
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.hasRenderContext(); }));
    int firstFrames = 0, seeks = 0, ends = 0;
    QObject::connect(&player, &RVMpvPlayer::firstFrameShown, [&] { ++firstFrames; });
    QObject::connect(&player, &RVMpvPlayer::seekFinished, [&] { ++seeks; });
    QObject::connect(&player, &RVMpvPlayer::endReached, [&] { ++ends; });
    const RVViewChoice sideBySide{RVChannel::Front, RVViewArrangement::SideBySide};
    auto sources = [&](int index) {
        return RVViewLayout::sourcesFor(viewsOf(index), ClipFactory::tripClip(index), sideBySide);
    };

    player.load(ClipFactory::tripClip(0), 1.72, true, sources(0));
    ASSERT_TRUE(waitFor([&] { return firstFrames == 1; }, 10000));
    EXPECT_EQ(player.videoSize(), QSize(640, 240));
    EXPECT_NEAR(player.framesPerSecond(), 25.0, 0.01); // steps and backward play need it
    Halves shown = halvesOf(still(player));
    EXPECT_EQ(shown.left, 43);
    EXPECT_EQ(shown.right, 43);
    EXPECT_EQ(shown.leftCamera, Camera::Front);
    EXPECT_EQ(shown.rightCamera, Camera::Rear);

    player.stepFrame(-1);
    ASSERT_TRUE(waitFor([&] { return seeks == 1; }));
    shown = halvesOf(still(player));
    EXPECT_EQ(shown.left, 42);
    EXPECT_EQ(shown.right, 42);
    player.stepFrame(+1);
    ASSERT_TRUE(waitFor([&] { return halvesOf(still(player)).left == 43; }));
    EXPECT_EQ(halvesOf(still(player)).right, 43);

    // Playing into the next file, then backward: every still is one picture of both views.
    player.seek(2.5);
    ASSERT_TRUE(waitFor([&] { return seeks == 2; }));
    player.setNextPath(ClipFactory::tripClip(1), sources(1));
    QObject::connect(&player, &RVMpvPlayer::endReached, &player,
                     [&] { player.load(ClipFactory::tripClip(1), 0.0, false, sources(1)); });
    std::vector<Halves> samples;
    auto sampleFor = [&](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            samples.push_back(halvesOf(still(player)));
    };
    player.play();
    sampleFor(1500);
    EXPECT_EQ(ends, 1);
    player.setRate(-2.0);
    sampleFor(800);
    int largest = 0, sawSecondFile = 0;
    for (const Halves& sample : samples) {
        ASSERT_TRUE(sample.left && sample.right);
        largest = std::max(largest, std::abs(*sample.left - *sample.right));
        sawSecondFile += *sample.left >= 75;
    }
    EXPECT_EQ(largest, 0);
    EXPECT_GT(sawSecondFile, 0);
    EXPECT_GT(samples.size(), 20u);

    // Another camera's file that cannot be opened: the played file is shown alone.
    std::vector<QString> failures;
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&](QString m) { failures.push_back(m); });
    RVViewSources missing = sources(0);
    missing.externalFile += QStringLiteral(".missing");
    player.load(ClipFactory::tripClip(0), 1.0, true, missing);
    ASSERT_TRUE(waitFor([&] { return player.currentViews().graph.isEmpty() && player.isReady(); }));
    ASSERT_TRUE(waitFor([&] { return frameNumber(still(player)) == 25; }));
    EXPECT_EQ(still(player).size(), QSize(320, 240));
    EXPECT_TRUE(failures.empty());
}

// The window: the Camera menu's commands change what the video area shows, from the current
// frame on, and the hover thumbnails follow the main view.
TEST(WindowViews, CameraMenuSwitchesTheViewsShown)
{
    ASSERT_TRUE(rearTrip().ok);
    auto dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller(dialogs);
    controller.loadView(windowtest::makeVideoList(false));
    controller.window()->show();
    RVVideoDataList children;
    RVVideoFileList files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(std::make_shared<RVVideoFile>(ClipFactory::tripClip(i), 3.0f, RVTimestamp(),
                                                      false, viewsOf(i)));
        children.push_back(
            RVVideoData::create(files.back()->fileName(), 3.0f, RVTimestamp(), {files.back()}, {}));
    }
    const RVVideoDataPtr trip = RVVideoData::create("trip", 9.0f, RVTimestamp(), files, children);
    RVMpvPlayer& player = *controller.player();
    QMenu* menu = controller.cameraMenu();
    ASSERT_NE(menu, nullptr);
    auto item = [&](const char* name) { return menu->findChild<QAction*>(name); };
    EXPECT_FALSE(item("camera_rear")->isEnabled()); // nothing playing: only the front camera

    controller.startVideo(trip);
    ASSERT_TRUE(waitFor([&] { return player.isReady() && player.rate() == 1.0; }, 10000));
    EXPECT_TRUE(item("camera_rear")->isEnabled());
    EXPECT_FALSE(item("camera_interior")->isEnabled());
    controller.playPauseToggle();
    controller.graphClicked(4.4 / 9.0); // the second file, at frame 110
    ASSERT_TRUE(waitFor([&] { return frameNumber(still(player)) == 110; }));
    EXPECT_EQ(mainCameraOf(still(player)), Camera::Front);

    struct Step
    {
        const char* command;
        QSize size;
        Camera main;
        Camera corner;       // the top right corner
        bool numberReadable; // not covered by a picture in picture
    };
    const Step steps[] = {
        {"camera_rear", {320, 240}, Camera::Rear, Camera::Rear, true},
        {"viewPictureInPicture", {320, 240}, Camera::Rear, Camera::Front, false},
        {"swapViews", {320, 240}, Camera::Front, Camera::Rear, false},
        {"viewSideBySide", {640, 240}, Camera::Front, Camera::Rear, true},
        {"viewSingle", {320, 240}, Camera::Front, Camera::Front, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        item(step.command)->trigger();
        QImage image;
        auto corner = [&] { return cameraOf(image.copy(image.width() - 60, 20, 40, 40)); };
        ASSERT_TRUE(waitFor([&] {
            image = still(player);
            return image.size() == step.size && mainCameraOf(image) == step.main &&
                   corner() == step.corner;
        })) << int(mainCameraOf(image))
            << " " << int(corner());
        if (step.numberReadable) {
            EXPECT_EQ(frameNumber(image.copy(0, 0, 320, 240)), 110); // the same moment
        }
    }

    // The thumbnails come from the main view's camera.
    item("camera_rear")->trigger();
    controller.showPopover();
    controller.showThumbnailAtProgress(7.0 / 9.0);
    ASSERT_TRUE(waitFor([&] { return !controller.thumbnailPopover()->thumbnail().isNull(); }));
    EXPECT_EQ(cameraOf(controller.thumbnailPopover()->thumbnail()), Camera::Rear);
}

// The views shown for a recording that lacks the chosen camera, or has no front camera.
TEST(ViewLayout, RecordingsWithoutTheChosenCameraShowWhatTheyHave)
{
    const std::vector<RVVideoView> frontOnly{{RVChannel::Front, "f.mp4"}};
    const std::vector<RVVideoView> rearAndInterior{{RVChannel::Rear, "r.mp4"},
                                                   {RVChannel::Interior, "i.mp4"}};
    const std::vector<RVVideoView> frontAndInterior{{RVChannel::Front, "f.mp4"},
                                                    {RVChannel::Interior, "i.mp4"}};
    using A = RVViewArrangement;
    const struct
    {
        const std::vector<RVVideoView>& views;
        QString played;
        RVViewChoice choice;
        QString shownMain, external;
        bool composed;
    } rows[] = {
        {frontOnly, "f.mp4", {RVChannel::Rear, A::Single}, "f.mp4", "", false},
        {frontOnly, "f.mp4", {RVChannel::Front, A::SideBySide}, "f.mp4", "", false},
        {frontAndInterior, "f.mp4", {RVChannel::Rear, A::PictureInPicture}, "f.mp4", "i.mp4", true},
        {frontAndInterior, "f.mp4", {RVChannel::Interior, A::Single}, "i.mp4", "i.mp4", true},
        {rearAndInterior, "r.mp4", {RVChannel::Front, A::SideBySide}, "r.mp4", "i.mp4", true},
        {rearAndInterior,
         "r.mp4",
         {RVChannel::Interior, A::PictureInPicture},
         "i.mp4",
         "i.mp4",
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shownMain.toStdString() + " " + row.external.toStdString());
        EXPECT_EQ(RVViewLayout::mainViewPath(row.views, row.played, row.choice), row.shownMain);
        const RVViewSources sources = RVViewLayout::sourcesFor(row.views, row.played, row.choice);
        EXPECT_EQ(sources.externalFile, row.external);
        EXPECT_EQ(!sources.graph.isEmpty(), row.composed);
    }
}

// Several camera views of one recording on a real mpv: a front trip (the shared grey clips,
// frames numbered 0-224 over three files) and a rear trip with the same numbers in blue. A
// still of what is shown tells which camera is where and which frame each view shows.

#include "ClipFactory.h"

#include "WindowTestSupport.h"
#include "library/RVVideoData.h"
#include "metadata/RVNativePath.h"
#include "player/RVMainViewController.h"
#include "player/RVMpvPlayer.h"
#include "player/RVMpvVideoWidget.h"
#include "player/RVThumbnailPopover.h"
#include "player/RVTripPlayback.h"
#include "player/RVViewLayout.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using ClipFactory::frameNumber;
using ClipFactory::waitFor;

namespace {

QString rearClip(int index)
{
    static QTemporaryDir dir;
    static const bool made = [] {
        for (int i = 0; i < 3; ++i) {
            if (!ClipFactory::make(dir.filePath(QStringLiteral("rear%1.mp4").arg(i)),
                                   {320, 240, 25, 3.0, 75 * i, 25, 200, 100}))
                return false;
        }
        return true;
    }();
    return made ? dir.filePath(QStringLiteral("rear%1.mp4").arg(index)) : QString();
}

std::vector<RVVideoView> viewsOf(int index)
{
    return {{RVChannel::Front, ClipFactory::tripClip(index)}, {RVChannel::Rear, rearClip(index)}};
}

// "F" or "R": which clip a part of a picture comes from, by its average tint (every pixel of
// the rear clip, white, black or grey, is at least 59 levels bluer than red); "?" for neither.
QString cameraOf(const QImage& part)
{
    long long blueOverRed = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x)
            blueOverRed += qBlue(part.pixel(x, y)) - qRed(part.pixel(x, y));
    }
    const long long mean = part.isNull() ? 100000 : blueOverRed / (part.width() * part.height());
    return mean > 40 ? "R" : std::abs(mean) < 15 ? "F" : "?";
}

// Frame number and camera of a part: "43F".
QString viewIn(const QImage& part)
{
    const auto number = frameNumber(part);
    return (number ? QString::number(*number) : QStringLiteral("-")) + cameraOf(part);
}

// A side-by-side picture's two views: "43F 43R"; empty without a picture.
QString halvesOf(const QImage& image)
{
    if (image.isNull())
        return {};
    const int half = image.width() / 2;
    return viewIn(image.copy(0, 0, half, image.height())) + " " +
           viewIn(image.copy(half, 0, half, image.height()));
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

} // namespace

// Side by side through a paused seek, frame steps both ways, a join of two files while
// playing, and backward play: every picture shows the same frame number in both views.
TEST(MpvPlayerViews, ViewsShownTogetherStayOnTheSameFrame)
{
    ASSERT_FALSE(rearClip(0).isEmpty());
    RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
    RVMpvVideoWidget widget(&player);
    widget.resize(640, 240);
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.hasRenderContext(); }));
    int firstFrames = 0, seeks = 0, failures = 0;
    QObject::connect(&player, &RVMpvPlayer::firstFrameShown, [&] { ++firstFrames; });
    QObject::connect(&player, &RVMpvPlayer::seekFinished, [&] { ++seeks; });
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&] { ++failures; });
    auto sources = [&](int index) {
        return RVViewLayout::sourcesFor(viewsOf(index), ClipFactory::tripClip(index),
                                        {RVChannel::Front, RVViewArrangement::SideBySide});
    };
    QObject::connect(&player, &RVMpvPlayer::endReached, [&] {
        player.load(ClipFactory::tripClip(1), 0.0, false, sources(1)); // as the window does
    });

    player.load(ClipFactory::tripClip(0), 1.72, true, sources(0));
    ASSERT_TRUE(waitFor([&] { return firstFrames == 1; }, 10000));
    // The size of the views put together is asked for once their first frame is there.
    EXPECT_TRUE(waitFor([&] { return player.videoSize() == QSize(640, 240); }))
        << player.videoSize().width() << "x" << player.videoSize().height();
    EXPECT_NEAR(player.framesPerSecond(), 25.0, 0.01); // steps and backward play need it
    EXPECT_EQ(halvesOf(still(player)), "43F 43R");
    player.stepFrame(-1);
    ASSERT_TRUE(waitFor([&] { return seeks == 1; }));
    EXPECT_EQ(halvesOf(still(player)), "42F 42R");
    player.stepFrame(+1);
    EXPECT_TRUE(waitFor([&] { return halvesOf(still(player)) == "43F 43R"; }));

    // Playing into the next file, then backward: every still is one picture of both views.
    player.seek(2.5);
    ASSERT_TRUE(waitFor([&] { return seeks == 2; }));
    player.setNextPath(ClipFactory::tripClip(1), sources(1));
    std::vector<QString> samples;
    auto sampleUntil = [&](int ms, int frame) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && samples.size() < 200) {
            const QString sample = halvesOf(still(player));
            if (sample.isEmpty())
                continue; // no frame at that moment (a join or a backward step in flight)
            samples.push_back(sample);
            if (samples.back().section('F', 0, 0).toInt() >= frame)
                break;
        }
    };
    player.play();
    sampleUntil(10000, 95); // well into the second file, which ends at 149
    player.setRate(-2.0);
    sampleUntil(800, 1000);
    ASSERT_GT(samples.size(), 20u);
    int secondFile = 0;
    for (const QString& sample : samples) {
        const QStringList views = sample.split(' ');
        EXPECT_EQ(views[0].chopped(1), views[1].chopped(1)) << sample.toStdString();
        EXPECT_NE(views[0].front(), '-') << "no number read";
        secondFile += views[0].chopped(1).toInt() >= 75;
    }
    EXPECT_GT(secondFile, 0);

    // Another camera's file that cannot be opened: the played file is shown alone.
    RVViewSources missing = sources(0);
    missing.externalFile += QStringLiteral(".missing");
    player.load(ClipFactory::tripClip(0), 1.0, true, missing);
    ASSERT_TRUE(waitFor([&] { return player.currentViews().graph.isEmpty() && player.isReady(); }));
    EXPECT_TRUE(waitFor([&] { return viewIn(still(player)) == "25F"; }));
    EXPECT_EQ(failures, 0);
}

// The window: the Camera menu's commands change what the video area shows, at the same frame,
// and the hover thumbnails follow the main view.
TEST(WindowViews, CameraMenuSwitchesTheViewsShown)
{
    ASSERT_FALSE(rearClip(0).isEmpty());
    RVMainViewController controller(std::make_shared<ScriptedDialogs>());
    controller.loadView(windowtest::makeVideoList(false));
    controller.window()->show();
    RVVideoDataList children;
    RVVideoFileList files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(std::make_shared<RVVideoFile>(viewsOf(i), 3.0f, RVTimestamp(), false));
        children.push_back(RVVideoData::create("", 3.0f, RVTimestamp(), {files.back()}, {}));
    }
    RVMpvPlayer& player = *controller.player();
    auto item = [&](const char* name) {
        return controller.cameraMenu()->findChild<QAction*>(name);
    };
    EXPECT_FALSE(item("camera_rear")->isEnabled()); // nothing playing: only the front camera

    controller.playback()->start(RVVideoData::create("trip", 9.0f, RVTimestamp(), files, children));
    ASSERT_TRUE(waitFor([&] { return player.isReady() && player.rate() == 1.0; }, 10000));
    EXPECT_TRUE(item("camera_rear")->isEnabled());
    EXPECT_FALSE(item("camera_interior")->isEnabled());
    controller.playPauseToggle();
    controller.graphClicked(4.4 / 9.0); // the second file, at frame 110
    ASSERT_TRUE(waitFor([&] { return viewIn(still(player)) == "110F"; }));

    // What is shown: the left 320 x 240 pixels, and a corner where a picture in picture sits.
    const struct
    {
        const char* command;
        const char* shown;
    } steps[] = {
        {"camera_rear", "110R R"},
        {"viewPictureInPicture", "R F"}, // the small picture hides the
                                         // number
        {"swapViews", "F R"},
        {"viewSideBySide", "110F 110R R"},
        {"viewSingle", "110F F"},
    };
    for (const auto& step : steps) {
        item(step.command)->trigger();
        QString shown;
        EXPECT_TRUE(waitFor([&] {
            const QImage image = still(player);
            QString main = viewIn(image.copy(0, 0, 320, 240));
            if (main.startsWith('-'))
                main = cameraOf(image.copy(0, 120, 160, 120));
            const QString right =
                image.width() > 320 ? viewIn(image.copy(320, 0, 320, 240)) + " " : QString();
            shown = main + " " + right + cameraOf(image.copy(image.width() - 60, 20, 40, 40));
            return shown == QLatin1String(step.shown);
        })) << step.command
            << ": " << shown.toStdString();
    }

    // The thumbnails come from the main view's camera.
    item("camera_rear")->trigger();
    controller.showPopover();
    controller.showThumbnailAtProgress(7.0 / 9.0);
    ASSERT_TRUE(waitFor([&] { return !controller.thumbnailPopover()->thumbnail().isNull(); }));
    EXPECT_EQ(cameraOf(controller.thumbnailPopover()->thumbnail()), "R");
}

// Recordings that lack the chosen camera, or have no front camera, show what they have.
TEST(ViewLayout, RecordingsWithoutTheChosenCameraShowWhatTheyHave)
{
    const std::vector<RVVideoView> front{{RVChannel::Front, "f"}};
    const std::vector<RVVideoView> frontInterior{{RVChannel::Front, "f"},
                                                 {RVChannel::Interior, "i"}};
    const std::vector<RVVideoView> rearInterior{{RVChannel::Rear, "r"}, {RVChannel::Interior, "i"}};
    using A = RVViewArrangement;
    const struct
    {
        const std::vector<RVVideoView>& views;
        RVViewChoice choice;
        QString shownMain, external;
    } rows[] = {
        {front, {RVChannel::Rear, A::SideBySide}, "f", ""},
        {frontInterior, {RVChannel::Rear, A::PictureInPicture}, "f", "i"},
        {frontInterior, {RVChannel::Interior, A::Single}, "i", "i"},
        {rearInterior, {RVChannel::Front, A::SideBySide}, "r", "i"},
        {rearInterior, {RVChannel::Interior, A::PictureInPicture}, "i", "i"},
    };
    for (const auto& row : rows) {
        const QString played = row.views.front().filePath;
        EXPECT_EQ(RVViewLayout::mainViewPath(row.views, played, row.choice), row.shownMain);
        const RVViewSources sources = RVViewLayout::sourcesFor(row.views, played, row.choice);
        EXPECT_EQ(sources.externalFile, row.external) << row.shownMain.toStdString();
        EXPECT_EQ(sources.graph.isEmpty(), row.external.isEmpty());
    }
}

// Names as cards hold them: bytes that are not UTF-8 (a camera's code page) and a folder with
// a colon, which mpv's path lists would split. Both views still play.
TEST(MpvPlayerViews, FileNamesThatAreNotUtf8Play)
{
    ASSERT_FALSE(rearClip(0).isEmpty());
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/10:30 \xff";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray front = folder + "/front \xff\xfe.mp4";
    const QByteArray rear = folder + "/rear:\xff.mp4";
    // QTemporaryDir cannot name them either.
    const auto removeAll = qScopeGuard([&] {
        ::unlink(front.constData());
        ::unlink(rear.constData());
        ::rmdir(folder.constData());
    });
    // Qt's own file functions cannot make such names: copy, then rename by the bytes.
    for (const auto& [clip, name] :
         {std::pair{ClipFactory::tripClip(1), front}, std::pair{rearClip(1), rear}}) {
        const QString copy = dir.filePath("copy.mp4");
        ASSERT_TRUE(QFile::copy(clip, copy));
        ASSERT_EQ(::rename(QFile::encodeName(copy).constData(), name.constData()), 0);
    }

    RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
    RVMpvVideoWidget widget(&player);
    widget.resize(640, 240);
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.hasRenderContext(); }));
    int failures = 0;
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&] { ++failures; });
    const std::vector<RVVideoView> views{{RVChannel::Front, RVNativePath::decode(front)},
                                         {RVChannel::Rear, RVNativePath::decode(rear)}};
    player.load(views[0].filePath, 1.0, true,
                RVViewLayout::sourcesFor(views, views[0].filePath,
                                         {RVChannel::Front, RVViewArrangement::SideBySide}));
    EXPECT_TRUE(waitFor([&] { return halvesOf(still(player)) == "100F 100R"; }, 10000))
        << halvesOf(still(player)).toStdString();
    EXPECT_EQ(failures, 0);
}

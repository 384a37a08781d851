// Several camera views of one recording on a real mpv: the shared grey trip clips (frames
// numbered 0-224 over three files) in front and the same numbers in blue behind. A still of
// what is shown tells which camera is where and which frame each view shows.

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

#include <sys/stat.h>
#include <unistd.h>

using ClipFactory::waitFor;

namespace {

QString rearClip(int index)
{
    static QTemporaryDir dir;
    static const bool made = [] {
        for (int i = 0; i < 3; ++i)
            if (!ClipFactory::make(dir.filePath(QStringLiteral("rear%1.mp4").arg(i)),
                                   {320, 240, 25, 3.0, 75 * i, 25, 200, 100}))
                return false;
        return true;
    }();
    return made ? dir.filePath(QStringLiteral("rear%1.mp4").arg(index)) : QString();
}

std::vector<RVVideoView> viewsOf(int index)
{
    return {{RVChannel::Front, ClipFactory::tripClip(index)}, {RVChannel::Rear, rearClip(index)}};
}

// "F" or "R" by the part's average tint (the rear clip is at least 59 levels bluer than red
// everywhere), "?" for neither; after the frame number when it shows one: "43F".
QString viewIn(const QImage& part, bool number = true)
{
    long long blueOverRed = part.isNull() ? 100000 : 0;
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            blueOverRed += qBlue(part.pixel(x, y)) - qRed(part.pixel(x, y));
    const long long mean = blueOverRed / std::max(1, part.width() * part.height());
    const auto frame = number ? ClipFactory::frameNumber(part) : std::nullopt;
    return (frame ? QString::number(*frame) : QString()) + (mean > 40             ? "R"
                                                            : std::abs(mean) < 15 ? "F"
                                                                                  : "?");
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

// A side-by-side picture's two views: "43F 43R"; empty without a picture.
QString halves(RVMpvPlayer& player)
{
    const QImage image = still(player);
    const int half = image.width() / 2;
    return image.isNull() ? QString()
                          : viewIn(image.copy(0, 0, half, image.height())) + " " +
                                viewIn(image.copy(half, 0, half, image.height()));
}

} // namespace

// Side by side through a paused seek, frame steps both ways, a join of two files while
// playing, and backward play: every picture shows the same frame number in both views. Names
// as cards hold them (not UTF-8, a colon that mpv's path lists would split) play too.
TEST(MpvPlayerViews, ViewsShownTogetherStayOnTheSameFrame)
{
    ASSERT_FALSE(rearClip(0).isEmpty());
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/10:30 \xff";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray names[] = {folder + "/front \xff\xfe.mp4", folder + "/rear:\xff.mp4"};
    const auto removeAll = qScopeGuard([&] { // QTemporaryDir cannot name them either
        for (const QByteArray& name : names)
            ::unlink(name.constData());
        ::rmdir(folder.constData());
    });
    std::vector<RVVideoView> views;
    for (int i = 0; i < 2; ++i) { // Qt cannot make such names: copy, then rename by the bytes
        ASSERT_TRUE(QFile::copy(i ? rearClip(0) : ClipFactory::tripClip(0), dir.filePath("c")));
        ASSERT_EQ(::rename(QFile::encodeName(dir.filePath("c")).constData(), names[i].constData()),
                  0);
        views.push_back({i ? RVChannel::Rear : RVChannel::Front, RVNativePath::decode(names[i])});
    }
    RVMpvPlayer player(RVMpvPlayer::Options{{"ao", "null"}});
    RVMpvVideoWidget widget(&player);
    widget.resize(640, 240);
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.hasRenderContext(); }));
    int seeks = 0, failures = 0;
    QObject::connect(&player, &RVMpvPlayer::seekFinished, [&] { ++seeks; });
    QObject::connect(&player, &RVMpvPlayer::itemFailed, [&] { ++failures; });
    const RVViewChoice sideBySide{RVChannel::Front, RVViewArrangement::SideBySide};
    const auto sources = [&](int i) {
        return RVViewLayout::sourcesFor(
            i ? viewsOf(i) : views, i ? ClipFactory::tripClip(i) : views[0].filePath, sideBySide);
    };
    QObject::connect(&player, &RVMpvPlayer::endReached, [&] {
        player.load(ClipFactory::tripClip(1), 0.0, false, sources(1)); // as the window does
    });

    player.load(views[0].filePath, 1.72, true, sources(0));
    ASSERT_TRUE(waitFor([&] { return halves(player) == "43F 43R"; }, 10000))
        << halves(player).toStdString();
    EXPECT_EQ(player.videoSize(), QSize(640, 240));
    EXPECT_NEAR(player.framesPerSecond(), 25.0, 0.01); // steps and backward play need it
    player.stepFrame(-1);
    ASSERT_TRUE(waitFor([&] { return seeks == 1; }));
    EXPECT_EQ(halves(player), "42F 42R");
    player.stepFrame(+1);
    EXPECT_TRUE(waitFor([&] { return halves(player) == "43F 43R"; }));

    player.seek(2.5);
    ASSERT_TRUE(waitFor([&] { return seeks == 2; }));
    player.setNextPath(ClipFactory::tripClip(1), sources(1));
    QStringList samples;
    const auto sampleUntil = [&](int ms, int frame) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && samples.size() < 200 &&
               samples.value(samples.size() - 1).section('F', 0, 0).toInt() < frame) {
            if (const QString sample = halves(player); !sample.isEmpty())
                samples << sample; // else no frame at that moment (a join or a step in flight)
        }
    };
    player.play();
    sampleUntil(10000, 95); // well into the second file, which ends at 149
    player.setRate(-2.0);
    sampleUntil(800, 1000);
    ASSERT_GT(samples.size(), 20);
    int secondFile = 0;
    for (const QString& sample : samples) {
        const QStringList v = sample.split(' ');
        EXPECT_EQ(v[0].chopped(1), v[1].chopped(1)) << sample.toStdString();
        EXPECT_GT(v[0].size(), 1) << "no number read";
        secondFile += v[0].chopped(1).toInt() >= 75;
    }
    EXPECT_GT(secondFile, 0);

    // Another camera's file that cannot be opened: the played file is shown alone.
    RVViewSources missing = sources(1);
    missing.externalFile += QStringLiteral(".missing");
    player.load(ClipFactory::tripClip(1), 1.0, true, missing);
    EXPECT_TRUE(waitFor([&] { return viewIn(still(player)) == "100F"; }));
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

    // The left 320 x 240 pixels (their lower half when a small picture hides the number), the
    // right ones when wider, and the corner where a picture in picture sits.
    const std::pair<const char*, const char*> steps[] = {
        {"camera_rear", "110R R"},         {"viewPictureInPicture", "R F"}, {"swapViews", "F R"},
        {"viewSideBySide", "110F 110R R"}, {"viewSingle", "110F F"},
    };
    for (const auto& [command, expected] : steps) {
        item(command)->trigger();
        QString shown;
        EXPECT_TRUE(waitFor([&] {
            const QImage image = still(player);
            const QString main = viewIn(image.copy(0, 0, 320, 240));
            shown = (main.size() > 1 ? main : viewIn(image.copy(0, 120, 160, 120), false)) + " " +
                    (image.width() > 320 ? viewIn(image.copy(320, 0, 320, 240)) + " " : "") +
                    viewIn(image.copy(image.width() - 60, 20, 40, 40), false);
            return shown == QLatin1String(expected);
        })) << command
            << ": " << shown.toStdString();
    }
    item("camera_rear")->trigger();
    controller.showPopover();
    controller.showThumbnailAtProgress(7.0 / 9.0);
    ASSERT_TRUE(waitFor([&] { return !controller.thumbnailPopover()->thumbnail().isNull(); }));
    EXPECT_EQ(viewIn(controller.thumbnailPopover()->thumbnail(), false), "R");
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

// Several camera views of one trip in the real window: the shared grey trip clips (frames
// numbered 0-224 over three files) in front and the same numbers in blue behind. A still of
// what is shown tells which camera is where and which frame each view shows.

#include "WindowTestSupport.h"

#include "core/RVNativePath.h"
#include "library/RVVideoFile.h"
#include "player/files/RVThumbnailPopover.h"
#include "player/video/RVVideoScrollView.h"
#include "player/window/RVGridLoadWatch.h"
#include "player/window/RVThumbnailHover.h"
#include "player/window/RVWindowActions.h"

#include <QAction>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QToolButton>

#include <filesystem>
#include <numeric>

using ClipFactory::waitFor;
using WindowViews = windowtest::Window;

namespace {

// The frame number a part shows, if asked and any, then "F" or "R" by its average tint (the
// rear clip is at least 59 levels bluer than red everywhere) or "?" for neither: "43F".
QString viewIn(const QImage& part, bool number = true)
{
    long long blueOverRed = part.isNull() ? 100000 : 0;
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            blueOverRed += qBlue(part.pixel(x, y)) - qRed(part.pixel(x, y));
    const long long mean = blueOverRed / std::max(1, part.width() * part.height());
    const auto frame = number ? ClipFactory::frameNumber(part) : std::nullopt;
    const char* camera = mean > 40 ? "R" : std::abs(mean) < 15 ? "F" : "?";
    return (frame ? QString::number(*frame) : QString()) + camera;
}

// What a still shows: its left 320 x 240 pixels (their lower half when a small picture hides the
// number), the right ones when it is wider, and the corner where a picture in picture sits:
// "110F 110R R".
QString viewsIn(const QImage& still)
{
    const QString main = viewIn(still.copy(0, 0, 320, 240));
    return (main.size() > 1 ? main : viewIn(still.copy(0, 120, 160, 120), false)) + " " +
           (still.width() > 320 ? viewIn(still.copy(320, 0, 320, 240)) + " " : "") +
           viewIn(still.copy(still.width() - 60, 20, 40, 40), false);
}

// The rear camera's view of the shared trip: its numbers on blue.
const ClipFactory::Clip kRear{.cb = 200, .cr = 100};

// A trip of recordings of these views and lengths, as the list groups them.
RVVideoDataPtr tripOf(const std::vector<std::vector<RVVideoView>>& recordings,
                      const std::vector<float>& lengths, RVTimestamp start = {})
{
    RVVideoDataList children;
    RVVideoFileList files;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        files.push_back(std::make_shared<RVVideoFile>(recordings[i], lengths[i], start, false));
        children.push_back(RVVideoData::create("", lengths[i], start, {files.back()}, {}));
    }
    return RVVideoData::create("trip", std::accumulate(lengths.begin(), lengths.end(), 0.0f), start,
                               files, files.size() > 1 ? children : RVVideoDataList());
}

} // namespace

// The Camera menu's commands change what the video area shows, at the same frame, and the
// hover thumbnails follow the main view. The files are named as cards hold them: bytes that are
// not UTF-8 (a camera's code page) and a colon, which mpv's path lists would split.
TEST_F(WindowViews, CameraMenuSwitchesTheViewsShown)
{
    const std::filesystem::path folder =
        QFile::encodeName(dir.path()).toStdString() + "/10:30 \xff";
    std::filesystem::create_directory(folder);
    // QTemporaryDir cannot name what it holds either.
    const auto removeAll = qScopeGuard([&] { std::filesystem::remove_all(folder); });
    std::vector<std::vector<RVVideoView>> recordings(3);
    for (int i = 0; i < 3; ++i) {
        for (const RVChannel channel : {RVChannel::Front, RVChannel::Rear}) {
            const bool front = channel == RVChannel::Front;
            const std::filesystem::path name =
                folder / ((front ? "front \xff\xfe" : "rear:\xff") + std::to_string(i) + ".mp4");
            const QString made = ClipFactory::tripClip(i, front ? ClipFactory::Clip() : kRear);
            ASSERT_TRUE(std::filesystem::copy_file(QFile::encodeName(made).toStdString(), name));
            recordings[i].push_back({channel, RVNativePath::decode(QByteArray(name.c_str()))});
        }
    }
    open();
    auto item = [&](const char* id) { return controller.cameraMenu()->findChild<QAction*>(id); };
    ASSERT_TRUE(start(tripOf(recordings, {3, 3, 3})));
    EXPECT_TRUE(item("camera_rear")->isEnabled() && !item("camera_interior")->isEnabled());
    EXPECT_FALSE(item("viewGrid")->isVisible() || item("camera_left")->isVisible());
    controller.playPauseToggle();
    controller.graphClicked(4.4 / 9.0); // the second file, at frame 110
    ASSERT_TRUE(waitFor([&] { return viewIn(still(*player)) == "110F"; }));

    // A frame step moves both views.
    const std::pair<const char*, const char*> steps[] = {
        {"camera_rear", "110R R"}, {"viewPictureInPicture", "R F"},   {"swapViews", "F R"},
        {"viewSingle", "110F F"},  {"viewSideBySide", "110F 110R R"}, {"step", "109F 109R R"},
    };
    for (const auto& [command, expected] : steps) {
        if (item(command))
            item(command)->trigger();
        else
            controller.actions()->action(RVWindowCommand::PreviousFrame)->trigger();
        QString shown;
        EXPECT_TRUE(waitFor([&] { return (shown = viewsIn(still(*player))) == expected; }))
            << command << ": " << shown.toStdString();
    }

    // Zoomed, then side by side: the new picture shows fitted, without scroll bars.
    item("viewSingle")->trigger();
    window->findChild<QToolButton*>("zoomInButton")->click();
    auto* scroll = window->findChild<RVVideoScrollView*>("playerScrollView");
    ASSERT_TRUE(scroll && scroll->scrollersVisible());
    item("viewSideBySide")->trigger();
    EXPECT_FALSE(scroll->scrollersVisible());
    EXPECT_TRUE(scroll->isFitted());

    // The thumbnails come from the main view's camera, at the trip's time: 7 s is the third
    // file at 1 s.
    item("camera_rear")->trigger();
    controller.showPopover();
    controller.showThumbnailAtProgress(7.0 / 9.0);
    EXPECT_TRUE(
        waitFor([&] { return viewIn(controller.thumbnails()->popover()->thumbnail()) == "175R"; }));

    // Backward play across a join keeps the views: side by side, both cameras.
    item("viewSideBySide")->trigger();
    controller.graphClicked(3.2 / 9.0);
    playback->rewind();
    QString shown;
    EXPECT_TRUE(waitFor([&] {
        const QImage image = still(*player);
        shown = viewsIn(image);
        return ClipFactory::frameNumber(image.copy(0, 0, 320, 240)).value_or(75) < 70;
    })) << shown.toStdString();
    EXPECT_TRUE(shown.contains('R') && shown.contains('F')) << shown.toStdString();
    EXPECT_EQ(playback->currentIndex(), 0u);
}

// A still of two full HD views side by side keeps both whole, and carries the frame's clock
// time (the recording started at 10:00 UTC, 11:00 in Berlin where the tests run).
TEST_F(WindowViews, SideBySideStillKeepsBothViewsWhole)
{
    const QString front = dir.filePath("F.mp4"), rear = dir.filePath("R.mp4");
    ASSERT_TRUE(ClipFactory::make(front, {1920, 1080, 25, 1.0}) && QFile::copy(front, rear));
    const std::vector<RVVideoView> views{{RVChannel::Front, front}, {RVChannel::Rear, rear}};
    dialogs->savePath = dir.filePath("still.jpeg");
    open();
    ASSERT_TRUE(start(tripOf({views}, {1}, RVTimestamp::fromMSecsSinceEpoch(1420106400000))));
    controller.playPauseToggle();
    controller.cameraMenu()->findChild<QAction*>("viewSideBySide")->trigger();
    ASSERT_TRUE(waitFor([&] { return still(*player).width() == 3840; }));

    controller.actions()->action(RVWindowCommand::Still)->trigger();
    ASSERT_TRUE(waitFor([&] { return QFile::exists(dir.filePath("still.jpeg")); }));
    const QImage saved(dir.filePath("still.jpeg"));
    EXPECT_EQ(saved.size(), QSize(3840, 1080));
    const QByteArray bytes = support::readFile(dir.filePath("still.jpeg"));
    EXPECT_TRUE(bytes.contains(QByteArray("Exif\0\0", 6)));
    EXPECT_TRUE(bytes.contains("2015:01:01 11:00:0")) << "the frame's clock time";
    EXPECT_TRUE(bytes.contains("+01:00"));
    EXPECT_TRUE(dialogs->alerts.isEmpty()) << dialogs->alerts.join(' ').toStdString();
}

// A car's four and six cameras as a grid: a trip of two recordings whose views carry numbers
// 150 apart per camera (view k of recording i shows 150 k + 75 i + its frame). Every still,
// while playing across the join and after steps, shows each camera in its cell at one frame.
TEST_F(WindowViews, GridShowsEveryCameraAtOneFrame)
{
    const std::vector<RVChannel> cameras{RVChannel::Front,      RVChannel::Rear,
                                         RVChannel::Left,       RVChannel::Right,
                                         RVChannel::LeftPillar, RVChannel::RightPillar};
    // The camera (index into `cameras`) of each cell, row by row.
    const std::pair<int, std::vector<int>> grids[] = {{4, {0, 1, 2, 3}}, {6, {4, 0, 5, 2, 1, 3}}};
    for (const auto& [count, cellCameras] : grids) {
        SCOPED_TRACE(count);
        std::vector<std::vector<RVVideoView>> recordings(2);
        for (int i = 0; i < 2; ++i) {
            for (int k = 0; k < count; ++k)
                recordings[i].push_back({cameras[std::size_t(k)],
                                         ClipFactory::tripClip(i, {.firstFrameNumber = 150 * k})});
        }
        // A window of its own for each car.
        RVMainViewController controller(dialogs);
        controller.loadView(windowtest::makeVideoList(false));
        controller.window()->show();
        RVMpvPlayer& player = *controller.player();
        controller.playback()->start(tripOf(recordings, {3, 3}));
        ASSERT_TRUE(waitFor([&] { return player.isReady() && player.rate() == 1.0; }));
        controller.playPauseToggle();
        QAction* gridItem = controller.cameraMenu()->findChild<QAction*>("viewGrid");
        ASSERT_TRUE(gridItem && gridItem->isVisible() && gridItem->isEnabled());
        EXPECT_EQ(controller.cameraMenu()->findChild<QAction*>("camera_left_pillar")->isVisible(),
                  count == 6);
        controller.graphClicked(2.2 / 6.0);
        gridItem->trigger();

        // The trip frame every cell shows ("55"), or what each shows when they differ.
        const int columns = count == 4 ? 2 : 3;
        auto shown = [&] {
            const QImage image = still(player);
            if (image.width() != columns * 320 || image.height() != 480)
                return QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
            QStringList frames;
            for (int cell = 0; cell < count; ++cell) {
                const auto number = ClipFactory::frameNumber(
                    image.copy(cell % columns * 320, cell / columns * 240, 320, 240));
                const int camera = cellCameras[std::size_t(cell)];
                frames << (number ? QString::number(*number - 150 * camera) : QStringLiteral("?"));
            }
            frames.removeDuplicates();
            return frames.join(' ');
        };
        QString last;
        ASSERT_TRUE(waitFor([&] { return (last = shown()) == "55"; })) << last.toStdString();
        // Playing across the join: every still one frame in all cells, and the second
        // recording's frames reached.
        controller.playPauseToggle();
        int stills = 0;
        EXPECT_TRUE(waitFor([&] {
            last = shown();
            ++stills;
            EXPECT_FALSE(last.contains(' ') || last.contains('?') || last.contains('x'))
                << last.toStdString();
            return last.toInt() > 90;
        }));
        EXPECT_GT(stills, 3);
        controller.playPauseToggle();
        // Paused: a seek, and frame steps both ways.
        controller.graphClicked(2.8 / 6.0);
        EXPECT_TRUE(waitFor([&] { return (last = shown()) == "70"; })) << last.toStdString();
        controller.actions()->action(RVWindowCommand::NextFrame)->trigger();
        EXPECT_TRUE(waitFor([&] { return (last = shown()) == "71"; })) << last.toStdString();
        controller.actions()->action(RVWindowCommand::PreviousFrame)->trigger();
        EXPECT_TRUE(waitFor([&] { return (last = shown()) == "70"; })) << last.toStdString();
    }
}

// Backward play across the join of two front and rear recordings, where the first says it is
// longer than its picture (as a parking recording whose sound runs on): it goes on backward in
// the first, with the rear camera chosen, once, down to the trip's start, where it stops.
TEST_F(WindowViews, BackwardPlayIntoARecordingLongerThanItsPicture)
{
    std::vector<std::vector<RVVideoView>> recordings;
    for (int i = 0; i < 2; ++i)
        recordings.push_back({{RVChannel::Front, ClipFactory::tripClip(i)},
                              {RVChannel::Rear, ClipFactory::tripClip(i, kRear)}});
    open();
    ASSERT_TRUE(start(tripOf(recordings, {3.5, 3})));
    controller.cameraMenu()->findChild<QAction*>("camera_rear")->trigger();
    controller.playPauseToggle();
    controller.graphClicked(4.0 / 6.5); // the second recording at 0.5 s
    ASSERT_TRUE(waitFor([&] { return viewIn(still(*player)) == "88R"; }));

    QSignalSpy ticks(playback, &RVTripPlayback::ticked);
    QStringList seen; // the cameras of the first recording's frames on the way
    playback->rewind();
    EXPECT_TRUE(waitFor(
        [&] {
            if (playback->currentIndex() == 0) {
                const QImage image = still(*player);
                if (ClipFactory::frameNumber(image).value_or(75) < 75)
                    seen << viewIn(image).right(1);
            }
            return player->rate() == 0.0;
        },
        20000));
    EXPECT_EQ(playback->currentIndex(), 0u);
    EXPECT_FALSE(seen.isEmpty());
    EXPECT_FALSE(seen.contains("F")) << seen.join(' ').toStdString();
    double earlier = 4.05;
    for (const QList<QVariant>& tick : ticks) {
        EXPECT_LE(tick[0].toDouble(), earlier + 0.05);
        earlier = tick[0].toDouble();
    }
    EXPECT_NEAR(earlier, 0.0, 0.05);
}

// The grid's cells: a dash camera's views in 2 x 2, a car's five or six in its own 3 x 2
// places, gaps black; the played file is [vid1], the others follow cell by cell. Recordings
// that lack the chosen camera, or have no front camera, show what they have.
TEST(ViewLayout, GridCellsAndTheirFilesAndRecordingsWithoutTheChosenCamera)
{
    using C = RVChannel;
    const std::pair<std::vector<C>, const char*> rows[] = {
        {{C::Front, C::Rear}, ""},
        {{C::Front, C::Rear, C::Interior}, "front rear interior -"},
        {{C::Rear, C::Front, C::Right, C::Left}, "front rear left right"},
        {{C::Front, C::Rear, C::Left, C::Right, C::LeftPillar},
         "left pillar front - left rear right"},
        {{C::Front, C::Rear, C::Left, C::Right, C::Interior, C::RightPillar},
         "interior front right pillar left rear right"},
        {{C::Front, C::Rear, C::Left, C::Right, C::LeftPillar, C::RightPillar, C::Interior},
         "left pillar front right pillar left rear right"},
    };
    for (const auto& [channels, expected] : rows) {
        std::vector<RVVideoView> views;
        for (C channel : channels)
            views.push_back({channel, channelName(channel)});
        QStringList cells;
        if (RVViewLayout::gridOffered(views)) {
            for (const auto& cell : RVViewLayout::gridCells(views))
                cells << (cell ? channelName(cell->channel) : QStringLiteral("-"));
        }
        EXPECT_EQ(cells.join(' ').toStdString(), expected);
        if (!RVViewLayout::gridOffered(views))
            continue;
        // Every view but the played one is added once, in cell order.
        const RVViewSources sources =
            RVViewLayout::sourcesFor(views, "front", {C::Rear, RVViewArrangement::Grid});
        QStringList external;
        for (const auto& cell : RVViewLayout::gridCells(views)) {
            if (cell && cell->filePath != "front")
                external << cell->filePath;
        }
        EXPECT_EQ(sources.externalFiles, external);
        EXPECT_TRUE(sources.graph.contains("xstack=inputs=" +
                                           QString::number(std::min<int>(channels.size(), 6))));
    }

    const std::vector<RVVideoView> front{{C::Front, "f"}};
    const std::vector<RVVideoView> frontInterior{{C::Front, "f"}, {C::Interior, "i"}};
    const std::vector<RVVideoView> rearInterior{{C::Rear, "r"}, {C::Interior, "i"}};
    using A = RVViewArrangement;
    const std::tuple<const std::vector<RVVideoView>&, RVViewChoice, QString, QString> choices[] = {
        {front, {C::Rear, A::SideBySide}, "f", ""},
        {frontInterior, {C::Rear, A::PictureInPicture}, "f", "i"},
        {frontInterior, {C::Interior, A::Single}, "i", "i"},
        {rearInterior, {C::Front, A::SideBySide}, "r", "i"},
        {rearInterior, {C::Interior, A::PictureInPicture}, "i", "i"},
    };
    for (const auto& [views, choice, shownMain, external] : choices) {
        const QString played = views.front().filePath;
        const RVViewSources sources = RVViewLayout::sourcesFor(views, played, choice);
        EXPECT_EQ(RVViewLayout::mainViewPath(views, played, choice) +
                      sources.externalFiles.join("") + (sources.graph.isEmpty() ? "" : "+"),
                  shownMain + external + (external.isEmpty() ? "" : "+"));
    }
}

// A grid gives way when it falls behind the clock or its decoders drop frames, over a real
// stretch of playback.
TEST(GridLoadWatch, TooSlowWhenBehindTheClockOrDroppingOneFrameInTwenty)
{
    const std::tuple<std::int64_t, double, double, double, bool> rows[] = {
        {0, 8.0, 8.0, 36.0, false}, {14, 8.0, 8.0, 36.0, false}, {15, 8.0, 8.0, 36.0, true},
        {0, 7.3, 8.0, 36.0, false}, {0, 7.1, 8.0, 36.0, true},   {50, 1.5, 1.5, 36.0, false},
        {50, 8.0, 8.0, 0.0, false},
    };
    for (const auto& [drops, played, wall, fps, slow] : rows)
        EXPECT_EQ(RVGridLoadWatch::tooSlow(drops, played, wall, fps), slow)
            << drops << " " << played << " " << wall;
}

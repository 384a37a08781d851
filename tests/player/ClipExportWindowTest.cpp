// The clip export as a user makes it in the real window: marks set with I and O on a trip of
// generated clips whose frames carry their numbers (ClipFactory), the dialog's widgets set and
// accepted, the export followed on the status bar, and the clips read back.

#include "ClipReadback.h"
#include "WindowTestSupport.h"

#include "clip/RVClipExporter.h"
#include "player/window/RVClipCommand.h"
#include "player/window/RVClipDialog.h"
#include "player/window/RVClipPlan.h"
#include "player/window/RVWindowActions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>

using ClipExportWindow = windowtest::Window;

TEST_F(ClipExportWindow, MarkedRangeExportsAsCopyAndReencodedAndCancelLeavesNothing)
{
    constexpr qint64 kStartMs = 1420106400000; // 2015-01-01 10:00 UTC: the trip's first frame
    // Two recordings of 3 s (frames 0-74 and 75-149), then one that cannot be read.
    for (int i = 0; i < 3; ++i) {
        const QString target = dir.filePath(QStringLiteral("clip%1.mp4").arg(i));
        ASSERT_TRUE(i < 2 ? QFile::copy(ClipFactory::tripClip(i), target)
                          : ClipFactory::makeBroken(target));
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromMSecsSinceEpoch(kStartMs + 3000LL * i),
                                     QFileDevice::FileModificationTime));
    }
    QTemporaryDir out;
    open();
    RVClipCommand* clips = controller.clips();
    QAction* exportItem = controller.actions()->action(RVWindowCommand::ExportClip);
    ASSERT_TRUE(add({dir.path()}));
    ASSERT_TRUE(play());
    controller.playPauseToggle();
    ASSERT_DOUBLE_EQ(playback->duration(), 6.0);

    // I at frame 25 (1 s), O at frame 113 (4.52 s, in the second file).
    const auto markAt = [&](double seconds, Qt::Key key) {
        QSignalSpy settled(player, &RVMpvPlayer::seekFinished);
        controller.graphClicked(seconds / 6.0);
        ASSERT_TRUE(ClipFactory::waitFor([&] { return !settled.isEmpty(); }));
        QTest::keyClick(central, key);
    };
    markAt(1.0, Qt::Key_I);
    markAt(4.52, Qt::Key_O);
    const auto range = clips->marks().range();
    ASSERT_TRUE(range);
    EXPECT_NEAR(range->first, 1.0, 0.02);
    EXPECT_NEAR(range->second, 4.52, 0.02);

    auto mp4s = [&] { return QDir(out.path()).entryList({"*.mp4"}, QDir::Files, QDir::Name); };
    // Opens the dialog, lets `choose` set its widgets, accepts it and waits for the status bar
    // to say how it ended.
    const auto exportClip = [&](const std::function<void(RVClipDialog&)>& choose,
                                bool cancel = false) {
        exportItem->trigger();
        RVClipDialog* dialog = clips->dialog();
        ASSERT_TRUE(dialog) << "no dialog";
        dialog->findChild<QLineEdit*>("clipFolder")->setText(out.path());
        choose(*dialog);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(clips->isExporting());
        EXPECT_FALSE(exportItem->isEnabled()) << "one export at a time";
        if (cancel)
            window->findChild<QToolButton*>("clipCancel")->click();
        EXPECT_TRUE(ClipFactory::waitFor([&] { return !clips->isExporting(); }, 120000));
        EXPECT_TRUE(exportItem->isEnabled());
    };
    const auto setReadouts = [](RVClipDialog& dialog, bool on) {
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->objectName().startsWith("clipReadout_"))
                box->setChecked(on);
    };
    const auto pickQuality = [](RVClipDialog& dialog, RVClipQuality quality) {
        auto* box = dialog.findChild<QComboBox*>("clipQuality");
        const int index = box->findData(int(quality));
        ASSERT_GE(index, 0);
        box->setCurrentIndex(index);
        box->activated(index);
    };

    // "Original": the marked range, one view, nothing burned in: the camera's frames copied,
    // named after the trip and the start mark's clock time.
    exportClip([&](RVClipDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("clipRange")->count(), 1);
        EXPECT_EQ(dialog.findChild<QComboBox*>("clipLayout")->count(), 1) << "one camera";
        EXPECT_TRUE(dialog.findChild<QLabel*>("clipUnreadable")->isHidden());
        // A folder that is not there keeps the dialog open and says so.
        auto* folder = dialog.findChild<QLineEdit*>("clipFolder");
        folder->setText(out.filePath("gone"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.findChild<QLabel*>("clipError")->isHidden());
        EXPECT_FALSE(clips->isExporting());
        folder->setText(out.path());
        setReadouts(dialog, false);
        dialog.findChild<QCheckBox*>("clipSound")->setChecked(false);
        dialog.findChild<QCheckBox*>("clipGpx")->setChecked(true);
        pickQuality(dialog, RVClipQuality::Original);
    });
    const QString name = RVClipExporter::clipFileName(
        "clip0.mp4", QDateTime::fromMSecsSinceEpoch(kStartMs + 1000, QTimeZone::systemTimeZone()));
    ASSERT_EQ(mp4s(), QStringList{name});
    for (const QString& file : {name, name + ".manifest.txt", name + ".gpx"})
        EXPECT_TRUE(window->statusBar()->currentMessage().contains(file) &&
                    QFile::exists(out.filePath(file)))
            << file.toStdString();
    const std::vector<ShownFrame> copied = shownFrames(out.filePath(name));
    ASSERT_FALSE(copied.empty());
    EXPECT_EQ(copied.front().image.size(), QSize(320, 240));
    EXPECT_NEAR(ClipFactory::frameNumber(copied.front().image).value_or(-1), 25, 1);
    // The frames at both marks are in: 25 to 113.
    EXPECT_NEAR(ClipFactory::frameNumber(copied.back().image).value_or(-1), 113, 1);
    EXPECT_NEAR(double(copied.size()), 89, 1.0);

    // 720p with the clock burned in: "Original" is no longer offered.
    exportClip([&](RVClipDialog& dialog) {
        EXPECT_FALSE(dialog.findChild<QCheckBox*>("clipSound")->isChecked()) << "remembered";
        EXPECT_TRUE(dialog.findChild<QCheckBox*>("clipGpx")->isChecked()) << "remembered";
        dialog.findChild<QCheckBox*>("clipReadout_time")->setChecked(true);
        EXPECT_EQ(
            dialog.findChild<QComboBox*>("clipQuality")->findData(int(RVClipQuality::Original)),
            -1);
        pickQuality(dialog, RVClipQuality::Hd720);
    });
    // The same name is taken: the second clip gets a free one.
    const QString second = QFileInfo(name).completeBaseName() + "-2.mp4";
    ASSERT_EQ(mp4s(), (QStringList{second, name}));
    const std::vector<ShownFrame> encoded = shownFrames(out.filePath(second));
    ASSERT_FALSE(encoded.empty());
    EXPECT_EQ(encoded.front().image.height(), 720);
    EXPECT_NEAR(double(encoded.size()), 89, 1.0);
    EXPECT_TRUE(dialogs->alerts.isEmpty()) << dialogs->alerts.join('\n').toStdString();

    // Escape clears the marks; the dialog then offers the recording at the position or 30 s
    // around it, which holds the file that cannot be read, and names it. Cancel leaves no file.
    QTest::keyClick(central, Qt::Key_Escape);
    EXPECT_TRUE(clips->marks().isEmpty());
    const QStringList before = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
    exportClip(
        [&](RVClipDialog& dialog) {
            auto* ranges = dialog.findChild<QComboBox*>("clipRange");
            ASSERT_EQ(ranges->count(), 2);
            EXPECT_TRUE(ranges->itemText(0).contains("clip1.mp4, 0:03.0 – 0:06.0"));
            EXPECT_TRUE(ranges->itemText(1).contains("0:00.0 – 0:06.0"));
            ranges->setCurrentIndex(1);
            auto* unreadable = dialog.findChild<QLabel*>("clipUnreadable");
            EXPECT_FALSE(unreadable->isHidden());
            EXPECT_TRUE(unreadable->text().contains("clip2.mp4"));
            setReadouts(dialog, true);
            pickQuality(dialog, RVClipQuality::Full1080);
        },
        true);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("CLIP_CANCELLED"));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), before);
}

// The clip's plan on a trip: the window's arrangement as a clip layout, among those the
// recording's views allow; the ranges around a place or an event and the files they take.
TEST(ClipPlan, LayoutsOfTheViewsAndRangesOnTheTrip)
{
    using L = RVClipLayout;
    using A = RVViewArrangement;
    const std::vector<L> one{L::Front};
    const std::vector<L> two{L::Front, L::Rear, L::PictureInPicture, L::SideBySide};
    const std::tuple<RVViewChoice, const std::vector<L>&, L> cases[] = {
        {{RVChannel::Front, A::Single}, two, L::Front},
        {{RVChannel::Rear, A::Single}, two, L::Rear},
        {{RVChannel::Front, A::PictureInPicture}, two, L::PictureInPicture},
        {{RVChannel::Front, A::SideBySide}, two, L::SideBySide},
        // A grid the recording cannot fill, or a rear view it lacks: the first offered.
        {{RVChannel::Front, A::Grid}, two, L::Front},
        {{RVChannel::Rear, A::Single}, one, L::Front},
    };
    for (const auto& [choice, offered, layout] : cases)
        EXPECT_EQ(RVClipPlan::layoutFor(choice, offered), layout)
            << int(choice.arrangement) << " " << offered.size();

    // 30 s around a place, cut at the trip's ends; the recording at a join is the next one.
    // Three recordings of 60 s, the middle one of unknown length; the last one's file is gone.
    QTemporaryDir card;
    RVVideoFileList files;
    for (int i = 0; i < 3; ++i) {
        const QString path = card.filePath(QStringLiteral("r%1.mp4").arg(i));
        ASSERT_TRUE(i == 2 || support::writeFile(path, QByteArray()));
        files.push_back(
            std::make_shared<RVVideoFile>(path, i == 1 ? 0.0F : 60.0F, RVTimestamp(), false));
    }
    const RVTripTimeline timeline(files);
    ASSERT_DOUBLE_EQ(timeline.duration(), 120.0);
    EXPECT_EQ(RVClipPlan::secondsAround(timeline, 10), std::pair(0.0, 40.0));
    EXPECT_EQ(RVClipPlan::secondsAround(timeline, 500), std::pair(90.0, 120.0));
    EXPECT_EQ(RVClipPlan::recordingAround(timeline, 60), std::pair(60.0, 120.0));
    // The recording without a length is named when the range reaches its place, and is no
    // source of the clip.
    const RVVideoDataPtr node = RVVideoData::create("trip", 120.0F, RVTimestamp(), files, {});
    EXPECT_EQ(RVClipPlan::unreadableIn(*node, timeline, 0, 59.9), QStringList());
    EXPECT_EQ(RVClipPlan::unreadableIn(*node, timeline, 30, 59.9), QStringList());
    EXPECT_EQ(RVClipPlan::unreadableIn(*node, timeline, 30, 90), (QStringList{"r1.mp4", "r2.mp4"}));
    const std::vector<RVClipSource> sources = RVClipPlan::sources(*node, timeline);
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[1].tripOffsetSeconds, 60.0);

    // A trip of three recordings of 60 s; events 2 s after b starts and 2 s before c starts.
    RVVideoFileList abc;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        abc.push_back(std::make_shared<RVVideoFile>(name, 60.0F, RVTimestamp(), false));
    const RVTripTimeline trip(abc);
    const RVVideoDataPtr tripNode = RVVideoData::create("trip", 180.0F, RVTimestamp(), abc, {});
    RVEvent early, late;
    early.kind = RVEventKind::HardBraking;
    early.seconds = 62;
    late.kind = RVEventKind::Impact;
    late.seconds = 118;
    const std::vector<RVEvent> events{early, late};

    // The event the clip is about: the one the position is on (from its playback's lead-up to
    // a few seconds after), or the one chosen in the panel while the position is near it.
    // The position, the event chosen, and the event's time (-1: none).
    const std::tuple<double, std::optional<RVEvent>, double> picks[] = {
        {57, {}, 62},   {72, {}, 62},    {90, {}, -1},     {125, {}, 118},
        {113, {}, 118}, {90, early, 62}, {100, early, -1}, {55, {}, -1}};
    for (const auto& [position, chosen, event] : picks) {
        const std::optional<RVEvent> found = RVClipPlan::eventAt(events, chosen, position);
        EXPECT_EQ(found ? found->seconds : -1.0, event) << position;
    }

    // 30 s around it, cut at the trip's ends; the clip's files are those the range crosses.
    const std::tuple<double, std::pair<double, double>, QStringList> ranges[] = {
        {62, {32, 92}, {"a.mp4", "b.mp4"}},
        {118, {88, 148}, {"b.mp4", "c.mp4"}},
        {90, {60, 120}, {"b.mp4"}},
        {178, {148, 180}, {"c.mp4"}}};
    for (const auto& [event, expected, names] : ranges) {
        const auto range = RVClipPlan::secondsAround(trip, event);
        EXPECT_EQ(range, expected) << event;
        EXPECT_EQ(RVClipPlan::filesIn(*tripNode, trip, range.first, range.second), names) << event;
    }
}

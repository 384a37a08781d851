#include "../timeline/RecordingDelegate.h"

#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>

namespace {

RVVideoFilePtr file(const char* name, float seconds, bool locked = false)
{
    const auto created = QDateTime::fromString("2015-01-01T10:00:00Z", Qt::ISODate);
    return std::make_shared<RVVideoFile>("/card/DCIM/100KVLA/" + QString::fromLatin1(name), seconds,
                                         RVTimestamp::fromDateTime(created), locked);
}

RVVideoDataPtr single(const RVVideoFilePtr& f)
{
    return RVVideoData::create(f->fileName(), f->duration(), f->created(), {f}, {});
}

RVVideoDataPtr trip(const QString& name, const RVVideoFileList& files)
{
    RVVideoDataList children;
    float seconds = 0;
    for (const RVVideoFilePtr& f : files) {
        children.push_back(single(f));
        seconds += f->duration();
    }
    return RVVideoData::create(name, seconds, files.front()->created(), files, children);
}

} // namespace

TEST(VideoOutlineViewModel, CellsOfTripsAndRecordings)
{
    const RVVideoDataPtr lone = single(file("FILE0009.MOV", 3725.9f));
    const RVVideoDataPtr one = trip("ONE", {file("FILE0020.MOV", 60)});
    const RVVideoDataPtr two =
        trip("FILE0001-2", {file("FILE0001.MOV", 59.99f), file("FILE0002.MOV", 0.5f)});
    RVVideoOutlineViewModel model;
    model.reload({lone, one, two});
    using M = RVVideoOutlineViewModel;
    auto text = [&](int row, int column) {
        return model.data(model.index(row, column)).toString();
    };

    // One top-level row is still a list to show.
    model.reload({one});
    EXPECT_TRUE(model.hasChildren());
    model.reload({lone, one, two});
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(text(0, M::ColumnName), "FILE0009.MOV");
    // Whole seconds, truncated; minutes run past 59.
    EXPECT_EQ(text(0, M::ColumnDuration), "62:05");
    EXPECT_EQ(text(2, M::ColumnDuration), "01:00");
    // Local time (the tests run in Europe/Berlin: UTC+1 in January).
    EXPECT_EQ(text(0, M::ColumnDate), "2015-01-01 11:00:00");
    EXPECT_EQ(text(0, M::ColumnLocked), "");
    // A recording that could not be measured shows no length rather than a number.
    EXPECT_EQ(M::durationText(std::nanf("")), "--:--");
    EXPECT_EQ(M::dateText(RVTimestamp()), "");

    // Only a node with more than one child expands; a node made from one file has no rows.
    EXPECT_FALSE(model.hasChildren(model.index(0, 0)));
    EXPECT_EQ(model.rowCount(model.index(1, 0)), 0);
    const QModelIndex tripRow = model.index(2, 0);
    ASSERT_EQ(model.rowCount(tripRow), 2);
    const QModelIndex child = model.index(1, M::ColumnName, tripRow);
    EXPECT_EQ(model.data(child).toString(), "  -  FILE0002.MOV");
    EXPECT_EQ(model.parent(child), tripRow);
    EXPECT_EQ(model.nodeAt(child), two->children()[1]);
    EXPECT_EQ(model.indexOf(two->children()[1].get()), child);
    EXPECT_FALSE(model.index(2, 0, tripRow).isValid());
    EXPECT_FALSE(model.index(0, M::ColumnCount).isValid());

    // The library's regrouping re-links recordings to a new trip that this snapshot does not
    // hold; the rows of the snapshot must keep their place.
    const RVVideoDataPtr newTrip =
        RVVideoData::create("FILE0001-2", 60, two->created(), two->files(), two->children());
    ASSERT_EQ(two->children()[1]->parent(), newTrip);
    EXPECT_EQ(model.parent(child), tripRow);
    EXPECT_EQ(model.data(child).toString(), "  -  FILE0002.MOV");

    // Sorting asks for the column's key; the lock column has none.
    QSignalSpy sorts(&model, &M::sortRequested);
    model.sort(M::ColumnDuration, Qt::DescendingOrder);
    model.sort(M::ColumnLocked, Qt::AscendingOrder);
    model.sort(M::ColumnDate, Qt::AscendingOrder);
    ASSERT_EQ(sorts.size(), 2);
    EXPECT_EQ(sorts[0], (QVariantList{"duration", false}));
    EXPECT_EQ(sorts[1], (QVariantList{"created", true}));
}

TEST(VideoOutlineView, LockImageAndContextMenuFollowTheFilesFlags)
{
    using M = RVVideoOutlineViewModel;
    RVVideoOutlineView view;
    QAction reveal("reveal"), gpx("gpx"), kml("kml"), excel("excel");
    view.setBaseMenuActions({&reveal, &gpx, &kml, &excel});
    // The menu's items after the four base ones; separators as "-".
    auto menu = [&](const RVVideoDataPtr& node) {
        std::unique_ptr<QMenu> shown(view.menuForNode(node));
        const QList<QAction*> actions = shown->actions();
        EXPECT_EQ(actions.value(3), &excel);
        QStringList items;
        for (int i = 4; i < actions.size(); ++i)
            items << (actions[i]->isSeparator() ? QStringLiteral("-") : actions[i]->objectName());
        return items.join(' ');
    };
    const QString lockAndDelete = "- lockFileMenuItem - removeFileMenuItem";

    const RVVideoDataPtr lockedOne = single(file("A.MOV", 1, true));
    EXPECT_EQ(M::lockImageName(*single(file("A.MOV", 1))), "Video");
    EXPECT_EQ(M::lockImageName(*lockedOne), "VideoLocked");
    EXPECT_EQ(menu(single(file("A.MOV", 1))), lockAndDelete);
    EXPECT_EQ(menu(lockedOne), "- unlockFileMenuItem");
    // Below the last row: a node without files that is not locked.
    EXPECT_EQ(menu(nullptr), lockAndDelete);

    const RVVideoFilePtr a = file("A.MOV", 1), b = file("B.MOV", 1), c = file("C.MOV", 1);
    const RVVideoDataPtr t = trip("A-C", {a, b, c});
    EXPECT_EQ(M::lockImageName(*t), "Groupped");
    EXPECT_EQ(menu(t), lockAndDelete);
    b->setLocked(true);
    EXPECT_EQ(M::lockImageName(*t), "GrouppedNotAllLocked");
    EXPECT_EQ(menu(t), "- unlockFileMenuItem lockFileMenuItem");
    a->setLocked(true);
    c->setLocked(true);
    EXPECT_EQ(M::lockImageName(*t), "GrouppedLocked");
    EXPECT_EQ(menu(t), "- unlockFileMenuItem");
    EXPECT_EQ(M::lockImageName(*RVVideoData::create("none", 0, RVTimestamp(), {}, {})),
              "GrouppedLocked");

    // Every picture named above is in the resources and draws.
    for (const char* name :
         {"Video", "VideoLocked", "Groupped", "GrouppedLocked", "GrouppedNotAllLocked"})
        EXPECT_FALSE(M::lockImage(QString::fromLatin1(name)).pixmap(16, 16).isNull()) << name;
}

TEST(VideoOutlineView, MenuCommandsGoToTheDelegateWithTheRowUnderTheMouse)
{
    RecordingDelegate delegate;
    RVVideoOutlineView view;
    RVVideoOutlineViewModel model;
    const RVVideoDataPtr first = single(file("A.MOV", 1));
    const RVVideoDataPtr second = single(file("B.MOV", 1));
    model.reload({first, second});
    view.setModel(&model);
    view.setControllerDelegate(&delegate);
    view.resize(300, 200);
    view.show();
    // The first row is selected, the menu opens on the second: the commands take the second.
    view.setCurrentIndex(model.index(0, 0));
    const QPoint secondRow = view.visualRect(model.index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, secondRow,
                            view.viewport()->mapToGlobal(secondRow));
    QCoreApplication::sendEvent(view.viewport(), &event);
    QMenu* shown = nullptr;
    for (QMenu* menu : view.findChildren<QMenu*>())
        shown = menu->isVisible() ? menu : shown;
    ASSERT_NE(shown, nullptr);
    QAction* lock = shown->findChild<QAction*>("lockFileMenuItem");
    ASSERT_NE(lock, nullptr);
    lock->trigger();
    shown->close();
    view.removeClicked();
    EXPECT_EQ(delegate.calls, (QStringList{"lock", "remove"}));
    EXPECT_EQ(delegate.nodes, (std::vector<RVVideoDataPtr>{second, second}));

    // Keys of the key map go to the delegate; typing never jumps to a row.
    delegate.clear();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(&view, &space);
    EXPECT_EQ(delegate.calls, QStringList{"spacebarPressed"});
    view.keyboardSearch(QStringLiteral("B"));
    EXPECT_EQ(view.currentIndex().row(), 0);
}

// Real card names: the mode each row shows, the mark of extra views, the tooltip and the filter
// by mode (a trip stays whole when any of its recordings passes).
TEST(VideoOutlineViewModel, ModesViewsTooltipsAndTheModeFilter)
{
    const QString dir = "/card/BlackVue/Record/";
    auto recording = [&](const QString& stem, bool rear = false) {
        std::vector<RVVideoView> views{{RVChannel::Front, dir + stem + "F.mp4"}};
        if (rear)
            views.push_back({RVChannel::Rear, dir + stem + "R.mp4"});
        return std::make_shared<RVVideoFile>(views, 60.0f, RVTimestamp(), false);
    };
    const RVVideoFilePtr normal = recording("20170708_221449_N", true);
    const RVVideoFilePtr event = recording("20170708_221549_E");
    const RVVideoDataPtr drive = trip("drive", {normal, event});
    drive->children()[0]->setCameraModel("DR900S-2CH");
    const RVVideoDataPtr parked = single(recording("20170708_230000_P"));
    const RVVideoDataPtr plain = single(file("<b>FILE0001.MOV", 60));
    const RVVideoDataPtr mixed =
        trip("mixed", {recording("20170709_080000_N"), recording("20170709_080100_P")});
    using M = RVVideoOutlineViewModel;
    M model;
    model.reload({drive, parked, plain, mixed});

    // Events stand out, in the trips holding them too; a trip of mixed modes shows none.
    EXPECT_EQ(M::shownMode(*drive), RVRecordingMode::Event);
    EXPECT_EQ(M::shownMode(*drive->children()[0]), RVRecordingMode::Normal);
    EXPECT_EQ(M::shownMode(*parked), RVRecordingMode::Parking);
    EXPECT_EQ(M::shownMode(*mixed), RVRecordingMode::Unknown);
    auto cell = [&](int row, int role) {
        return model.data(model.index(row, M::ColumnName), role);
    };
    EXPECT_TRUE(cell(0, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(cell(1, Qt::FontRole).isValid());
    EXPECT_FALSE(cell(1, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(cell(2, Qt::DecorationRole).isValid()); // no mode known: no picture

    // One row per recording, marked with its extra views.
    EXPECT_EQ(cell(0, Qt::DisplayRole).toString(), "drive +R");
    EXPECT_EQ(model.data(model.index(0, M::ColumnName, model.index(0, 0))).toString(),
              "  -  20170708_221449_NF.mp4 +R");
    EXPECT_EQ(cell(1, Qt::DisplayRole).toString(), "20170708_230000_PF.mp4");

    // Tooltips: every view's path, the mode as the camera wrote it, the camera model.
    const QStringList lines = M::toolTipLines(*drive->children()[0]);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(": " + dir + "20170708_221449_NF.mp4"));
    EXPECT_TRUE(lines[1].endsWith(": " + dir + "20170708_221449_NR.mp4"));
    EXPECT_TRUE(lines[2].endsWith(" (N)"));
    EXPECT_TRUE(lines[3].endsWith("DR900S-2CH"));
    const QStringList tripLines = M::toolTipLines(*drive);
    ASSERT_EQ(tripLines.size(), 3);
    EXPECT_EQ(tripLines[0], normal->filePath());
    EXPECT_TRUE(tripLines[1].endsWith(" 1")); // event recordings
    EXPECT_TRUE(tripLines[2].endsWith("DR900S-2CH"));
    EXPECT_EQ(M::toolTipLines(*plain), QStringList{plain->files().front()->filePath()});
    // A name that looks like markup is shown as text.
    EXPECT_TRUE(cell(2, Qt::ToolTipRole).toString().contains("/&lt;b&gt;FILE0001.MOV"));

    const struct
    {
        const char* key;
        RVVideoDataList shown;
    } filters[] = {
        {"all", {drive, parked, plain, mixed}},
        {"event", {drive}},
        {"normal", {drive, mixed}},
        {"parking", {parked, mixed}},
        {"manual", {}},
        {"other", {plain}},
        {"nonsense", {drive, parked, plain, mixed}},
    };
    for (const auto& filter : filters) {
        model.setModeFilter(RVRecordingModeLook::filterFromKey(filter.key));
        EXPECT_EQ(model.topLevel(), filter.shown) << filter.key;
        EXPECT_EQ(RVRecordingModeLook::filterKey(model.modeFilter()),
                  filter.shown.size() == 4 ? QString("all") : QString(filter.key));
    }
    // The filter holds across reloads, and a trip shown keeps all its recordings.
    model.setModeFilter(RVModeFilter::Event);
    model.reload({plain, mixed, drive});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
}

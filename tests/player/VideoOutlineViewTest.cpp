#include "../timeline/RecordingDelegate.h"

#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QSignalSpy>

namespace {

using M = RVVideoOutlineViewModel;

RVVideoFilePtr file(const QString& name, float seconds = 60, bool rear = false)
{
    std::vector<RVVideoView> views{{RVChannel::Front, "/card/" + name}};
    if (rear)
        views.push_back({RVChannel::Rear, "/card/" + QString(name).replace("F.", "R.")});
    const auto created = QDateTime::fromString("2015-01-01T10:00:00Z", Qt::ISODate);
    return std::make_shared<RVVideoFile>(views, seconds, RVTimestamp::fromDateTime(created), false);
}

RVVideoDataPtr single(const RVVideoFilePtr& f)
{
    return RVVideoData::create(f->fileName(), f->duration(), f->created(), {f}, {});
}

RVVideoDataPtr trip(const QString& name, const RVVideoFileList& files)
{
    RVVideoDataList children;
    for (const RVVideoFilePtr& f : files)
        children.push_back(single(f));
    return RVVideoData::create(name, 60, files.front()->created(), files, children);
}

} // namespace

// The cells of trips and recordings, their rows, and the sort keys the columns ask for.
TEST(VideoOutlineViewModel, CellsRowsAndSorting)
{
    const RVVideoDataPtr lone = single(file("FILE0009.MOV", 3725.9f));
    const RVVideoDataPtr one = trip("ONE", {file("FILE0020.MOV")});
    const RVVideoDataPtr two = trip("FILE0001-2", {file("FILE0001.MOV", 59.99f), file("B.MOV")});
    M model;
    model.reload({lone, one, two});
    auto text = [&](int row, int column, const QModelIndex& parent = {}) {
        return model.data(model.index(row, column, parent)).toString();
    };
    // Whole seconds, truncated, minutes past 59; local time (Europe/Berlin in the tests).
    EXPECT_EQ(
        QStringList({text(0, M::ColumnName), text(0, M::ColumnDuration), text(2, M::ColumnDuration),
                     text(0, M::ColumnDate), text(0, M::ColumnLocked),
                     M::durationText(std::nanf("")), M::dateText(RVTimestamp())}),
        QStringList({"FILE0009.MOV", "62:05", "01:00", "2015-01-01 11:00:00", "", "--:--", ""}));
    // Only a node of more than one file expands.
    EXPECT_EQ(model.rowCount(model.index(0, 0)) + model.rowCount(model.index(1, 0)), 0);
    const QModelIndex tripRow = model.index(2, 0);
    ASSERT_EQ(model.rowCount(tripRow), 2);
    const QModelIndex child = model.index(1, M::ColumnName, tripRow);
    EXPECT_EQ(model.nodeAt(child), two->children()[1]);
    EXPECT_EQ(model.indexOf(two->children()[1].get()), child);
    EXPECT_FALSE(model.index(2, 0, tripRow).isValid() || model.index(0, M::ColumnCount).isValid());
    // The library's regrouping links the recordings to a new trip this snapshot does not
    // hold; the rows keep their place.
    RVVideoData::create("FILE0001-2", 60, two->created(), two->files(), two->children());
    EXPECT_EQ(model.parent(child), tripRow);
    EXPECT_EQ(text(1, M::ColumnName, tripRow), "  -  B.MOV");

    QSignalSpy sorts(&model, &M::sortRequested);
    model.sort(M::ColumnDuration, Qt::DescendingOrder);
    model.sort(M::ColumnLocked, Qt::AscendingOrder); // no key
    model.sort(M::ColumnDate, Qt::AscendingOrder);
    EXPECT_EQ(sorts, (QList<QVariantList>{{"duration", false}, {"created", true}}));
}

TEST(VideoOutlineView, LockImageAndMenuFollowTheFilesFlagsAndCommandsTakeTheRowClicked)
{
    RVVideoOutlineView view;
    QAction reveal("reveal"), gpx("gpx"), kml("kml"), excel("excel");
    view.setBaseMenuActions({&reveal, &gpx, &kml, &excel});
    // The lock picture, then the menu's items after the four base ones (separators as "-").
    auto shown = [&](const RVVideoDataPtr& node) {
        std::unique_ptr<QMenu> menu(view.menuForNode(node));
        QStringList items{node ? M::lockImageName(*node) : "none"};
        for (QAction* action : menu->actions().mid(4))
            items << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        EXPECT_FALSE(M::lockImage(items[0]).pixmap(16, 16).isNull() && node);
        return items.join(' ');
    };
    const RVVideoFilePtr a = file("A.MOV"), b = file("B.MOV"), c = file("C.MOV");
    const RVVideoDataPtr t = trip("A-C", {a, b, c});
    const QString lockAndDelete = " - lockFileMenuItem - removeFileMenuItem";
    EXPECT_EQ(shown(single(a)), "Video" + lockAndDelete);
    EXPECT_EQ(shown(nullptr), "none" + lockAndDelete); // below the last row
    EXPECT_EQ(shown(t), "Groupped" + lockAndDelete);
    b->setLocked(true);
    EXPECT_EQ(shown(single(b)), "VideoLocked - unlockFileMenuItem");
    EXPECT_EQ(shown(t), "GrouppedNotAllLocked - unlockFileMenuItem lockFileMenuItem");
    a->setLocked(true);
    c->setLocked(true);
    EXPECT_EQ(shown(t), "GrouppedLocked - unlockFileMenuItem");
    EXPECT_EQ(M::lockImageName(*RVVideoData::create("none", 0, RVTimestamp(), {}, {})),
              "GrouppedLocked");

    // The first row is selected, the menu opens on the second: its commands take the second.
    RecordingDelegate delegate;
    M model;
    const RVVideoDataPtr first = single(file("D.MOV")), second = single(file("E.MOV"));
    model.reload({first, second});
    view.setModel(&model);
    view.setControllerDelegate(&delegate);
    view.resize(300, 200);
    view.show();
    view.setCurrentIndex(model.index(0, 0));
    const QPoint secondRow = view.visualRect(model.index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, secondRow,
                            view.viewport()->mapToGlobal(secondRow));
    QCoreApplication::sendEvent(view.viewport(), &event);
    for (QMenu* menu : view.findChildren<QMenu*>()) {
        if (menu->isVisible()) {
            menu->findChild<QAction*>("lockFileMenuItem")->trigger();
            menu->close();
        }
    }
    view.removeClicked();
    // Keys of the key map go to the delegate; typing never jumps to a row.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(&view, &space);
    view.keyboardSearch(QStringLiteral("E"));
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(delegate.calls, (QStringList{"lock", "remove", "spacebarPressed"}));
    EXPECT_EQ(delegate.nodes, (std::vector<RVVideoDataPtr>{second, second}));
}

// Real card names: the mode each row shows, the mark of extra views, the tooltip and the filter
// by mode (a trip stays whole when any of its recordings passes).
TEST(VideoOutlineViewModel, ModesViewsTooltipsAndTheModeFilter)
{
    const RVVideoFilePtr normal = file("20170708_221449_NF.mp4", 60, true);
    const RVVideoDataPtr drive = trip("drive", {normal, file("20170708_221549_EF.mp4")});
    drive->children()[0]->setCameraModel("DR900S-2CH");
    const RVVideoDataPtr parked = single(file("20170708_230000_PF.mp4"));
    const RVVideoDataPtr plain = single(file("<b>FILE0001.MOV"));
    const RVVideoDataPtr mixed =
        trip("mixed", {file("20170709_080000_NF.mp4"), file("20170709_080100_PF.mp4")});
    M model;
    model.reload({drive, parked, plain, mixed});
    // Events stand out, in the trips holding them too; a trip of mixed modes shows none.
    EXPECT_EQ(std::vector({M::shownMode(*drive), M::shownMode(*drive->children()[0]),
                           M::shownMode(*parked), M::shownMode(*mixed)}),
              std::vector({RVRecordingMode::Event, RVRecordingMode::Normal,
                           RVRecordingMode::Parking, RVRecordingMode::Unknown}));
    auto cell = [&](int row, int role, const QModelIndex& parent = {}) {
        return model.data(model.index(row, M::ColumnName, parent), role);
    };
    EXPECT_TRUE(cell(0, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(cell(1, Qt::FontRole).isValid());
    EXPECT_FALSE(cell(1, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(cell(2, Qt::DecorationRole).isValid()); // no mode known: no picture
    EXPECT_EQ(cell(0, Qt::DisplayRole).toString() + "|" +
                  cell(0, Qt::DisplayRole, model.index(0, 0)).toString() + "|" +
                  cell(1, Qt::DisplayRole).toString(),
              "drive +R|  -  20170708_221449_NF.mp4 +R|20170708_230000_PF.mp4");

    // Every view's path, the mode as the camera wrote it, the camera model; for a trip its
    // first file, the events in it and the model.
    const QStringList lines = M::toolTipLines(*drive->children()[0]) + M::toolTipLines(*drive);
    ASSERT_EQ(lines.size(), 7);
    for (const auto& [line, end] : {std::pair{0, ": /card/20170708_221449_NF.mp4"},
                                    {1, ": /card/20170708_221449_NR.mp4"},
                                    {2, " (N)"},
                                    {3, "DR900S-2CH"},
                                    {5, " 1"},
                                    {6, "DR900S-2CH"}})
        EXPECT_TRUE(lines[line].endsWith(end)) << lines[line].toStdString();
    EXPECT_EQ(lines[4], normal->filePath());
    EXPECT_TRUE(cell(2, Qt::ToolTipRole).toString().contains("/&lt;b&gt;FILE0001.MOV"));

    const std::pair<const char*, RVVideoDataList> filters[] = {
        {"all", {drive, parked, plain, mixed}},
        {"event", {drive}},
        {"normal", {drive, mixed}},
        {"parking", {parked, mixed}},
        {"manual", {}},
        {"other", {plain}},
        {"nonsense", {drive, parked, plain, mixed}},
    };
    for (const auto& [key, shown] : filters) {
        model.setModeFilter(RVRecordingModeLook::filterFromKey(key));
        EXPECT_EQ(model.topLevel(), shown) << key;
        EXPECT_EQ(RVRecordingModeLook::filterKey(model.modeFilter()),
                  shown.size() == 4 ? QString("all") : QString(key));
    }
    // The filter holds across reloads, and a trip shown keeps all its recordings.
    model.setModeFilter(RVModeFilter::Event);
    model.reload({plain, mixed, drive});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
}

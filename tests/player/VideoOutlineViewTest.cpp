#include "../timeline/RecordingDelegate.h"

#include "player/files/RVVideoOutlineView.h"
#include "player/files/RVVideoOutlineViewModel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>

namespace {

using M = RVVideoOutlineViewModel;

RVVideoFilePtr file(const QString& name, float seconds = 60, bool rear = false)
{
    std::vector<RVVideoView> views{{RVChannel::Front, "/card/" + name}};
    if (rear)
        views.push_back({RVChannel::Rear, "/card/" + QString(name).replace("F.", "R.")});
    const QDateTime created(QDate(2015, 1, 1), QTime(10, 0), Qt::UTC);
    return std::make_shared<RVVideoFile>(views, seconds, RVTimestamp::fromDateTime(created), false);
}

RVVideoDataPtr node(const QString& name, const RVVideoFileList& files)
{
    RVVideoDataList children;
    for (const RVVideoFilePtr& f : files)
        children.push_back(RVVideoData::create(f->fileName(), f->duration(), {}, {f}, {}));
    return RVVideoData::create(name, 60, files.front()->created(), files, children);
}

} // namespace

// Real card names: the cells of trips and recordings, the mode each shows, its tooltip, the
// sort keys of the columns and the filter by mode (a trip stays whole when any of it passes);
// the menu's items by the files' locks, and the commands taking the row the menu opened on.
TEST(VideoOutline, CellsModesSortingFilterMenusAndCommands)
{
    const RVVideoFilePtr normal = file("20170708_221449_NF.mp4", 3725.9f, true);
    const RVVideoDataPtr drive = node("drive", {normal, file("20170708_221549_EF.mp4", 59.99f)});
    drive->children()[0]->setCameraModel("DR900S-2CH");
    const RVVideoDataPtr parked = node("parked", {file("20170708_230000_PF.mp4")});
    const RVVideoDataPtr plain = node("plain", {file("<b>FILE0001.MOV")});
    const RVVideoDataPtr mixed =
        node("mixed", {file("20170709_080000_NF.mp4"), file("20170709_080100_PF.mp4")});
    M model;
    model.reload({drive, parked, plain, mixed});
    const QModelIndex tripRow = model.index(0, 0);
    // Whole seconds, truncated, minutes past 59; local time (Europe/Berlin in the tests); one
    // row per recording of a trip, marked with its extra views.
    auto text = [&](int row, int column, QModelIndex parent = {}) {
        return model.data(model.index(row, column, parent)).toString();
    };
    EXPECT_EQ(QStringList({text(0, 0), text(0, 0, tripRow), text(0, M::ColumnDuration, tripRow),
                           text(1, M::ColumnDuration, tripRow), text(1, M::ColumnDate),
                           text(1, M::ColumnLocked), M::durationText(std::nanf("")),
                           M::dateText(RVTimestamp())}),
              QStringList({"drive +R", "  -  20170708_221449_NF.mp4 +R", "62:05", "00:59",
                           "2015-01-01 11:00:00", "", "--:--", ""}));
    EXPECT_EQ(model.rowCount(model.index(1, 0)), 0); // only trips of several files expand
    // The library's regrouping links the recordings to a new trip this snapshot does not
    // hold; the rows keep their place.
    const QModelIndex child = model.index(1, M::ColumnName, tripRow);
    RVVideoData::create("drive", 60, {}, drive->files(), drive->children());
    EXPECT_TRUE(model.parent(child) == tripRow &&
                model.indexOf(model.nodeAt(child).get()) == child);

    // Events stand out, in the trips holding them too; a trip of mixed modes shows none.
    EXPECT_EQ(std::vector({M::shownMode(*drive), M::shownMode(*drive->children()[0]),
                           M::shownMode(*parked), M::shownMode(*mixed)}),
              std::vector({RVRecordingMode::Event, RVRecordingMode::Normal,
                           RVRecordingMode::Parking, RVRecordingMode::Unknown}));
    // The camera model and the mode as the camera wrote it; a name that looks like markup
    // stays text.
    EXPECT_EQ(M::toolTipLines(*drive->children()[0]).mid(2).join('|'),
              "TOOLTIP_MODE MODE_NORMAL (N)|TOOLTIP_CAMERA_MODEL DR900S-2CH");
    const QString tip = model.data(model.index(2, 0), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("/&lt;b&gt;FILE0001.MOV")) << tip.toStdString();

    QSignalSpy sorts(&model, &M::sortRequested);
    for (const M::Column column : {M::ColumnDuration, M::ColumnLocked, M::ColumnDate})
        model.sort(column, column == M::ColumnDate ? Qt::AscendingOrder : Qt::DescendingOrder);
    EXPECT_EQ(sorts, (QList<QVariantList>{{"duration", false}, {"created", true}}));

    QStringList filtered;
    for (const char* key : {"all", "event", "normal", "parking", "manual", "other", "nonsense"}) {
        model.setModeFilter(RVRecordingModeLook::filterFromKey(key));
        filtered << RVRecordingModeLook::filterKey(model.modeFilter()) + ":";
        for (const RVVideoDataPtr& shown : model.topLevel())
            filtered.last() += " " + shown->name();
    }
    EXPECT_EQ(filtered, QStringList({"all: drive parked plain mixed", "event: drive",
                                     "normal: drive mixed", "parking: parked mixed",
                                     "manual:", "other: plain", "all: drive parked plain mixed"}));
    model.setModeFilter(RVModeFilter::Event);
    model.reload({plain, mixed, drive}); // the filter holds across reloads
    EXPECT_EQ(model.topLevel(), RVVideoDataList{drive});
    model.setModeFilter(RVModeFilter::All);

    RVVideoOutlineView view;
    QAction reveal("reveal"), gpx("gpx"), kml("kml"), excel("excel");
    view.setBaseMenuActions({&reveal, &gpx, &kml, &excel});
    // The view: the lock picture (which must draw), then the context menu's items after the
    // four base ones (separators as "-").
    auto shown = [&](const RVVideoDataPtr& node) {
        std::unique_ptr<QMenu> menu(view.menuForNode(node));
        QStringList items{node ? M::lockImageName(*node) : "none"};
        for (QAction* action : menu->actions().mid(4))
            items << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        EXPECT_FALSE(M::lockImage(items[0]).pixmap(16, 16).isNull() && node);
        return items.join(' ');
    };
    const RVVideoFilePtr a = file("A.MOV"), b = file("B.MOV"), c = file("C.MOV");
    const RVVideoDataPtr trip = node("A-C", {a, b, c}), first = node("", {a});
    const QString lockAndDelete = " - lockFileMenuItem - removeFileMenuItem";
    EXPECT_EQ(shown(nullptr), "none"); // below the last row: nothing to lock or delete
    EXPECT_EQ(shown(trip), "Groupped" + lockAndDelete);
    b->setLocked(true);
    EXPECT_EQ(shown(node("", {b})), "VideoLocked - unlockFileMenuItem");
    EXPECT_EQ(shown(trip), "GrouppedNotAllLocked - unlockFileMenuItem lockFileMenuItem");
    a->setLocked(true);
    c->setLocked(true);
    EXPECT_EQ(shown(trip), "GrouppedLocked - unlockFileMenuItem");

    // The first row is selected, the menu opens on the second: its commands take the second.
    RecordingDelegate delegate;
    model.reload({first, trip});
    view.setModel(&model);
    view.setControllerDelegate(&delegate);
    view.resize(300, 200);
    view.show();
    view.setCurrentIndex(model.index(0, 0));
    const QPoint second = view.visualRect(model.index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, second, view.viewport()->mapToGlobal(second));
    QCoreApplication::sendEvent(view.viewport(), &event);
    for (QMenu* menu : view.findChildren<QMenu*>()) {
        if (menu->isVisible())
            menu->findChild<QAction*>("unlockFileMenuItem")->trigger();
        menu->close();
    }
    view.removeClicked();
    EXPECT_EQ(delegate.calls, (QStringList{"unlock", "remove"}));
    EXPECT_EQ(delegate.nodes, (std::vector<RVVideoDataPtr>{trip, trip}));
}

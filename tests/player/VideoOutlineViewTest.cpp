#include "../timeline/RecordingDelegate.h"

#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
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

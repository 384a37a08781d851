#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVPlayerViewDelegate.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>

namespace {

RVTimestamp utc(const char* iso)
{
    return RVTimestamp::fromDateTime(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate));
}

RVVideoFilePtr file(const char* name, float seconds, bool locked = false)
{
    return std::make_shared<RVVideoFile>(QStringLiteral("/card/DCIM/100KVLA/") +
                                             QString::fromLatin1(name),
                                         seconds, utc("2015-01-01T10:00:00Z"), locked);
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

// The texts of a menu's actions after the four base items; separators as "-".
QStringList menuLayout(QMenu* menu, int skip)
{
    QStringList items;
    const QList<QAction*> actions = menu->actions();
    for (int i = skip; i < actions.size(); ++i)
        items << (actions[i]->isSeparator() ? QStringLiteral("-") : actions[i]->objectName());
    return items;
}

class RecordingDelegate final : public RVPlayerViewDelegate
{
public:
    void doubleClick() override {}
    void click() override {}
    void altEnterPressed() override {}
    void escapePressed() override {}
    void spacebarPressed() override { ++spaces; }
    void graphClicked(double) override {}
    void showThumbnailAtProgress(double) override {}
    void showPopover() override {}
    void hidePopover() override {}
    void magnification(double) override {}
    void nextFrame() override {}
    void prevFrame() override {}
    void goForward() override {}
    void goBack() override {}
    void lockClicked(std::shared_ptr<RVVideoData> node) override { locked.push_back(node); }
    void unlockClicked(std::shared_ptr<RVVideoData> node) override { unlocked.push_back(node); }
    void removeClicked(std::shared_ptr<RVVideoData> node) override { removed.push_back(node); }

    int spaces = 0;
    RVVideoDataList locked, unlocked, removed;
};

} // namespace

TEST(VideoOutlineViewModel, CellsOfTripsAndRecordings)
{
    const RVVideoDataPtr lone = single(file("FILE0009.MOV", 3725.9f));
    const RVVideoDataPtr one = trip("ONE", {file("FILE0020.MOV", 60)});
    const RVVideoDataPtr two =
        trip("FILE0001-2", {file("FILE0001.MOV", 59.99f), file("FILE0002.MOV", 0.5f)});
    RVVideoOutlineViewModel model;
    model.reload({lone, one, two});

    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 4);
    const QModelIndex loneName = model.index(0, RVVideoOutlineViewModel::ColumnName);
    EXPECT_EQ(model.data(loneName).toString(), "FILE0009.MOV");
    // Whole seconds, truncated; minutes run past 59.
    EXPECT_EQ(model.data(model.index(0, RVVideoOutlineViewModel::ColumnDuration)).toString(),
              "62:05");
    EXPECT_EQ(model.data(model.index(2, RVVideoOutlineViewModel::ColumnDuration)).toString(),
              "01:00");
    // Local time (the tests run in Europe/Berlin: UTC+1 in January).
    EXPECT_EQ(model.data(model.index(0, RVVideoOutlineViewModel::ColumnDate)).toString(),
              "2015-01-01 11:00:00");
    EXPECT_EQ(model.data(model.index(0, RVVideoOutlineViewModel::ColumnLocked)).toString(), "");

    // Only a node with more than one child expands; a node made from one file has no rows.
    EXPECT_FALSE(model.hasChildren(model.index(0, 0)));
    EXPECT_FALSE(model.hasChildren(model.index(1, 0)));
    EXPECT_EQ(model.rowCount(model.index(1, 0)), 0);
    const QModelIndex tripRow = model.index(2, 0);
    ASSERT_TRUE(model.hasChildren(tripRow));
    ASSERT_EQ(model.rowCount(tripRow), 2);
    const QModelIndex child = model.index(1, RVVideoOutlineViewModel::ColumnName, tripRow);
    EXPECT_EQ(model.data(child).toString(), "  -  FILE0002.MOV");
    EXPECT_EQ(model.parent(child), tripRow.siblingAtColumn(0));
    EXPECT_EQ(model.nodeAt(child), two->children()[1]);
    EXPECT_EQ(model.rowCount(child), 0);
    EXPECT_EQ(model.indexOf(two->children()[1].get()), child.siblingAtColumn(0));
    EXPECT_FALSE(model.index(2, 0, tripRow).isValid());
    EXPECT_FALSE(model.index(0, 4).isValid());

    // A recording that could not be measured shows no length rather than a number.
    EXPECT_EQ(RVVideoOutlineViewModel::durationText(std::nanf("")), "--:--");
    EXPECT_EQ(RVVideoOutlineViewModel::dateText(RVTimestamp()), "");
}

TEST(VideoOutlineViewModel, RowsStayValidWhenTheLibraryRelinksNodes)
{
    // The library's regrouping re-links recordings to a new trip that this snapshot does not
    // hold; the rows of the snapshot must keep their place.
    const RVVideoFilePtr a = file("A.MOV", 10);
    const RVVideoFilePtr b = file("B.MOV", 10);
    const RVVideoDataPtr oldTrip = trip("A-B", {a, b});
    RVVideoOutlineViewModel model;
    model.reload({oldTrip});
    const RVVideoDataPtr newTrip =
        RVVideoData::create("A-B", 20, a->created(), {a, b}, oldTrip->children());
    ASSERT_EQ(oldTrip->children()[0]->parent(), newTrip);
    const QModelIndex child = model.index(0, 0, model.index(0, 0));
    EXPECT_EQ(model.parent(child), model.index(0, 0));
    EXPECT_EQ(model.data(child).toString(), "  -  A.MOV");
}

TEST(VideoOutlineViewModel, LockImagesFollowTheFilesFlags)
{
    using M = RVVideoOutlineViewModel;
    EXPECT_EQ(M::lockImageName(*single(file("A.MOV", 1))), "Video");
    EXPECT_EQ(M::lockImageName(*single(file("A.MOV", 1, true))), "VideoLocked");
    const RVVideoFilePtr a = file("A.MOV", 1);
    const RVVideoFilePtr b = file("B.MOV", 1);
    const RVVideoFilePtr c = file("C.MOV", 1);
    const RVVideoDataPtr t = trip("A-C", {a, b, c});
    EXPECT_EQ(M::lockImageName(*t), "Groupped");
    b->setLocked(true);
    EXPECT_EQ(M::lockImageName(*t), "GrouppedNotAllLocked");
    a->setLocked(true);
    c->setLocked(true);
    EXPECT_EQ(M::lockImageName(*t), "GrouppedLocked");
    const RVVideoDataPtr empty = RVVideoData::create("none", 0, RVTimestamp(), {}, {});
    EXPECT_EQ(M::lockImageName(*empty), "GrouppedLocked");

    // Every image exists and draws something: a fully transparent picture would hide the lock.
    RVVideoOutlineViewModel model;
    model.reload({t});
    const QVariant decoration = model.data(model.index(0, M::ColumnLocked), Qt::DecorationRole);
    ASSERT_TRUE(decoration.canConvert<QIcon>());
    for (const char* name :
         {"Video", "VideoLocked", "Groupped", "GrouppedLocked", "GrouppedNotAllLocked"}) {
        const QImage image = M::lockImage(QString::fromLatin1(name)).pixmap(16, 16).toImage();
        ASSERT_FALSE(image.isNull()) << name;
        int opaque = 0;
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                opaque += pixel.alpha() > 128;
                red += pixel.alpha() > 128 && pixel.red() > 150 && pixel.blue() < 100;
            }
        }
        EXPECT_GT(opaque, 40) << name;
        // The locked pictures carry a red (all) or orange (some) lock; the others none.
        const bool showsLock = QString::fromLatin1(name).contains("Locked");
        EXPECT_EQ(red > 5, showsLock) << name;
    }
}

TEST(VideoOutlineViewModel, SortingReportsTheColumnsKey)
{
    RVVideoOutlineViewModel model;
    QSignalSpy spy(&model, &RVVideoOutlineViewModel::sortRequested);
    model.sort(RVVideoOutlineViewModel::ColumnName, Qt::AscendingOrder);
    model.sort(RVVideoOutlineViewModel::ColumnDuration, Qt::DescendingOrder);
    model.sort(RVVideoOutlineViewModel::ColumnLocked, Qt::AscendingOrder); // no key: nothing
    model.sort(RVVideoOutlineViewModel::ColumnDate, Qt::AscendingOrder);
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy[0][0].toString(), "name");
    EXPECT_TRUE(spy[0][1].toBool());
    EXPECT_EQ(spy[1][0].toString(), "duration");
    EXPECT_FALSE(spy[1][1].toBool());
    EXPECT_EQ(spy[2][0].toString(), "created");
}

TEST(VideoOutlineView, ContextMenuOffersWhatTheLockStateAllows)
{
    RVVideoOutlineView view;
    QAction reveal("reveal"), gpx("gpx"), kml("kml"), excel("excel");
    view.setBaseMenuActions({&reveal, &gpx, &kml, &excel});
    auto layout = [&](const RVVideoDataPtr& node) {
        std::unique_ptr<QMenu> menu(view.menuForNode(node));
        EXPECT_EQ(menu->actions().value(0), &reveal);
        EXPECT_EQ(menu->actions().value(3), &excel);
        return menuLayout(menu.get(), 4);
    };
    const QStringList lockAndDelete{"-", "lockFileMenuItem", "-", "removeFileMenuItem"};

    EXPECT_EQ(layout(single(file("A.MOV", 1))), lockAndDelete);
    EXPECT_EQ(layout(single(file("A.MOV", 1, true))), QStringList({"-", "unlockFileMenuItem"}));
    // Below the last row: a node without files that is not locked.
    EXPECT_EQ(layout(nullptr), lockAndDelete);

    const RVVideoFilePtr a = file("A.MOV", 1);
    const RVVideoFilePtr b = file("B.MOV", 1);
    const RVVideoFilePtr c = file("C.MOV", 1);
    const RVVideoDataPtr t = trip("A-C", {a, b, c});
    EXPECT_EQ(layout(t), lockAndDelete);
    b->setLocked(true);
    EXPECT_EQ(layout(t), QStringList({"-", "unlockFileMenuItem", "lockFileMenuItem"}));
    a->setLocked(true);
    c->setLocked(true);
    EXPECT_EQ(layout(t), QStringList({"-", "unlockFileMenuItem"}));
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
    const QRect secondRow = view.visualRect(model.index(1, 0));
    ASSERT_TRUE(secondRow.isValid());
    QContextMenuEvent event(QContextMenuEvent::Mouse, secondRow.center(),
                            view.viewport()->mapToGlobal(secondRow.center()));
    QCoreApplication::sendEvent(view.viewport(), &event);
    EXPECT_EQ(view.videoDataForContextMenu(), second);
    QMenu* shown = nullptr;
    for (QMenu* menu : view.findChildren<QMenu*>()) {
        if (menu->isVisible())
            shown = menu;
    }
    ASSERT_NE(shown, nullptr);
    QAction* lock = shown->findChild<QAction*>("lockFileMenuItem");
    ASSERT_NE(lock, nullptr);
    lock->trigger();
    shown->close();
    ASSERT_EQ(delegate.locked.size(), 1u);
    EXPECT_EQ(delegate.locked[0], second);
    view.removeClicked();
    view.unlockClicked();
    EXPECT_EQ(delegate.removed.size(), 1u);
    EXPECT_EQ(delegate.unlocked.size(), 1u);

    // Keys of the key map go to the delegate; typing never jumps to a row.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(&view, &space);
    EXPECT_EQ(delegate.spaces, 1);
    view.setCurrentIndex(model.index(0, 0));
    view.keyboardSearch(QStringLiteral("B"));
    EXPECT_EQ(view.currentIndex().row(), 0);
}

// Splitting and joining trips in the window: the file list's context menu, then Undo and
// Redo naming the step.

#include "WindowTestSupport.h"

#include "library/RVTripShapes.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/window/RVTripShapeCommand.h"

#include <QAction>
#include <QMenu>

using TripShapesWindow = windowtest::Window;

TEST_F(TripShapesWindow, SplitFromTheMenuThenUndoRedoAndJoin)
{
    const QString trip = ClipFactory::tripDir(); // three recordings, one trip
    ASSERT_FALSE(trip.isEmpty());
    RVTripShapes::clear();
    open();
    controller.addFiles({trip});
    // Waits until the list's rows hold these numbers of files.
    const auto listShows = [&](const QList<int>& expected) {
        return ClipFactory::waitFor(
            [&] {
                controller.videoList()->waitForIdle();
                QList<int> sizes;
                for (int r = 0; r < model->rowCount(); ++r)
                    sizes << int(row(r)->files().size());
                return sizes == expected;
            },
            20000);
    };
    ASSERT_TRUE(listShows({3}));

    // The context menu's items, enabled for the row it opens on.
    RVTripShapeCommand* shapes = controller.tripShapes();
    const auto menuItem = [&](const RVVideoDataPtr& node, const char* name) {
        std::unique_ptr<QMenu> menu(controller.filesView()->menuForNode(node));
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String(name))
                return action;
        }
        return static_cast<QAction*>(nullptr);
    };
    const RVVideoDataPtr whole = row(0);
    QAction* split = menuItem(whole->children().front(), "splitTripMenuItem");
    ASSERT_EQ(split, shapes->splitAction());
    EXPECT_FALSE(split->isEnabled()); // nothing before the first recording
    EXPECT_FALSE(menuItem(whole, "joinTripMenuItem")->isEnabled()); // no trip after it
    EXPECT_FALSE(shapes->undoAction()->isEnabled());
    ASSERT_TRUE(menuItem(whole->children()[2], "splitTripMenuItem")->isEnabled());
    split->trigger();
    ASSERT_TRUE(listShows({2, 1}));
    EXPECT_TRUE(shapes->undoAction()->text().contains(QLatin1String("TRIP_STEP_SPLIT")));
    EXPECT_FALSE(
        RVSettings::store().value(QLatin1String(RVSettings::kTripShapes)).toStringList().isEmpty());

    shapes->undoAction()->trigger();
    ASSERT_TRUE(listShows({3}));
    EXPECT_TRUE(shapes->redoAction()->text().contains(QLatin1String("TRIP_STEP_SPLIT")));
    EXPECT_TRUE(
        RVSettings::store().value(QLatin1String(RVSettings::kTripShapes)).toStringList().isEmpty());
    shapes->redoAction()->trigger();
    ASSERT_TRUE(listShows({2, 1}));

    // Join the two again from the first row's menu: a step of its own, undone first.
    QAction* join = menuItem(row(0), "joinTripMenuItem");
    ASSERT_TRUE(join && join->isEnabled());
    join->trigger();
    ASSERT_TRUE(listShows({3}));
    EXPECT_TRUE(shapes->undoAction()->text().contains(QLatin1String("TRIP_STEP_JOIN")));
    shapes->undoAction()->trigger();
    ASSERT_TRUE(listShows({2, 1}));
    RVTripShapes::clear();
}

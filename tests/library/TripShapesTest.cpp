// Trips the driver split and joined by hand: kept per card by the recordings' paths below
// it, applied by every rebuild, undone step by step.
#include "TestSupport.h"

#include "library/RVTripShapes.h"

namespace {

const RVMetaDataSource kNoMetaData = [](const QString&) { return RVMetaDataReading(); };

// Recordings of one camera on a card, named after their start: 12:00:00, 12:00:30 and
// 12:01:00 (one trip by the 60-second rule), and 12:10:00 (a trip of its own).
const QString kOne = "2024_0522_120000_001F.MP4";
const QString kTwo = "2024_0522_120030_002F.MP4";
const QString kThree = "2024_0522_120100_003F.MP4";
const QString kFour = "2024_0522_121000_004F.MP4";

void makeCard(const QString& card)
{
    for (const QString& name : {kOne, kTwo, kThree, kFour})
        makeClip(card + "/DCIM/Movie/" + name, 2);
}

QStringList tripsOf(RVVideoList& list)
{
    list.waitForIdle();
    return names(*list.videosData(), true);
}

} // namespace

TEST(TripShapes, SplitAndJoinHoldPerCardAndUndo)
{
    RVTripShapes::clear();
    QTemporaryDir dir;
    const QString card = dir.filePath("card");
    const QString other = dir.filePath("other"); // the same file names on a second card
    makeCard(card);
    makeCard(other);
    // Two lists: one list takes a copy of a card it already holds for the same recordings.
    const auto list = idleList(kNoMetaData, card);
    const auto otherList = idleList(kNoMetaData, other);
    const QStringList natural = {kOne + "+" + kTwo + "+" + kThree, kFour};
    ASSERT_EQ(tripsOf(*list), natural);

    // Split the trip at its second recording.
    RVVideoDataList tree = *list->videosData();
    const auto trip = tree.begin();
    ASSERT_TRUE((*trip)->isTrip());
    EXPECT_FALSE(RVTripShapes::splitAt((*trip)->children().front())); // nothing before it
    EXPECT_FALSE(RVTripShapes::splitAt(*trip));                       // not a recording
    EXPECT_FALSE(RVTripShapes::splitAt(tree.back()));                 // in no trip
    const std::optional<RVTripShapeChange> split = RVTripShapes::splitAt((*trip)->children()[1]);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->card, card);
    EXPECT_EQ(split->relative, "DCIM/Movie/" + kTwo);
    RVTripShapes::apply(*split);
    list->tripShapesChanged();
    const QStringList splitTrees = {kOne, kTwo + "+" + kThree, kFour};
    EXPECT_EQ(tripsOf(*list), splitTrees);
    otherList->tripShapesChanged();
    EXPECT_EQ(tripsOf(*otherList), natural);

    // A full rebuild (the card read again) and a new list with the decisions as stored (a
    // restart) keep the split.
    list->cameraClockChanged();
    EXPECT_EQ(tripsOf(*list), splitTrees);
    const QStringList stored = RVTripShapes::toText();
    RVTripShapes::clear();
    RVTripShapes::setFromText(
        stored + QStringList{"bad line", card + "\tx.mp4\tsideways", card + "\t\tsplit"});
    EXPECT_EQ(RVTripShapes::toText(), stored);
    EXPECT_EQ(tripsOf(*idleList(kNoMetaData, card)), splitTrees);
    EXPECT_EQ(tripsOf(*idleList(kNoMetaData, other)), natural);

    // Join the second trip with the one after it, ten minutes later; the tree may be shown
    // in any order.
    tree = *list->videosData();
    std::reverse(tree.begin(), tree.end());
    EXPECT_FALSE(RVTripShapes::joinWithNext(tree, tree[1]->children().front())); // in a trip
    const std::optional<RVTripShapeChange> join = RVTripShapes::joinWithNext(tree, tree[1]);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->relative, "DCIM/Movie/" + kFour);
    RVTripShapes::apply(*join);
    list->tripShapesChanged();
    EXPECT_EQ(tripsOf(*list), QStringList({kOne, kTwo + "+" + kThree + "+" + kFour}));
    tree = *list->videosData();
    EXPECT_FALSE(RVTripShapes::joinWithNext(tree, tree.back())); // nothing after the last

    // Undo, newest first, gives back each tree before it.
    RVTripShapes::revert(*join);
    list->tripShapesChanged();
    EXPECT_EQ(tripsOf(*list), splitTrees);
    RVTripShapes::revert(*split);
    list->tripShapesChanged();
    EXPECT_EQ(tripsOf(*list), natural);
    EXPECT_TRUE(RVTripShapes::toText().isEmpty());
    RVTripShapes::clear();
}

// Nodes, the 60-second rule, trip names, and grouping before and after the metadata scan.
#include "TestSupport.h"

#include "library/RVVolumeMonitor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace testsupport;

TEST(VideoDataNode, OnlyTripsLinkChildrenAndTheLinkDoesNotOwn)
{
    const RVVideoDataPtr a = single("/c/A.MOV", 10, "2015-01-01T10:00:00");
    const RVVideoDataPtr b = single("/c/B.MOV", 10, "2015-01-01T10:00:10");

    // One file: the children argument is ignored and its nodes keep their parents.
    const RVVideoDataPtr lone = RVVideoData::create("A.MOV", 10, a->created(), a->files(), {b});
    EXPECT_TRUE(lone->children().empty());
    EXPECT_EQ(b->parent(), nullptr);

    auto trip = RVVideoData::create("A-B", 20, a->created(),
                                    {a->files().front(), b->files().front()}, {a, b});
    EXPECT_EQ(a->parent(), trip);
    // Not read yet is "none", not empty.
    EXPECT_EQ(trip->points(), nullptr);
    EXPECT_FALSE(trip->relatedFiles().has_value());
    // The trip goes away with its last owner.
    const std::weak_ptr<RVVideoData> weakTrip = trip;
    trip.reset();
    EXPECT_TRUE(weakTrip.expired());
    EXPECT_EQ(a->parent(), nullptr);
}

TEST(TripGrouping, SixtySecondRuleBetweenNeighbours)
{
    const auto group = [](std::initializer_list<std::pair<float, const char*>> recordings) {
        RVVideoDataList nodes;
        int i = 1;
        for (const auto& [seconds, created] : recordings)
            nodes.push_back(single(QStringLiteral("/c/FILE%1.MOV").arg(i++), seconds, created));
        return RVVideoList::groupVideoDatas(nodes);
    };

    // Gap 0 s, then 59 s: one trip.
    RVVideoDataList result = group(
        {{180, "2015-01-01T10:00:00"}, {180, "2015-01-01T10:03:00"}, {60, "2015-01-01T10:06:59"}});
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0]->files().size(), 3u);
    EXPECT_FLOAT_EQ(result[0]->duration(), 420.0f);
    EXPECT_EQ(result[0]->name(), "FILE1-3");

    // Exactly 60 s starts a new trip; the lone recording stands for itself.
    result = group(
        {{180, "2015-01-01T10:00:00"}, {180, "2015-01-01T10:03:00"}, {60, "2015-01-01T10:07:00"}});
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0]->files().size(), 2u);
    EXPECT_EQ(result[1]->name(), "FILE3.MOV");

    // Starting 50 s before the previous one ends (overlap) still joins.
    result = group({{180, "2015-01-01T10:00:00"}, {180, "2015-01-01T10:02:10"}});
    EXPECT_EQ(result.size(), 1u);

    // Each recording is compared with the one before it, so a trip grows without limit.
    result = group(
        {{60, "2015-01-01T10:00:00"}, {60, "2015-01-01T10:01:59"}, {60, "2015-01-01T10:03:58"}});
    EXPECT_EQ(result.size(), 1u);

    // A recording whose length is unknown (its video cannot be read) counts 0 in the trip's
    // length and is taken to be as long as the one before it (else the one after) for the
    // gap: it neither splits the trip nor makes its length unknown.
    const float unknown = std::nanf("");
    result = group({{180, "2015-01-01T10:00:00"},
                    {unknown, "2015-01-01T10:03:00"},
                    {180, "2015-01-01T10:06:00"}});
    ASSERT_EQ(result.size(), 1u);
    EXPECT_FLOAT_EQ(result[0]->duration(), 360.0f);
    result = group({{unknown, "2015-01-01T10:00:00"}, {60, "2015-01-01T10:01:00"}});
    ASSERT_EQ(result.size(), 1u);
    EXPECT_FLOAT_EQ(result[0]->duration(), 60.0f);
    result = group({{unknown, "2015-01-01T10:00:00"}, {60, "2015-01-01T10:03:00"}});
    EXPECT_EQ(result.size(), 2u);

    EXPECT_TRUE(RVVideoList::groupVideoDatas({}).empty());
}

TEST(TripGrouping, TripNamesJoinFirstAndDifferingEndOfLast)
{
    const auto name = [](const char* first, const char* last) {
        return RVVideoList::getVideoDataTripNameByFiles(
            {single(QStringLiteral("/c/") + first, 60, "2015-01-01T10:00:00"),
             single(QStringLiteral("/c/MIDDLE.MOV"), 60, "2015-01-01T10:01:00"),
             single(QStringLiteral("/c/") + last, 60, "2015-01-01T10:02:00")});
    };
    EXPECT_EQ(name("FILE0001.MOV", "FILE0005.MOV"), "FILE0001-5");
    EXPECT_EQ(name("20150101_120000_F.MP4", "20150101_123000_F.MP4"), "20150101_120000_F-3000_F");
    EXPECT_EQ(name("abc1.mov", "ABD2.mov"), "abc1-D2");
    EXPECT_EQ(RVVideoList::getVideoDataTripNameByFiles(
                  {single("/c/ONLY.MOV", 60, "2015-01-01T10:00:00")}),
              "ONLY.MOV");
    EXPECT_EQ(RVVideoList::getVideoDataTripNameByFiles({}), "");
}

TEST(TripGrouping, FileDatesFirstThenGpsTimesAfterTheScan)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/DCIM/100MEDIA";
    for (const char* name : {"A.MP4", "B.MP4", "C.MP4", "D.MP4", "E.MP4"})
        makeClip(folder + "/" + name, 2);

    // The clips were all just written, so by file date they are one trip. Their tracks say
    // otherwise: A and B are consecutive, C is an hour later, E started before A but its
    // first fix has no time, and D has no metadata at all (it keeps its file date: today).
    FakeMetaData meta;
    meta.set(folder + "/A.MP4",
             FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}));
    meta.set(folder + "/B.MP4", FakeMetaData::track({"2015-01-01T10:00:02"}));
    meta.set(folder + "/C.MP4", FakeMetaData::track({"2015-01-01T11:00:00"}));
    meta.set(folder + "/E.MP4", FakeMetaData::track({"", "2015-01-01T09:00:00"}));
    RVVideoList list(std::make_unique<RVStaticVolumeMonitor>(), meta.source(150));
    list.waitForIdle(); // the first card check; it would rebuild and rescan otherwise

    list.addVideoFilesFrom(dir.path());
    ASSERT_TRUE(waitFor([&] { return !list.videosData()->empty(); }));
    // The scan takes at least 5 × 150 ms; this is the tree by file dates.
    ASSERT_EQ(list.videosData()->size(), 1u);
    EXPECT_EQ(list.videosData()->front()->files().size(), 5u);

    list.waitForIdle();
    const RVVideoDataList tree = *list.videosData();
    EXPECT_EQ(fileNames(tree), QStringList({"E.MP4", "A.MP4+B.MP4", "C.MP4", "D.MP4"}));
    EXPECT_EQ(tree[1]->name(), "A-B");
    EXPECT_EQ(tree[0]->created(), at("2015-01-01T09:00:00"));
    EXPECT_EQ(tree[1]->created(), at("2015-01-01T10:00:00"));
    EXPECT_GT(tree[3]->created(), at("2026-01-01T00:00:00"));
    // The children keep the series the scan read; the trip joins them without a file read.
    const int readsAfterScan = meta.reads();
    EXPECT_EQ(readsAfterScan, 5);
    list.readGpsInfo(tree[1], false);
    EXPECT_EQ(meta.reads(), readsAfterScan);
    ASSERT_NE(tree[1]->points(), nullptr);
    EXPECT_EQ(tree[1]->points()->size(), 3u);
    // The records keep their GPS dates for every later regrouping.
    const RVVideoFileList files = list.videoFiles();
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const RVVideoFilePtr& file) {
        return file->fileName() == "C.MP4" && file->created() == at("2015-01-01T11:00:00");
    }));
}

TEST(TripGrouping, FileDatesGroupRecordingsThatHaveNoMetadata)
{
    QTemporaryDir dir;
    // Copied from a card: born now, but still carrying the recordings' modification times.
    const std::pair<const char*, const char*> clips[] = {{"C.MP4", "2015-01-01T11:00:00"},
                                                         {"A.MP4", "2015-01-01T10:00:00"},
                                                         {"B.MP4", "2015-01-01T10:00:02"}};
    for (const auto& [name, time] : clips) {
        const QString path = dir.path() + "/" + name;
        makeClip(path, 2);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(at(time).toDateTime(), QFileDevice::FileModificationTime));
    }
    const RVVideoDataList tree = *idleList(FakeMetaData().source(), dir.path())->videosData();
    EXPECT_EQ(fileNames(tree), QStringList({"A.MP4+B.MP4", "C.MP4"}));
    EXPECT_EQ(tree[0]->created(), at("2015-01-01T10:00:00"));
    EXPECT_FLOAT_EQ(tree[0]->duration(), 4.0f);
}

TEST(TripGrouping, ColumnSortLastsUntilTheNextRegrouping)
{
    FakeMetaData meta;
    QTemporaryDir dir;
    for (const char* name : {"B.MP4", "A.MP4"})
        makeClip(dir.path() + "/" + name, 2);
    meta.set(dir.path() + "/B.MP4", FakeMetaData::track({"2015-01-01T10:00:00"}));
    meta.set(dir.path() + "/A.MP4", FakeMetaData::track({"2015-01-01T12:00:00"}));
    const auto list = idleList(meta.source(), dir.path());
    ASSERT_EQ(names(*list->videosData()), QStringList({"B.MP4", "A.MP4"}));

    list->sortVideoList({{RVSortKey::Field::Name, true}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"A.MP4", "B.MP4"}));
    list->sortVideoList({{RVSortKey::Field::Created, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"A.MP4", "B.MP4"}));
    list->sortVideoList({{RVSortKey::Field::Duration, true}, {RVSortKey::Field::Name, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"B.MP4", "A.MP4"}));

    list->removeVideoData(list->videosData()->front());
    list->waitForIdle();
    EXPECT_EQ(names(*list->videosData()), QStringList({"A.MP4"}));
}

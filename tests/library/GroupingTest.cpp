// Nodes, the 60-second rule, trip names, and grouping before and after the metadata scan.
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace testsupport;

TEST(VideoDataNode, OnlyTripsLinkChildrenAndTheLinkDoesNotOwn)
{
    const RVVideoDataPtr a = single("/c/A.MOV", 10, "2015-01-01T10:00:00");
    const RVVideoDataPtr b = single("/c/B.MOV", 10, "2015-01-01T10:00:10");
    // One file: the children argument is ignored.
    EXPECT_TRUE(RVVideoData::create("A", 10, {}, a->files(), {b})->children().empty());
    EXPECT_EQ(b->parent(), nullptr);
    auto trip = RVVideoData::create("A-B", 20, {}, {a->files()[0], b->files()[0]}, {a, b});
    EXPECT_EQ(a->parent(), trip);
    EXPECT_EQ(trip->points(), nullptr); // not read yet is none, not empty
    trip.reset();
    EXPECT_EQ(a->parent(), nullptr);
}

TEST(TripGrouping, SixtySecondRuleBetweenNeighboursAndTripNames)
{
    const float unknown = std::nanf("");
    struct Case
    {
        std::vector<std::pair<float, const char*>> recordings; // length, start
        QStringList expected;                                  // names of the nodes
        float firstDuration;
    };
    const Case cases[] = {
        // Gap 0 s, then 59 s: one trip; exactly 60 s starts a new one.
        {{{180, "10:00:00"}, {180, "10:03:00"}, {60, "10:06:59"}}, {"F1-3"}, 420},
        {{{180, "10:00:00"}, {180, "10:03:00"}, {60, "10:07:00"}}, {"F1-2", "F3.MOV"}, 360},
        // Starting 50 s before the previous one ends still joins; a trip grows without limit.
        {{{180, "10:00:00"}, {180, "10:02:10"}}, {"F1-2"}, 360},
        {{{60, "10:00:00"}, {60, "10:01:59"}, {60, "10:03:58"}}, {"F1-3"}, 180},
        // An unknown length counts 0 and takes its neighbour's length for the gap.
        {{{180, "10:00:00"}, {unknown, "10:03:00"}, {180, "10:06:00"}}, {"F1-3"}, 360},
        {{{unknown, "10:00:00"}, {60, "10:01:00"}}, {"F1-2"}, 60},
        {{{unknown, "10:00:00"}, {60, "10:03:00"}}, {"F1.MOV", "F2.MOV"}, unknown},
        {{{60, "10:00:00"}, {1, "10:01:00"}, {unknown, "10:01:01"}, {60, "10:02:02"}},
         {"F1-3", "F4.MOV"},
         61},
        {{}, {}, 0},
    };
    for (const Case& c : cases) {
        RVVideoDataList nodes;
        for (const auto& [seconds, time] : c.recordings)
            nodes.push_back(single(QStringLiteral("/c/F%1.MOV").arg(nodes.size() + 1), seconds,
                                   QByteArray("2015-01-01T" + QByteArray(time)).constData()));
        const RVVideoDataList result = RVVideoList::groupVideoDatas(nodes);
        SCOPED_TRACE(c.expected.join(' ').toStdString());
        EXPECT_EQ(names(result), c.expected);
        if (!result.empty() && !std::isnan(c.firstDuration)) {
            EXPECT_FLOAT_EQ(result[0]->duration(), c.firstDuration);
        }
    }

    const auto name = [](const QString& first, const QString& last) {
        return RVVideoList::getVideoDataTripNameByFiles({single("/c/" + first, 60, "2015-01-01"),
                                                         single("/c/MID.MOV", 60, "2015-01-01"),
                                                         single("/c/" + last, 60, "2015-01-01")});
    };
    EXPECT_EQ(name("FILE0001.MOV", "FILE0005.MOV"), "FILE0001-5");
    EXPECT_EQ(name("20150101_120000_F.MP4", "20150101_123000_F.MP4"), "20150101_120000_F-3000_F");
    EXPECT_EQ(name("abc1.mov", "ABD2.mov"), "abc1-D2");
    EXPECT_EQ(RVVideoList::getVideoDataTripNameByFiles({}), "");
}

TEST(TripGrouping, FileDatesFirstThenGpsTimesAfterTheScan)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/DCIM/100MEDIA";
    for (const char* name : {"A.MP4", "B.MP4", "C.MP4", "D.MP4", "E.MP4"})
        makeClip(folder + "/" + name, 2);
    // By file date (all just written) one trip. By track: A and B consecutive, C an hour later,
    // E before A but its first fix has no time, D without metadata keeps its file date.
    FakeMetaData meta;
    meta.set(folder + "/A.MP4",
             FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}));
    meta.set(folder + "/B.MP4", FakeMetaData::track({"2015-01-01T10:00:02"}));
    meta.set(folder + "/C.MP4", FakeMetaData::track({"2015-01-01T11:00:00"}));
    meta.set(folder + "/E.MP4", FakeMetaData::track({"", "2015-01-01T09:00:00"}));
    std::pair<int, int> progress;
    const auto list = idleList(meta.source(150));
    QObject::connect(list.get(), &RVVideoList::metaScanProgress, [&](int done, int total) {
        progress = {done, total};
    });

    list->addVideoFilesFrom(dir.path());
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    // The scan takes at least 5 × 150 ms; this is the tree by file dates.
    ASSERT_EQ(list->videosData()->size(), 1u);
    EXPECT_EQ(list->videosData()->front()->files().size(), 5u);

    list->waitForIdle();
    const RVVideoDataList tree = *list->videosData();
    EXPECT_EQ(progress, std::make_pair(5, 5));
    EXPECT_EQ(names(tree, true), QStringList({"E.MP4", "A.MP4+B.MP4", "C.MP4", "D.MP4"}));
    EXPECT_EQ(tree[1]->name(), "A-B");
    EXPECT_EQ(tree[0]->created(), at("2015-01-01T09:00:00"));
    EXPECT_EQ(tree[1]->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(tree[2]->files()[0]->created(), at("2015-01-01T11:00:00"));
    EXPECT_GT(tree[3]->created(), at("2026-01-01T00:00:00"));
    // The trip joins its children's series without another file read.
    EXPECT_EQ(meta.reads(), 5);
    list->readGpsInfo(tree[1], false);
    EXPECT_EQ(meta.reads(), 5);
    ASSERT_NE(tree[1]->points(), nullptr);
    EXPECT_EQ(tree[1]->points()->size(), 3u);

    // A column sort lasts until the next regrouping, which sorts oldest first again.
    list->sortVideoList({{RVSortKey::Field::Name, true}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"A-B", "C.MP4", "D.MP4", "E.MP4"}));
    list->sortVideoList({{RVSortKey::Field::Created, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"D.MP4", "C.MP4", "A-B", "E.MP4"}));
    // Equal lengths fall through to the second key.
    list->sortVideoList({{RVSortKey::Field::Duration, true}, {RVSortKey::Field::Name, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"E.MP4", "D.MP4", "C.MP4", "A-B"}));
    list->removeVideoData(list->videosData()->front());
    list->waitForIdle();
    EXPECT_EQ(names(*list->videosData()), QStringList({"A-B", "C.MP4", "D.MP4"}));
}

TEST(TripGrouping, FileDatesGroupRecordingsThatHaveNoMetadata)
{
    // Copied from a card: born now, but still carrying the recordings' modification times.
    QTemporaryDir dir;
    for (const auto& [name, time] : {std::pair{"C.MP4", "2015-01-01T11:00:00"},
                                     {"A.MP4", "2015-01-01T10:00:00"},
                                     {"B.MP4", "2015-01-01T10:00:02"}}) {
        QFile file(dir.path() + "/" + name);
        makeClip(file.fileName(), 2);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(at(time).toDateTime(), QFileDevice::FileModificationTime));
    }
    const RVVideoDataList tree = *idleList(FakeMetaData().source(), dir.path())->videosData();
    EXPECT_EQ(names(tree, true), QStringList({"A.MP4+B.MP4", "C.MP4"}));
    EXPECT_EQ(tree[0]->created(), at("2015-01-01T10:00:00"));
    EXPECT_FLOAT_EQ(tree[0]->duration(), 4.0f);
}

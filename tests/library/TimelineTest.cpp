// The trip time line (file for a trip time, offsets, next file) and reading a node's series.
#include "TestSupport.h"

#include <QThread>

#include <cmath>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RVVideoDataPtr tripOf(std::initializer_list<float> durations)
{
    RVVideoDataList children;
    int i = 0;
    for (float seconds : durations) {
        children.push_back(
            single(QStringLiteral("/card/DCIM/F%1.MOV").arg(i), seconds, "2015-01-01T10:00:00"));
        ++i;
    }
    RVVideoFileList files;
    float total = 0;
    for (const RVVideoDataPtr& child : children) {
        files.push_back(child->files().front());
        total += child->duration();
    }
    return RVVideoData::create("F0-2", total, children.front()->created(), files, children);
}

} // namespace

TEST(TripTimeline, FileForTripTimeItsOffsetAndTheNextFile)
{
    auto list = idleList({});
    EXPECT_FALSE(list->getPathToVideoByTimeOffset(10, true).has_value()); // nothing playing

    const RVVideoDataPtr trip = tripOf({60, 60, 30});
    EXPECT_EQ(list->openVideoData(trip), "/card/DCIM/F0.MOV");
    EXPECT_EQ(list->playingFileInVideoIndex(), 0);

    struct Case
    {
        double time;
        int file;
        double offset;
    };
    // The end of a file belongs to it; before the start is the first file, past the end the last.
    for (const Case& c : {Case{60, 0, 0}, Case{60.5, 1, 60}, Case{200, 2, 120}, Case{-5, 0, 0},
                          Case{120.001, 2, 120}}) {
        const auto result = list->getPathToVideoByTimeOffset(c.time, false);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->path, QStringLiteral("/card/DCIM/F%1.MOV").arg(c.file)) << c.time;
        EXPECT_DOUBLE_EQ(result->offsetInFile, c.offset) << c.time;
        EXPECT_EQ(result->newPath.has_value(), c.file != 0) << c.time;
        EXPECT_EQ(list->playingFileInVideoIndex(), 0);
    }

    // Rewinding moves the playing file; the same file again gives no new path.
    auto result = list->getPathToVideoByTimeOffset(90, true);
    ASSERT_TRUE(result && result->newPath);
    EXPECT_EQ(*result->newPath, "/card/DCIM/F1.MOV");
    EXPECT_EQ(list->playingFileInVideoIndex(), 1);
    result = list->getPathToVideoByTimeOffset(100, true);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->newPath.has_value());
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 60);

    // A node without files has no time line.
    list->openVideoData(RVVideoData::create("empty", 0, {}, {}, {}));
    EXPECT_FALSE(list->getPathToVideoByTimeOffset(0, true).has_value());

    // The next file runs off the end.
    list->openVideoData(tripOf({60, 60.5f, 30}));
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 0);
    EXPECT_EQ(list->getNextFilePath(), "/card/DCIM/F1.MOV");
    EXPECT_EQ(list->getNextFilePath(), "/card/DCIM/F2.MOV");
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 120.5);
    EXPECT_FALSE(list->getNextFilePath().has_value());
    EXPECT_EQ(list->playingFileInVideoIndex(), 3);
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 150.5);
    EXPECT_FALSE(list->getNextFilePath().has_value());
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 150.5);

    // A recording of unknown length takes no time: offsets keep the known lengths, and a
    // trip time is never placed in it.
    list->openVideoData(tripOf({60, std::nanf(""), 30}));
    for (const Case& c : {Case{60, 0, 0}, Case{60.5, 2, 60}, Case{75, 2, 60}}) {
        const auto found = list->getPathToVideoByTimeOffset(c.time, false);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->path, QStringLiteral("/card/DCIM/F%1.MOV").arg(c.file)) << c.time;
        EXPECT_DOUBLE_EQ(found->offsetInFile, c.offset) << c.time;
    }
    list->setPlayingFileInVideoIndex(2);
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 60);

    // Opening starts over; a single recording has no next file.
    const RVVideoDataPtr lone = single("/card/DCIM/L.MOV", 10, "2015-01-01T10:00:00");
    EXPECT_EQ(list->openVideoData(lone), "/card/DCIM/L.MOV");
    EXPECT_EQ(list->playingVideo(), lone);
    EXPECT_FALSE(list->getNextFilePath().has_value());
}

TEST(SeriesReading, SingleRecordingTakesItsTrackTimeOrKeepsItsFileDate)
{
    FakeMetaData meta;
    RVMetaData gps =
        FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}, {"/c/GPS.txt"});
    gps.cameraModel = "DR900S-2CH";
    meta.set("/c/GPS.MOV", gps);
    meta.set("/c/NOFIX.MOV", FakeMetaData::track({"", ""}));
    meta.set("/c/EMPTY.MOV", RVMetaData{});
    auto list = idleList(meta.source());

    const char* fileDate = "2020-05-05T05:05:05";
    const auto read = [&](const char* path) {
        const RVVideoDataPtr node = single(path, 60, fileDate);
        list->readGpsInfo(node, false);
        return node;
    };

    RVVideoDataPtr node = read("/c/GPS.MOV");
    EXPECT_EQ(node->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(node->files().front()->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(node->points()->size(), 2u);
    EXPECT_EQ(node->gSensorData()->size(), 2u);
    EXPECT_EQ(node->relatedFiles(), QStringList{"/c/GPS.txt"});
    EXPECT_EQ(node->cameraModel(), "DR900S-2CH");

    // No timed point, no points, or no metadata at all: the file date stays; read is "empty".
    for (const char* path : {"/c/NOFIX.MOV", "/c/EMPTY.MOV", "/c/UNKNOWN.MOV"}) {
        node = read(path);
        EXPECT_EQ(node->created(), at(fileDate)) << path;
        ASSERT_NE(node->points(), nullptr) << path;
        ASSERT_NE(node->gSensorData(), nullptr) << path;
        ASSERT_NE(node->velocityData(), nullptr) << path;
    }
    EXPECT_TRUE(read("/c/EMPTY.MOV")->points()->empty());
    EXPECT_FALSE(read("/c/UNKNOWN.MOV")->relatedFiles().has_value());

    // A node is read once.
    const int reads = meta.reads();
    list->readGpsInfo(node, false);
    EXPECT_EQ(meta.reads(), reads);
}

TEST(SeriesReading, TripJoinsChildrenAndPublishesOnTheListThread)
{
    FakeMetaData meta;
    meta.set("/card/DCIM/F0.MOV",
             FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}));
    meta.set("/card/DCIM/F1.MOV", FakeMetaData::track({"2015-01-01T10:01:00"}));
    meta.set("/card/DCIM/F2.MOV", FakeMetaData::track({"2015-01-01T10:02:00", "2015-01-01T10:02:01",
                                                       "2015-01-01T10:02:02"}));
    auto list = idleList(meta.source());

    const RVVideoDataPtr trip = tripOf({60, 60, 30});
    // One child read before, the others not: the trip reads what is missing.
    list->readGpsInfo(trip->children()[1], false);
    QThread* signalThread = nullptr;
    int signals = 0;
    QObject::connect(list.get(), &RVVideoList::metaInfoUpdated, [&] {
        signalThread = QThread::currentThread();
        ++signals;
    });
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 1; }));
    EXPECT_EQ(signalThread, list->thread());

    const RVSeries series = list->publishedSeries();
    ASSERT_NE(series.points, nullptr);
    EXPECT_EQ(series.points, trip->points()); // the node's own series, no copy
    ASSERT_EQ(series.points->size(), 6u);
    EXPECT_EQ(series.gSensorData->size(), 6u);
    EXPECT_EQ(series.velocityData->size(), 6u);
    // Plain concatenation in child order.
    EXPECT_EQ((*series.points)[0].time(), at("2015-01-01T10:00:00"));
    EXPECT_EQ((*series.points)[2].time(), at("2015-01-01T10:01:00"));
    EXPECT_EQ((*series.points)[5].time(), at("2015-01-01T10:02:02"));
    EXPECT_EQ(trip->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(meta.reads(), 3);

    // Selecting the node again republishes without reading a file.
    list->readGpsInfo(single("/card/DCIM/F2.MOV", 30, "2015-01-01T10:00:00"), true);
    ASSERT_TRUE(waitFor([&] { return signals == 2; }));
    EXPECT_EQ(list->points()->size(), 3u);
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 3; }));
    EXPECT_EQ(list->points(), trip->points());
    EXPECT_EQ(meta.reads(), 4);
}

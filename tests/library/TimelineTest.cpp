// The trip time line (file for a trip time, offsets, next file) and reading a node's series.
#include "TestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

#include <cmath>

using namespace testsupport;

namespace {

// Files /card/F0.MOV, F1.MOV, ... of the given lengths as one trip.
RVVideoDataPtr tripOf(std::initializer_list<float> durations)
{
    RVVideoDataList children;
    RVVideoFileList files;
    for (float seconds : durations) {
        const QString path = QStringLiteral("/card/F%1.MOV").arg(children.size());
        children.push_back(single(path, seconds, "2015-01-01T10:00:00"));
        files.push_back(children.back()->files()[0]);
    }
    return RVVideoData::create("trip", 0, children[0]->created(), files, children);
}

} // namespace

TEST(TripTimeline, FileForTripTimeItsOffsetAndTheNextFile)
{
    auto list = idleList({});
    EXPECT_FALSE(list->getPathToVideoByTimeOffset(10, true)); // nothing playing
    list->openVideoData(RVVideoData::create("empty", 0, {}, {}, {}));
    EXPECT_FALSE(list->getPathToVideoByTimeOffset(0, true));

    struct Case
    {
        double time;
        int file;
        double offset;
    };
    const auto expectSeek = [&](const Case& c) {
        const auto result = list->getPathToVideoByTimeOffset(c.time, false);
        ASSERT_TRUE(result) << c.time;
        EXPECT_EQ(result->path, QStringLiteral("/card/F%1.MOV").arg(c.file)) << c.time;
        EXPECT_DOUBLE_EQ(result->offsetInFile, c.offset) << c.time;
        EXPECT_EQ(result->newPath.has_value(), c.file != list->playingFileInVideoIndex()) << c.time;
    };
    EXPECT_EQ(list->openVideoData(tripOf({60, 60, 30})), "/card/F0.MOV");
    // The end of a file belongs to it; before the start is the first file, past the end the last.
    for (const Case& c : {Case{60, 0, 0}, Case{60.5, 1, 60}, Case{200, 2, 120}, Case{-5, 0, 0},
                          Case{120.001, 2, 120}})
        expectSeek(c);
    EXPECT_EQ(list->playingFileInVideoIndex(), 0);
    // Rewinding moves the playing file.
    EXPECT_EQ(list->getPathToVideoByTimeOffset(90, true)->newPath, "/card/F1.MOV");
    EXPECT_EQ(list->playingFileInVideoIndex(), 1);
    expectSeek({100, 1, 60});
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 60);

    // The next file runs off the end; lengths are added as doubles.
    list->openVideoData(tripOf({60, 60.5f, 30}));
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 0);
    EXPECT_EQ(list->getNextFilePath(), "/card/F1.MOV");
    EXPECT_EQ(list->getNextFilePath(), "/card/F2.MOV");
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 120.5);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(list->getNextFilePath());
        EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 150.5);
    }
    EXPECT_EQ(list->playingFileInVideoIndex(), 4);

    // A recording of unknown length takes no time and is never chosen.
    list->openVideoData(tripOf({60, std::nanf(""), 30}));
    for (const Case& c : {Case{60, 0, 0}, Case{60.5, 2, 60}, Case{75, 2, 60}})
        expectSeek(c);
    list->setPlayingFileInVideoIndex(2);
    EXPECT_DOUBLE_EQ(list->getCurrentFileTimeOffset(), 60);

    // Opening starts over; a single recording has no next file.
    const RVVideoDataPtr lone = single("/card/L.MOV", 10, "2015-01-01T10:00:00");
    EXPECT_EQ(list->openVideoData(lone), "/card/L.MOV");
    EXPECT_EQ(list->playingVideo(), lone);
    EXPECT_FALSE(list->getNextFilePath());
}

TEST(SeriesReading, SingleRecordingTakesItsTrackTimeOrKeepsItsFileDate)
{
    FakeMetaData meta;
    RVMetaData gps = FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}, {"/c/G"});
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

    const RVVideoDataPtr gpsNode = read("/c/GPS.MOV");
    EXPECT_EQ(gpsNode->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(gpsNode->files()[0]->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(gpsNode->points()->size(), 2u);
    EXPECT_EQ(gpsNode->gSensorData()->size(), 2u);
    EXPECT_EQ(gpsNode->relatedFiles(), QStringList{"/c/G"});
    EXPECT_EQ(gpsNode->cameraModel(), "DR900S-2CH");
    // No timed point, no points or no metadata: the file date stays; the series are read.
    for (const auto& [path, points] :
         {std::pair{"/c/NOFIX.MOV", 2u}, {"/c/EMPTY.MOV", 0u}, {"/c/UNKNOWN.MOV", 0u}}) {
        const RVVideoDataPtr node = read(path);
        EXPECT_EQ(node->created(), at(fileDate)) << path;
        ASSERT_TRUE(node->points() && node->gSensorData() && node->velocityData()) << path;
        EXPECT_EQ(node->points()->size(), points) << path;
    }
    EXPECT_FALSE(read("/c/UNKNOWN.MOV")->relatedFiles());
    // A node is read once.
    const int reads = meta.reads();
    list->readGpsInfo(gpsNode, false);
    EXPECT_EQ(meta.reads(), reads);
}

TEST(SeriesReading, TripJoinsChildrenAndPublishesOnTheListThread)
{
    FakeMetaData meta;
    meta.set("/card/F0.MOV", FakeMetaData::track({"2015-01-01T10:00:00", "2015-01-01T10:00:01"}));
    meta.set("/card/F1.MOV", FakeMetaData::track({"2015-01-01T10:01:00"}));
    meta.set("/card/F2.MOV", FakeMetaData::track({"2015-01-01T10:02:00", "2015-01-01T10:02:01",
                                                  "2015-01-01T10:02:02"}));
    auto list = idleList(meta.source());
    QThread* signalThread = nullptr;
    int signals = 0;
    QObject::connect(list.get(), &RVVideoList::metaInfoUpdated, [&] {
        signalThread = QThread::currentThread();
        ++signals;
    });

    // One child read before, the others not: the trip reads what is missing.
    const RVVideoDataPtr trip = tripOf({60, 60, 30});
    list->readGpsInfo(trip->children()[1], false);
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 1; }));
    EXPECT_EQ(signalThread, list->thread());
    const RVSeries series = list->publishedSeries();
    EXPECT_EQ(series.points, trip->points()); // the node's own series, no copy
    ASSERT_EQ(series.points->size(), 6u);
    EXPECT_EQ(series.gSensorData->size(), 6u);
    EXPECT_EQ(series.velocityData->size(), 6u);
    // Plain concatenation in child order; the trip takes its first file's date.
    EXPECT_EQ((*series.points)[0].time(), at("2015-01-01T10:00:00"));
    EXPECT_EQ((*series.points)[2].time(), at("2015-01-01T10:01:00"));
    EXPECT_EQ((*series.points)[5].time(), at("2015-01-01T10:02:02"));
    EXPECT_EQ(trip->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(meta.reads(), 3);

    // Another node publishes its own; selecting the trip again republishes without a read.
    list->readGpsInfo(single("/card/F2.MOV", 30, "2015-01-01T10:00:00"), true);
    ASSERT_TRUE(waitFor([&] { return signals == 2; }));
    EXPECT_EQ(list->points()->size(), 3u);
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 3; }));
    EXPECT_EQ(list->points(), trip->points());
    EXPECT_EQ(meta.reads(), 4);
}

// The library model: the 60-second rule, trip names, grouping before and after the
// metadata scan, the trip time line, reading a node's series, and deleting recordings.
#include "TestSupport.h"

#include "library/RVTripTimeline.h"
#include "metadata/RVCameraClock.h"

#include <cmath>

namespace {

// Files /card/F0.MOV, F1.MOV, ... of the given lengths as one trip.
RVVideoDataPtr tripOf(std::initializer_list<float> durations)
{
    RVVideoFileList files;
    for (float seconds : durations)
        files.push_back(std::make_shared<RVVideoFile>(QString("/card/F%1.MOV").arg(files.size()),
                                                      seconds, at("2015-01-01T09:00:00"), false));
    return RVVideoData::create("trip", 0, files[0]->created(), files,
                               RVVideoList::wrapFilesWithVideoData(files));
}

} // namespace

TEST(TripGrouping, SixtySecondRuleBetweenNeighboursAndTripNames)
{
    const float unknown = std::nanf("");
    // Per case: (length, start) per recording, the nodes' names, the first node's length.
    const std::tuple<std::vector<std::pair<float, const char*>>, QStringList, float> cases[] = {
        // Gap 0 s, then 59 s: one trip; exactly 60 s starts a new one.
        {{{180, "10:00:00"}, {180, "10:03:00"}, {60, "10:06:59"}}, {"F1-3"}, 420},
        {{{180, "10:00:00"}, {180, "10:03:00"}, {60, "10:07:00"}}, {"F1-2", "F3.MOV"}, 360},
        // Starting 50 s before the previous one ends still joins; a trip grows without limit.
        {{{180, "10:00:00"}, {180, "10:02:10"}}, {"F1-2"}, 360},
        {{{60, "10:00:00"}, {60, "10:01:59"}, {60, "10:03:58"}}, {"F1-3"}, 180},
        // An unknown length counts 0 and takes the latest known length (else the next one's).
        {{{180, "10:00:00"}, {unknown, "10:03:00"}, {180, "10:06:00"}}, {"F1-3"}, 360},
        {{{60, "10:00:00"}, {1, "10:01:00"}, {unknown, "10:01:01"}, {60, "10:02:02"}},
         {"F1-3", "F4.MOV"},
         61},
        {{{unknown, "10:00:00"}, {60, "10:01:00"}}, {"F1-2"}, 60},
        {{{unknown, "10:00:00"}, {60, "10:03:00"}}, {"F1.MOV", "F2.MOV"}, unknown},
        {{}, {}, 0},
    };
    for (const auto& [recordings, expected, firstDuration] : cases) {
        RVVideoDataList nodes;
        for (const auto& [seconds, time] : recordings)
            nodes.push_back(single(QString("/c/F%1.MOV").arg(nodes.size() + 1), seconds,
                                   "2015-01-01T" + QByteArray(time)));
        const RVVideoDataList result = RVVideoList::groupVideoDatas(nodes);
        EXPECT_EQ(names(result), expected);
        EXPECT_TRUE(std::isnan(firstDuration) || result.empty() ||
                    result[0]->duration() == firstDuration)
            << expected.join(' ').toStdString();
    }

    // A chaptered take is one trip in chapter order whatever its files' dates say.
    EXPECT_EQ(
        names(RVVideoList::groupVideoDatas({single("/c/GX020042.MP4", 60, "2015-01-01T10:00"),
                                            single("/c/GX010042.MP4", 60, "2015-01-01T10:00"),
                                            single("/c/GX010043.MP4", 9, "2015-01-01T12:00")})),
        QStringList({"GX010042-20042", "GX010043.MP4"}));

    const auto name = [](const QString& first, const QString& last) {
        const char* t = "2015-01-01T10:00:00";
        return RVVideoList::getVideoDataTripNameByFiles({single("/c/" + first, 60, t),
                                                         single("/c/MID.MOV", 60, t),
                                                         single("/c/" + last, 60, t)});
    };
    EXPECT_EQ(name("FILE0001.MOV", "FILE0005.MOV"), "FILE0001-5");
    EXPECT_EQ(name("20150101_120000_F.MP4", "20150101_123000_F.MP4"), "20150101_120000_F-3000_F");
    EXPECT_EQ(name("abc1.mov", "ABD2.mov"), "abc1-D2");
    EXPECT_EQ(RVVideoList::getVideoDataTripNameByFiles({}), "");
}

TEST(TripTimeline, FileForTripTimeJoinsEndsAndUnknownLengths)
{
    EXPECT_FALSE(RVTripTimeline().locate(0));
    // Trip time -> file and time in it; a join is the next file's first frame, only the trip's
    // end is the last file's end; outside the trip lands on its ends.
    using At = std::tuple<double, int, double>; // trip time, file, time in the file
    const auto expectPlaces = [](const RVTripTimeline& line, std::initializer_list<At> cases) {
        for (const auto& [time, file, inFile] : cases) {
            const auto place = line.locate(time);
            ASSERT_TRUE(place) << time;
            EXPECT_EQ(place->index, std::size_t(file)) << time;
            EXPECT_DOUBLE_EQ(place->fileSeconds, inFile) << time;
        }
    };
    const RVTripTimeline trip(tripOf({60, 60.5f, 30})->files());
    EXPECT_DOUBLE_EQ(trip.duration(), 150.5);
    EXPECT_DOUBLE_EQ(trip.start(2), 120.5);
    expectPlaces(trip, {At(0, 0, 0), At(59.9, 0, 59.9), At(60, 1, 0), At(60 - 1e-9, 1, 0),
                        At(120.5, 2, 0), At(150.5, 2, 30), At(200, 2, 30), At(-5, 0, 0)});
    EXPECT_EQ(trip.path(1), "/card/F1.MOV");
    EXPECT_EQ(trip.indexOf("/card/F2.MOV"), 2u);
    EXPECT_EQ(trip.next(1), 2u);
    EXPECT_FALSE(trip.next(2));
    EXPECT_FALSE(trip.previousWithLength(0));

    // A recording of unknown length takes no time, is never a place and is passed over going
    // back, but is still tried going forward.
    const RVTripTimeline cut(tripOf({60, std::nanf(""), 30})->files());
    expectPlaces(cut, {At(59.9, 0, 59.9), At(60, 2, 0), At(75, 2, 15), At(90, 2, 30)});
    EXPECT_EQ(cut.next(0), 1u);
    EXPECT_EQ(cut.previousWithLength(2), 0u);
    EXPECT_DOUBLE_EQ(cut.start(2), 60);
    const RVTripTimeline unread(tripOf({std::nanf(""), std::nanf("")})->files());
    expectPlaces(unread, {At(5, 0, 0)});
}

TEST(SeriesReading, RecordingsTakeTheirTrackTimeTripsJoinAndPublishOnTheListThread)
{
    FakeMetaData meta;
    meta.set("/c/NOFIX.MOV", {"", ""});
    meta.set("/c/EMPTY.MOV", {});
    meta.set("/card/F0.MOV", {"10:00:00", "10:00:01"});
    meta.set("/card/F1.MOV", {"10:01:00"}, {"/card/F1.gps"});
    (*meta.table)["/card/F1.MOV"].cameraModel = "DR900S-2CH";
    meta.set("/card/F2.MOV", {"10:02:00", "10:02:01", "10:02:02"});
    auto list = idleList(meta.source());
    QThread* signalThread = nullptr;
    int signals = 0;
    QObject::connect(list.get(), &RVVideoList::metaInfoUpdated, [&] {
        signalThread = QThread::currentThread();
        ++signals;
    });
    // No timed point, no points or no metadata: the file date stays; the series are read.
    for (const auto& [path, points] :
         {std::pair{"/c/NOFIX.MOV", 2u}, {"/c/EMPTY.MOV", 0u}, {"/c/NONE.MOV", 0u}}) {
        const RVVideoDataPtr node = single(path, 60, "2020-05-05T05:05:05");
        list->readGpsInfo(node, false);
        EXPECT_EQ(node->created(), at("2020-05-05T05:05:05")) << path;
        ASSERT_TRUE(node->points() && node->gSensorData() && node->velocityData()) << path;
        EXPECT_EQ(node->points()->size(), points) << path;
        EXPECT_EQ(node->relatedFiles().has_value(), QString(path) != "/c/NONE.MOV") << path;
    }

    // One child read before, the others not (none, not empty): the trip reads what is missing.
    const RVVideoDataPtr trip = tripOf({60, 60, 30});
    const RVVideoDataPtr child = trip->children()[1];
    list->readGpsInfo(child, false);
    list->readGpsInfo(child, false); // a node is read once
    EXPECT_EQ(*meta.reads, 4);
    // A recording takes its first fix's time, for its record too.
    EXPECT_EQ(child->created(), at("2015-01-01T10:01:00"));
    EXPECT_EQ(child->files()[0]->created(), at("2015-01-01T10:01:00"));
    EXPECT_EQ(child->relatedFiles(), QStringList{"/card/F1.gps"});
    EXPECT_EQ(child->cameraModel(), "DR900S-2CH");
    EXPECT_EQ(trip->points(), nullptr);
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 1; }));
    EXPECT_EQ(signalThread, list->thread());
    const RVSeries series = list->publishedSeries();
    EXPECT_EQ(series.points, trip->points()); // the node's own series, no copy
    ASSERT_EQ(
        std::tuple(series.points->size(), series.gSensorData->size(), series.velocityData->size()),
        std::tuple(6u, 6u, 6u));
    // Plain concatenation in child order; the trip takes its first file's date.
    EXPECT_EQ((*series.points)[2].time(), at("2015-01-01T10:01:00"));
    EXPECT_EQ((*series.points)[5].time(), at("2015-01-01T10:02:02"));
    EXPECT_EQ(trip->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(*meta.reads, 6);
    // Another node publishes its own; selecting the trip again republishes without a read.
    list->readGpsInfo(single("/card/F2.MOV", 30, "2015-01-01T10:00:00"), true);
    ASSERT_TRUE(waitFor([&] { return signals == 2; }));
    EXPECT_EQ(list->points()->size(), 3u);
    list->readGpsInfoInBackground(trip);
    ASSERT_TRUE(waitFor([&] { return signals == 3; }));
    EXPECT_EQ(list->points(), trip->points());
    EXPECT_EQ(*meta.reads, 7);
}

// A recording is dated by its first dated fix, else by its name (the camera's clock read by
// the card's rule; Berlin here), else by its file; a trip's joined track never runs backwards.
TEST(SeriesReading, DatedByFixThenNameThenFileAndJoinsNeverRunBackwards)
{
    FakeMetaData meta;
    meta.set("/c/20170709_080522_P.mp4", {""}); // BlackVue parking: no fix
    meta.set("/c/NOFIX.MOV", {""});
    meta.set("/c/20170709_080522_NF.mp4", {"", "10:00:05"});
    meta.set("/c/NO20170709-080522-000001.MP4", {"10:00:00"});
    (*meta.table)["/c/NO20170709-080522-000001.MP4"].pointTimes = RVTimeSource::Name;
    auto list = idleList(meta.source());
    const std::tuple<const char*, const char*, RVTimeSource> cases[] = {
        {"/c/20170709_080522_P.mp4", "2017-07-09T06:05:22", RVTimeSource::Name},
        {"/c/20170709_080522_ER.mp4", "2017-07-09T06:05:22", RVTimeSource::Name}, // no reader
        {"/c/NOFIX.MOV", "2020-05-05T05:05:05", RVTimeSource::File},
        {"/c/NONE.MOV", "2020-05-05T05:05:05", RVTimeSource::File},
        {"/c/20170709_080522_NF.mp4", "2015-01-01T10:00:05", RVTimeSource::Gps},
        {"/c/NO20170709-080522-000001.MP4", "2015-01-01T10:00:00", RVTimeSource::Name}};
    for (const auto& [path, created, source] : cases) {
        const RVVideoDataPtr node = single(path, 60, "2020-05-05T05:05:05");
        list->readGpsInfo(node, false);
        EXPECT_EQ(node->created(), at(created)) << path;
        EXPECT_EQ(node->files()[0]->timeSource(), source) << path;
    }
    // The card's clock rule: the camera an hour fast.
    RVCameraClock::setRule("/c", std::nullopt, {"", -3600});
    const RVVideoDataPtr corrected = single("/c/20170709_080522_P.mp4", 60, "2020-05-05T05:05:05");
    list->readGpsInfo(corrected, false);
    RVCameraClock::clearRules();
    EXPECT_EQ(corrected->created(), at("2017-07-09T05:05:22"));

    meta.set("/card/F0.MOV", {"10:00:00", "", "10:00:02"});
    meta.set("/card/F1.MOV", {"10:00:01", "10:00:03"});
    (*meta.table)["/card/F1.MOV"].velocityData = {11, 13};
    const RVVideoDataPtr trip = tripOf({3, 2});
    list->readGpsInfo(trip, false);
    QStringList joined;
    for (std::size_t i = 0; i < trip->points()->size(); ++i)
        joined.append((*trip->points())[i].time().toDateTime().toString(u"ss") + '@' +
                      QString::number((*trip->velocityData())[i]));
    EXPECT_EQ(joined.join(' '), "00@10 @10 02@10 03@13");
}

TEST(LibraryScenario, FileDatesThenTrackTimesSortsAndDeletesWithCompanions)
{
    // Clips below DCIM/, most with two companion files (and one named on no mounted volume)
    // and a track starting at a given time:
    // A to D 2 s apart, E's first fix has no time, F is deleted before the scan reaches it,
    // G was copied with its modification time and its one fix was taken at that time (a
    // recording dated only by its file never joins a dated one), H and I stand alone.
    QTemporaryDir dir;
    const auto path = [&](const QString& name) { return dir.path() + "/DCIM/" + name; };
    FakeMetaData meta;
    // Per recording A to I its fixes' times, "|" between recordings.
    const QStringList tracks = QString("10:00:00 10:00:01|10:00:02|10:00:04|10:00:06| 09:00:00|"
                                       "14:00:00|12:00:01.250|12:00:00|16:00:00")
                                   .split('|');
    for (char name = 'A'; name <= 'I'; ++name) {
        const QString video = path(name + QString(".MP4"));
        makeClip(video, 2);
        QStringList companions = {video + ".gps", video + ".3gf"};
        for (const QString& companion : companions)
            writeFile(companion, "side data");
        meta.set(video, tracks[name - 'A'].split(' '), companions << "/nowhere/" + video);
    }
    QFile g(path("G.MP4"));
    ASSERT_TRUE(g.open(QIODevice::ReadWrite) &&
                g.setFileTime(at("2015-01-01T12:00:01.250").toDateTime(),
                              QFileDevice::FileModificationTime));
    const auto expectOnDisk = [&](std::initializer_list<const char*> names, bool present) {
        for (const char* name : names)
            EXPECT_EQ(QFile::exists(path(name)), present) << name;
    };
    std::pair<int, int> progress;
    const auto list = idleList(meta.source(60));
    QObject::connect(list.get(), &RVVideoList::metaScanProgress, [&](int done, int total) {
        progress = {done, total};
    });

    // Before the scan the tree follows the file dates: G, then all the others just written.
    list->addVideoFilesFrom(dir.path());
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    ASSERT_EQ(names(*list->videosData()).size(), 2);
    EXPECT_EQ(names(*list->videosData())[0], "G.MP4");
    const RVVideoDataList byFileDate = (*list->videosData())[1]->children();
    list->removeVideoDataAndFiles(
        *std::find_if(byFileDate.begin(), byFileDate.end(),
                      [](const RVVideoDataPtr& node) { return node->name() == "F.MP4"; }));
    expectOnDisk({"F.MP4", "F.MP4.gps", "F.MP4.3gf"}, false);
    list->waitForIdle();
    const RVVideoDataList tree = *list->videosData();
    EXPECT_TRUE(progress.first == progress.second && progress.first >= 8) << progress.first;
    EXPECT_EQ(names(tree, true),
              QStringList({"E.MP4", "A.MP4+B.MP4+C.MP4+D.MP4", "H.MP4+G.MP4", "I.MP4"}));
    EXPECT_EQ(tree[0]->created(), at("2015-01-01T09:00:00"));
    EXPECT_EQ(tree[1]->created(), at("2015-01-01T10:00:00"));
    EXPECT_EQ(tree[2]->children()[1]->created(), at("2015-01-01T12:00:01.250"));
    // The trip joins its children's series without another file read.
    const int reads = *meta.reads;
    list->readGpsInfo(tree[1], false);
    EXPECT_EQ(*meta.reads, reads);
    EXPECT_EQ(tree[1]->points()->size(), 5u);

    // A column sort lasts until the next regrouping, which sorts oldest first again; equal
    // lengths fall through to the second key.
    list->sortVideoList({{RVSortKey::Field::Name, true}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"A-D", "E.MP4", "H-G", "I.MP4"}));
    list->sortVideoList({{RVSortKey::Field::Duration, true}, {RVSortKey::Field::Name, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"I.MP4", "E.MP4", "H-G", "A-D"}));
    list->sortVideoList({{RVSortKey::Field::Created, false}});
    EXPECT_EQ(names(*list->videosData()), QStringList({"I.MP4", "H-G", "A-D", "E.MP4"}));
    list->removeVideoData(list->videosData()->front());
    list->waitForIdle();
    ASSERT_EQ(names(*list->videosData()), QStringList({"E.MP4", "A-D", "H-G"}));

    // A single recording leaves the top level at once, without regrouping, though the list
    // was rebuilt since the node was handed out.
    const RVVideoDataPtr single = list->videosData()->front();
    list->cameraClockChanged();
    list->waitForIdle();
    RVDeleteResult result = list->removeVideoDataAndFiles(single);
    EXPECT_EQ(result.deleted, QStringList{path("E.MP4")});
    EXPECT_TRUE(result.keptLocked.isEmpty() && result.failed.isEmpty());
    expectOnDisk({"E.MP4", "E.MP4.gps", "E.MP4.3gf"}, false);
    EXPECT_EQ(names(*list->videosData()), QStringList({"A-D", "H-G"}));
    // B is locked through the program; D was locked on the card behind its back.
    const RVVideoDataPtr trip = list->videosData()->front();
    ASSERT_TRUE(FS::changeMutabilityOfVideoFiles(trip->children()[1]->files(), true));
    ASSERT_TRUE(FS::changeMutabilityOfFile(path("D.MP4"), true));
    result = list->removeVideoDataAndFiles(trip);
    EXPECT_EQ(result.deleted, QStringList({path("A.MP4"), path("C.MP4")}));
    EXPECT_EQ(result.keptLocked, QStringList({path("B.MP4"), path("D.MP4")}));
    expectOnDisk({"A.MP4", "A.MP4.gps", "C.MP4", "C.MP4.3gf"}, false);
    expectOnDisk({"B.MP4", "B.MP4.gps", "B.MP4.3gf", "D.MP4", "D.MP4.gps"}, true);
    EXPECT_TRUE(trip->files()[3]->locked());
    list->waitForIdle();
    // B and D are 4 s apart, each 2 s long: still a trip.
    ASSERT_EQ(names(*list->videosData(), true), QStringList({"B.MP4+D.MP4", "H.MP4+G.MP4"}));
    EXPECT_EQ(list->videosData()->front()->lockState(), RVLockState::Locked);
    // Inside a trip the rest is regrouped: B falls apart into a single recording.
    ASSERT_TRUE(list->changeMutabilityOfVideoData(list->videosData()->front(), false));
    list->removeVideoDataAndFiles(list->videosData()->front()->children()[1]);
    list->waitForIdle();
    expectOnDisk({"D.MP4", "D.MP4.gps"}, false);
    expectOnDisk({"B.MP4.gps"}, true);
    ASSERT_EQ(names(*list->videosData()), QStringList({"B.MP4", "H-G"}));
    EXPECT_EQ(list->videoFiles().size(), 3u);
}

// Two cameras of different makes recording at the same moment stay two rows of one date;
// sorting by date keeps them in the order they had, however often the column is clicked.
TEST(LibraryScenario, SortingByDateKeepsTheOrderOfEqualDates)
{
    QTemporaryDir dir;
    for (const char* name : {"2015_0101_100000_001.MP4", "20150101_100000_NF.mp4"})
        makeClip(dir.filePath(name), 2);
    const auto list = idleList(FakeMetaData().source(), dir.path());
    const QStringList before = names(*list->videosData());
    ASSERT_EQ(before.size(), 2);
    ASSERT_EQ((*list->videosData())[0]->created(), (*list->videosData())[1]->created());
    for (const bool ascending : {false, false, true}) {
        list->sortVideoList({{RVSortKey::Field::Created, ascending}});
        EXPECT_EQ(names(*list->videosData()), before);
    }
}

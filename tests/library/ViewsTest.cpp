// Recordings seen by several cameras: joining the views, trips over front views, and lock and
// delete acting on every view and on shared companion files, read by the real readers.
#include "TestSupport.h"

#include "library/RVRecordingViews.h"

TEST(RecordingViews, ChannelsOfOneMomentJoinByTheirFamilysRule)
{
    const auto combine = [](const std::vector<const char*>& paths, int lockedIndex = -1) {
        std::vector<RVFoundVideo> found;
        for (const char* path : paths)
            found.push_back({path, {}, int(found.size()) == lockedIndex, {1, found.size() + 1}});
        return combineViews(found);
    };
    // Per case the files and, per recording, its views front first ("front1" is file 1).
    const std::pair<std::vector<const char*>, QStringList> cases[] = {
        // BlackVue: same name apart from the channel letter; mode F and channel F read by place.
        {{"/c/R/20170708_221449_NR.mp4", "/c/R/20170708_221449_NF.mp4",
          "/c/R/20170708_221449_FF.mp4", "/c/R/20170708_221449_FR.mp4",
          "/c/R/20170708_221449_ER.mp4", "/c/R/20170708_221549_NF.mp4"},
         {"front1+rear0", "front2+rear3", "front5", "rear4"}},
        // Novatek: sequences differ per channel, times within 2 s pair; parking stays apart.
        {{"/c/Movie/2023_0101_120000_000101F.MP4", "/c/Movie/2023_0101_120001_000102R.MP4",
          "/c/Movie/2023_0101_120100_000103F.MP4", "/c/Movie/2023_0101_120103_000104R.MP4",
          "/c/Movie/2023_0101_120100_000105PR.MP4"},
         {"front0+rear1", "front2", "rear3", "rear4"}},
        // 70mai keeps each camera in a folder of its own; B is the rear camera.
        {{"/c/70mai/Normal/Back/NO20220101-120000-000002B.MP4",
          "/c/70mai/Normal/Front/NO20220101-120000-000001F.MP4", "/c/DCIM/FILE0001.MOV"},
         {"front1+rear0", "front2"}},
        // Copies of two cars' cards, each in a folder of its own, stay apart.
        {{"/p/car1/Front/NO20220101-120000-000001F.MP4",
          "/p/car2/Back/NO20220101-120000-000002B.MP4"},
         {"front0", "rear1"}},
        // Nextbase: a low-quality copy (L) beside its file (H) is left out; alone, it stays.
        {{"/c/DCIM/240915_143027_001_FL.MP4", "/c/DCIM/240915_143027_001_FH.MP4",
          "/c/DCIM/240915_143028_002_RH.MP4", "/c/DCIM/240915_143028_002_RL.MP4",
          "/c/DCIM/240915_143127_003_RL.MP4"},
         {"front1+rear2", "rear4"}},
    };
    for (const auto& [files, expected] : cases) {
        QStringList recordings;
        for (const RVVideoFilePtr& record : combine(files)) {
            QStringList views;
            for (const RVVideoView& view : record->views())
                views.append(
                    channelName(view.channel) +
                    QString::number(std::ranges::find(files, view.filePath) - files.begin()));
            recordings.append(views.join('+'));
            EXPECT_EQ(record->filePath(), record->views().front().filePath);
            EXPECT_FALSE(record->locked()); // no view is
        }
        recordings.sort();
        EXPECT_EQ(recordings, expected);
    }

    // A recording is locked when any view is; its mode comes from the name.
    const RVVideoFileList pair =
        combine({"/c/20170708_221449_EF.mp4", "/c/20170708_221449_ER.mp4"}, 1);
    ASSERT_EQ(pair.size(), 1u);
    EXPECT_TRUE(pair[0]->locked());
    EXPECT_EQ(pair[0]->mode(), RVRecordingMode::Event);
    EXPECT_EQ(pair[0]->fileIds().size(), 2u);
}

TEST(RecordingViews, LockAndDeleteActOnEveryViewAndKeepSharedCompanions)
{
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record/20170708_";
    const QByteArray rmc =
        "[1499552090960]$GPRMC,221450.00,A,5545.1234,N,03736.5678,E,10.0,90.0,080717,,,A*7A\n";
    // Two Mini recordings whose numbers restarted in a new folder share one log.
    const QString first = dir.path() + "/DCIM/100MEDIA/AMBA0001.MP4";
    const QString second = dir.path() + "/DCIM/101MEDIA/AMBA0001.MP4";
    const QString log = dir.path() + "/gps/gps0001.log";
    for (const QString& clip : {record + "221449_NF.mp4", record + "221449_NR.mp4",
                                record + "221549_NR.mp4", record + "223000_NF.mp4", first, second})
        makeClip(clip, 2);
    writeFile(record + "221449_N.gps", rmc);
    writeFile(
        record + "221549_N.gps",
        "[1499552150960]$GPRMC,221550.00,A,5545.1234,N,03736.5678,E,10.0,90.0,080717,,,A*56\n");
    writeFile(record + "221449_N.3gf", QByteArray(20, '\0'));
    writeFile(record + "223000_N.gps", rmc);
    writeFile(log, "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n");
    const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());
    const auto recording = [&](const QString& path) {
        return recordingAt(*list->videosData(), path);
    };
    const auto both = [&] { return recording(record + "221449_NF.mp4"); };
    const auto expectFiles = [&](std::initializer_list<const char*> names, bool locked,
                                 bool present) {
        for (const char* name : names) // locked, and on disk
            EXPECT_EQ(std::pair(FS::isFileLocked(record + name), QFile::exists(record + name)),
                      std::pair(locked, present))
                << name;
    };
    // A rear view whose front is missing never joins the front views' trip (it would play the
    // same minute twice), although it starts within a minute of the one before.
    EXPECT_TRUE(names(*list->videosData()).contains("20170708_221549_NR.mp4"));
    EXPECT_EQ(both()->relatedFiles(),
              QStringList({record + "221449_N.gps", record + "221449_N.3gf"}));

    // Lock takes both cameras' files and the shared side files; unlock gives them back.
    ASSERT_TRUE(list->changeMutabilityOfVideoData(both(), true));
    expectFiles({"221449_NF.mp4", "221449_NR.mp4", "221449_N.gps", "221449_N.3gf"}, true, true);
    EXPECT_EQ(list->removeVideoDataAndFiles(both()).keptLocked.size(), 1);
    expectFiles({"221449_NF.mp4", "221449_NR.mp4", "221449_N.gps"}, true, true);
    ASSERT_TRUE(list->changeMutabilityOfVideoData(both(), false));
    expectFiles({"221449_NF.mp4", "221449_NR.mp4", "221449_N.gps", "221449_N.3gf"}, false, true);
    list->waitForIdle();
    EXPECT_EQ(list->removeVideoDataAndFiles(both()).deleted, QStringList{record + "221449_NF.mp4"});
    expectFiles({"221449_NF.mp4", "221449_NR.mp4", "221449_N.gps", "221449_N.3gf"}, false, false);
    expectFiles({"223000_N.gps"}, false, true);

    // The shared log stays while the other Mini recording (locked) remains, and goes with it.
    list->waitForIdle();
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), true));
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(first), false));
    EXPECT_TRUE(FS::isFileLocked(log));
    list->removeVideoDataAndFiles(recording(first));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(log));
    list->waitForIdle();
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), false));
    list->removeVideoDataAndFiles(recording(second));
    EXPECT_FALSE(QFile::exists(log));
}

// Recordings seen by several cameras: joining the views, trips over front views, and lock
// and delete acting on every view and on shared companion files.
#include "TestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVRecordingViews.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testsupport;

TEST(RecordingViews, ChannelsOfOneMomentJoinByTheirFamilysRule)
{
    const auto combine = [](std::initializer_list<const char*> paths, int lockedIndex = -1) {
        std::vector<RVFoundVideo> found;
        for (const char* path : paths)
            found.push_back({path,
                             at("2020-01-01T00:00:00"),
                             int(found.size()) == lockedIndex,
                             {1, found.size() + 1}});
        return combineViews(found);
    };
    struct Case
    {
        std::initializer_list<const char*> files;
        QStringList recordings; // per recording its views, front first
    };
    const Case cases[] = {
        // BlackVue: same name apart from the channel letter; mode F and channel F read by place.
        {{"/c/R/20170708_221449_NR.mp4", "/c/R/20170708_221449_NF.mp4",
          "/c/R/20170708_221449_FF.mp4", "/c/R/20170708_221449_FR.mp4",
          "/c/R/20170708_221449_ER.mp4", "/c/R/20170708_221549_NF.mp4"},
         {"front=20170708_221449_FF.mp4+rear=20170708_221449_FR.mp4",
          "front=20170708_221449_NF.mp4+rear=20170708_221449_NR.mp4",
          "front=20170708_221549_NF.mp4", "rear=20170708_221449_ER.mp4"}},
        // Novatek: sequences differ per channel, times within 2 s pair; parking stays apart.
        {{"/c/Movie/2023_0101_120000_000101F.MP4", "/c/Movie/2023_0101_120001_000102R.MP4",
          "/c/Movie/2023_0101_120100_000103F.MP4", "/c/Movie/2023_0101_120103_000104R.MP4",
          "/c/Movie/2023_0101_120100_000105PR.MP4"},
         {"front=2023_0101_120000_000101F.MP4+rear=2023_0101_120001_000102R.MP4",
          "front=2023_0101_120100_000103F.MP4", "rear=2023_0101_120100_000105PR.MP4",
          "rear=2023_0101_120103_000104R.MP4"}},
        // 70mai keeps each camera in a folder of its own; B is the rear camera.
        {{"/c/70mai/Normal/Back/NO20220101-120000-000002B.MP4",
          "/c/70mai/Normal/Front/NO20220101-120000-000001F.MP4", "/c/DCIM/FILE0001.MOV"},
         {"front=FILE0001.MOV",
          "front=NO20220101-120000-000001F.MP4+rear=NO20220101-120000-000002B.MP4"}},
    };
    for (const Case& c : cases) {
        QStringList recordings;
        for (const RVVideoFilePtr& record : combine(c.files)) {
            QStringList views;
            for (const RVVideoView& view : record->views())
                views.append(channelName(view.channel) + "=" + view.filePath.section('/', -1));
            recordings.append(views.join('+'));
            EXPECT_EQ(record->filePath(), record->views().front().filePath);
        }
        recordings.sort();
        EXPECT_EQ(recordings, c.recordings);
    }

    // A recording is locked when any view is; its mode comes from the name.
    const RVVideoFileList pair =
        combine({"/c/20170708_221449_EF.mp4", "/c/20170708_221449_ER.mp4"}, 1);
    ASSERT_EQ(pair.size(), 1u);
    EXPECT_TRUE(pair[0]->locked());
    EXPECT_EQ(pair[0]->mode(), RVRecordingMode::Event);
    EXPECT_EQ(pair[0]->fileIds().size(), 2u);

    // Trips follow the front views: three minutes with both cameras, then a rear view alone.
    RVVideoFileList records = combine({"/c/20170708_221449_NF.mp4", "/c/20170708_221449_NR.mp4",
                                       "/c/20170708_221549_NF.mp4", "/c/20170708_221549_NR.mp4",
                                       "/c/20170708_221649_NF.mp4", "/c/20170708_221649_NR.mp4",
                                       "/c/20170708_221749_NR.mp4"});
    ASSERT_EQ(records.size(), 4u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i]->setDuration(60);
        records[i]->setCreated(RVTimestamp::fromMSecsSinceEpoch(
            at("2017-07-08T20:14:49").msecsSinceEpoch() + 60000LL * i));
    }
    const RVVideoDataList tree =
        RVVideoList::groupVideoDatas(RVVideoList::wrapFilesWithVideoData(records));
    EXPECT_EQ(names(tree, true), QStringList({"20170708_221449_NF.mp4+20170708_221549_NF.mp4+"
                                              "20170708_221649_NF.mp4",
                                              "20170708_221749_NR.mp4"}));
    EXPECT_FLOAT_EQ(tree[0]->duration(), 180.0f); // the front views' time line, not twice it
}

TEST(RecordingViews, LockAndDeleteActOnEveryViewAndKeepSharedCompanions)
{
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record/20170708_";
    const QByteArray rmc = "[1499552090960]$GPRMC,221450.00,A,5545.1234,N,03736.5678,E,10.0,90.0,"
                           "080717,,,A*7A\n";
    for (const char* name : {"221449_NF.mp4", "221449_NR.mp4", "223000_NF.mp4"})
        makeClip(record + name, 2);
    writeFile(record + "221449_N.gps", rmc);
    writeFile(record + "221449_N.3gf", QByteArray(20, '\0'));
    writeFile(record + "223000_N.gps", rmc);
    // Two Mini recordings whose numbers restarted in a new folder share one log.
    const QString first = dir.path() + "/DCIM/100MEDIA/AMBA0001.MP4";
    const QString second = dir.path() + "/DCIM/101MEDIA/AMBA0001.MP4";
    const QString log = dir.path() + "/gps/gps0001.log";
    makeClip(first, 2);
    makeClip(second, 2);
    writeFile(log, "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n");

    const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());
    const auto recording = [&](const QString& path) -> RVVideoDataPtr {
        for (const RVVideoDataPtr& top : *list->videosData()) {
            for (const RVVideoDataPtr& leaf :
                 top->children().empty() ? RVVideoDataList{top} : top->children()) {
                if (leaf->files()[0]->filePath() == path)
                    return leaf;
            }
        }
        return nullptr;
    };
    const RVVideoDataPtr both = recording(record + "221449_NF.mp4");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->relatedFiles(),
              QStringList({record + "221449_N.gps", record + "221449_N.3gf"}));

    // Lock takes both cameras' files and the shared side files; unlock gives them back.
    ASSERT_TRUE(list->changeMutabilityOfVideoData(both, true));
    for (const char* name : {"NF.mp4", "NR.mp4", "N.gps", "N.3gf"})
        EXPECT_TRUE(RVFileSystemUtil::isFileLocked(record + "221449_" + name)) << name;
    EXPECT_EQ(list->removeVideoDataAndFiles(both).keptLocked.size(), 1);
    EXPECT_TRUE(QFile::exists(record + "221449_NR.mp4"));
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(record + "221449_NF.mp4"), false));
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(record + "221449_N.gps"));
    list->waitForIdle();
    const RVDeleteResult result =
        list->removeVideoDataAndFiles(recording(record + "221449_NF.mp4"));
    EXPECT_EQ(result.deleted, QStringList{record + "221449_NF.mp4"});
    for (const char* name : {"NF.mp4", "NR.mp4", "N.gps", "N.3gf"})
        EXPECT_FALSE(QFile::exists(record + "221449_" + name)) << name;
    EXPECT_TRUE(QFile::exists(record + "223000_N.gps"));

    // The shared log stays while the other Mini recording (locked) remains, and goes with it.
    list->waitForIdle();
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), true));
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(first), false));
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(log));
    list->removeVideoDataAndFiles(recording(first));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(log));
    list->waitForIdle();
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), false));
    list->removeVideoDataAndFiles(recording(second));
    EXPECT_FALSE(QFile::exists(log));
}

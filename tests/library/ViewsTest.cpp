// Recordings seen by several cameras: joining the views, trips over front views, and lock
// and delete acting on every view and on shared companion files.
#include "TestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVRecordingViews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace testsupport;

namespace {

// "NF.mp4+NR.mp4" per recording: the file names of its views, front first.
QStringList viewNames(const RVVideoFileList& records)
{
    QStringList result;
    for (const RVVideoFilePtr& record : records) {
        QStringList views;
        for (const RVVideoView& view : record->views())
            views.append(channelName(view.channel) + "=" + view.filePath.section('/', -1));
        result.append(views.join('+'));
    }
    return result;
}

std::vector<RVFoundVideo> found(std::initializer_list<const char*> paths)
{
    std::vector<RVFoundVideo> result;
    std::uint64_t inode = 1;
    for (const char* path : paths)
        result.push_back({path, at("2020-01-01T00:00:00"), false, {1, inode++}});
    return result;
}

} // namespace

TEST(RecordingViews, ChannelsOfOneMomentJoinByTheirFamilysRule)
{
    struct Case
    {
        std::initializer_list<const char*> files;
        QStringList recordings;
    };
    const Case cases[] = {
        // BlackVue: same name apart from the channel letter; mode F and channel F read by place.
        {{"/c/R/20170708_221449_NR.mp4", "/c/R/20170708_221449_NF.mp4",
          "/c/R/20170708_221449_FF.mp4", "/c/R/20170708_221449_FR.mp4",
          "/c/R/20170708_221449_ER.mp4", "/c/R/20170708_221549_NF.mp4"},
         {"front=20170708_221449_NF.mp4+rear=20170708_221449_NR.mp4",
          "front=20170708_221449_FF.mp4+rear=20170708_221449_FR.mp4", "rear=20170708_221449_ER.mp4",
          "front=20170708_221549_NF.mp4"}},
        // Novatek: sequences differ per channel, times within 2 s pair; parking stays apart.
        {{"/c/Movie/2023_0101_120000_000101F.MP4", "/c/Movie/2023_0101_120001_000102R.MP4",
          "/c/Movie/2023_0101_120100_000103F.MP4", "/c/Movie/2023_0101_120103_000104R.MP4",
          "/c/Movie/2023_0101_120100_000105PR.MP4"},
         {"front=2023_0101_120000_000101F.MP4+rear=2023_0101_120001_000102R.MP4",
          "front=2023_0101_120100_000103F.MP4", "rear=2023_0101_120103_000104R.MP4",
          "rear=2023_0101_120100_000105PR.MP4"}},
        // 70mai keeps each camera in a folder of its own; B is the rear camera.
        {{"/c/70mai/Normal/Back/NO20220101-120000-000002B.MP4",
          "/c/70mai/Normal/Front/NO20220101-120000-000001F.MP4", "/c/DCIM/FILE0001.MOV"},
         {"front=NO20220101-120000-000001F.MP4+rear=NO20220101-120000-000002B.MP4",
          "front=FILE0001.MOV"}},
    };
    for (const Case& c : cases) {
        RVVideoFileList records = combineViews(found(c.files));
        QStringList names = viewNames(records);
        names.sort();
        QStringList expected = c.recordings;
        expected.sort();
        EXPECT_EQ(names, expected);
        for (const RVVideoFilePtr& record : records)
            EXPECT_EQ(record->filePath(), record->views().front().filePath);
    }

    // A recording is locked when any view is; its mode comes from the name.
    std::vector<RVFoundVideo> pair =
        found({"/c/20170708_221449_EF.mp4", "/c/20170708_221449_ER.mp4"});
    pair[1].locked = true;
    const RVVideoFileList records = combineViews(pair);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records.front()->locked());
    EXPECT_EQ(records.front()->mode(), RVRecordingMode::Event);
    EXPECT_EQ(records.front()->fileIds().size(), 2u);
}

TEST(RecordingViews, TripsFollowTheFrontViewsAndNeverStringChannelsTogether)
{
    // Three BlackVue minutes with both cameras, then one whose front file is missing.
    std::vector<RVFoundVideo> files;
    for (const char* time : {"221449", "221549", "221649", "221749"}) {
        for (const char* channel : {"F", "R"}) {
            if (QByteArray(time) != "221749" || QByteArray(channel) == "R")
                files.push_back(
                    {QString("/c/20170708_%1_N%2.mp4").arg(time, channel), {}, false, {}});
        }
    }
    RVVideoFileList records = combineViews(files);
    ASSERT_EQ(records.size(), 4u);
    const std::int64_t start = at("2017-07-08T20:14:49").msecsSinceEpoch();
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i]->setDuration(60);
        records[i]->setCreated(RVTimestamp::fromMSecsSinceEpoch(start + 60000LL * i));
    }
    const RVVideoDataList tree =
        RVVideoList::groupVideoDatas(RVVideoList::wrapFilesWithVideoData(records));
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0]->files().size(), 3u);
    EXPECT_FLOAT_EQ(tree[0]->duration(), 180.0f); // the front views' time line, not twice it
    for (const RVVideoFilePtr& file : tree[0]->files())
        EXPECT_TRUE(file->filePath().endsWith("NF.mp4")) << file->filePath().toStdString();
    EXPECT_EQ(tree[1]->name(), "20170708_221749_NR.mp4");
}

TEST(RecordingViews, LockAndDeleteActOnEveryViewAndKeepSharedCompanions)
{
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record";
    const QByteArray rmc = "[1499552090960]$GPRMC,221450.00,A,5545.1234,N,03736.5678,E,10.0,90.0,"
                           "080717,,,A*7A\n";
    for (const char* name :
         {"20170708_221449_NF.mp4", "20170708_221449_NR.mp4", "20170708_223000_NF.mp4"})
        makeClip(record + "/" + name, 2);
    writeFile(record + "/20170708_221449_N.gps", rmc);
    writeFile(record + "/20170708_221449_N.3gf", QByteArray(20, '\0'));
    writeFile(record + "/20170708_223000_N.gps", rmc);
    // Two Mini recordings whose numbers restarted in a new folder share one log.
    const QByteArray log = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";
    makeClip(dir.path() + "/DCIM/100MEDIA/AMBA0001.MP4", 2);
    makeClip(dir.path() + "/DCIM/101MEDIA/AMBA0001.MP4", 2);
    writeFile(dir.path() + "/gps/gps0001.log", log);

    const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());
    const auto recording = [&](const QString& path) -> RVVideoDataPtr {
        for (const RVVideoDataPtr& top : *list->videosData()) {
            for (const RVVideoDataPtr& leaf :
                 top->children().empty() ? RVVideoDataList{top} : top->children()) {
                if (leaf->files().front()->filePath() == path)
                    return leaf;
            }
        }
        return nullptr;
    };
    const RVVideoDataPtr both = recording(record + "/20170708_221449_NF.mp4");
    ASSERT_TRUE(both);
    ASSERT_EQ(both->files().front()->views().size(), 2u);
    EXPECT_EQ(both->relatedFiles(),
              QStringList({record + "/20170708_221449_N.gps", record + "/20170708_221449_N.3gf"}));

    // Lock takes both cameras' files and the shared side files; unlock gives them back.
    ASSERT_TRUE(list->changeMutabilityOfVideoData(both, true));
    for (const char* name : {"NF.mp4", "NR.mp4", "N.gps", "N.3gf"})
        EXPECT_TRUE(RVFileSystemUtil::isFileLocked(record + "/20170708_221449_" + name)) << name;
    EXPECT_EQ(list->removeVideoDataAndFiles(both).keptLocked.size(), 1);
    EXPECT_TRUE(QFile::exists(record + "/20170708_221449_NR.mp4"));
    ASSERT_TRUE(
        list->changeMutabilityOfVideoData(recording(both->files().front()->filePath()), false));
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(record + "/20170708_221449_N.gps"));

    list->waitForIdle();
    const RVDeleteResult result =
        list->removeVideoDataAndFiles(recording(record + "/20170708_221449_NF.mp4"));
    EXPECT_EQ(result.deleted, QStringList{record + "/20170708_221449_NF.mp4"});
    for (const char* name : {"NF.mp4", "NR.mp4", "N.gps", "N.3gf"})
        EXPECT_FALSE(QFile::exists(record + "/20170708_221449_" + name)) << name;
    EXPECT_TRUE(QFile::exists(record + "/20170708_223000_N.gps"));

    // The shared log stays while the other Mini recording (locked) remains, and goes with it.
    list->waitForIdle();
    const QString first = dir.path() + "/DCIM/100MEDIA/AMBA0001.MP4";
    const QString second = dir.path() + "/DCIM/101MEDIA/AMBA0001.MP4";
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), true));
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(first), false));
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(dir.path() + "/gps/gps0001.log"));
    list->removeVideoDataAndFiles(recording(first));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(dir.path() + "/gps/gps0001.log"));
    list->waitForIdle();
    ASSERT_TRUE(list->changeMutabilityOfVideoData(recording(second), false));
    list->removeVideoDataAndFiles(recording(second));
    EXPECT_FALSE(QFile::exists(dir.path() + "/gps/gps0001.log"));
}

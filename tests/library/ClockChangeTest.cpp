// A camera clock correction applied while the list is shown: the recordings it concerns are
// dated, ordered and grouped by it at once, and their tracks read by it, without a restart.
#include "TestSupport.h"

#include "metadata/RVCameraClock.h"

TEST(ClockChange, ListedRecordingsAreReDatedAtOnce)
{
    QTemporaryDir dir;
    const QString card = dir.filePath("card");
    const QString named = card + "/DCIM/Movie/2024_0522_120000_001F.MP4";   // no track: its name
    const QString tracked = card + "/DCIM/Movie/2024_0522_120200_002F.MP4"; // camera-clock fixes
    const QString other = dir.filePath("other/clip.mp4"); // no rule: its file's date
    makeClip(named, 2);
    makeClip(tracked, 2);
    makeClip(other, 2);
    QFile otherFile(other);
    ASSERT_TRUE(otherFile.open(QIODevice::ReadWrite) &&
                otherFile.setFileTime(at("2024-05-22T14:00:00").toDateTime(),
                                      QFileDevice::FileModificationTime));
    otherFile.close();
    // Like a camera that writes its clock's time into its records: read by the present rule.
    const RVMetaDataSource source = [tracked](const QString& path) -> RVMetaDataReading {
        if (path != tracked)
            return {};
        RVMetaData meta;
        const RVTimestamp start = RVCameraClock::startFromName(path);
        for (int i = 0; i < 2; ++i)
            meta.points.emplace_back(
                "55.750000", "37.610000", 120.0, 90.0, 10.0,
                RVTimestamp::fromMSecsSinceEpoch(start.msecsSinceEpoch() + 1000 * i));
        meta.velocityData = {10.0, 10.0};
        return RVMetaDataReading(std::move(meta));
    };
    RVCameraClock::clearRules();
    const RVClockRule utc{"UTC", 0};
    RVCameraClock::setRule(card, RVCameraFamily::Novatek, utc);
    const auto list = idleList(source);
    list->addVideoFilesFrom(QStringList{card, other});
    list->waitForIdle();
    ASSERT_EQ(names(*list->videosData()),
              QStringList({"2024_0522_120000_001F.MP4", "2024_0522_120200_002F.MP4", "clip.mp4"}));

    // The camera's clock three hours behind: its recordings now come after the other one.
    RVCameraClock::setRule(card, RVCameraFamily::Novatek, RVClockRule{"UTC", 3 * 3600});
    list->cameraClockChanged();
    list->waitForIdle();
    const RVVideoDataList tree = *list->videosData();
    RVCameraClock::clearRules();
    ASSERT_EQ(names(tree),
              QStringList({"clip.mp4", "2024_0522_120000_001F.MP4", "2024_0522_120200_002F.MP4"}));
    EXPECT_EQ(tree[0]->created(), at("2024-05-22T14:00:00"));
    EXPECT_EQ(tree[1]->created(), at("2024-05-22T15:00:00"));
    EXPECT_EQ(tree[1]->files().front()->timeSource(), RVTimeSource::Name);
    EXPECT_EQ(tree[2]->created(), at("2024-05-22T15:02:00"));
    list->readGpsInfo(tree[2], false);
    ASSERT_TRUE(tree[2]->points() && tree[2]->points()->size() == 2u);
    EXPECT_EQ(tree[2]->points()->front().time(), at("2024-05-22T15:02:00"));
}

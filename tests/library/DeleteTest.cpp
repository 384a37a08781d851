// Deleting recordings with their companion files on real files.
#include "TestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVVolumeMonitor.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A folder of real clips, each with two companion files, and their tracks.
class CardFolder
{
public:
    // name -> first GPS time
    explicit CardFolder(std::initializer_list<std::pair<const char*, const char*>> recordings)
    {
        for (const auto& [name, time] : recordings) {
            const QString video = path(name);
            makeClip(video, 2);
            const QStringList companions = {video + ".gps", video + ".3gf"};
            for (const QString& companion : companions)
                writeFile(companion, "side data");
            meta.set(video, FakeMetaData::track({time}, companions));
        }
    }
    QString path(const QString& name) const { return dir.path() + "/DCIM/" + name; }
    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    QTemporaryDir dir;
    FakeMetaData meta;
};

std::unique_ptr<RVVideoList> listOf(CardFolder& card)
{
    return idleList(card.meta.source(), card.dir.path());
}

} // namespace

TEST(DeleteCommand, RecordingsGoWithTheirCompanionsAndTripsAreRegrouped)
{
    CardFolder card({{"A.MP4", "2015-01-01T10:00:00"},
                     {"B.MP4", "2015-01-01T10:00:02"},
                     {"C.MP4", "2015-01-01T12:00:00"}});
    auto list = listOf(card);
    ASSERT_EQ(names(*list->videosData()), QStringList({"A-B", "C.MP4"}));

    // A single recording is taken out of the top level at once, without regrouping.
    const RVDeleteResult result = list->removeVideoDataAndFiles(list->videosData()->back());
    EXPECT_EQ(result.deleted, QStringList{card.path("C.MP4")});
    EXPECT_TRUE(result.keptLocked.isEmpty());
    EXPECT_TRUE(result.failed.isEmpty());
    for (const char* name : {"C.MP4", "C.MP4.gps", "C.MP4.3gf"})
        EXPECT_FALSE(card.exists(name)) << name;
    EXPECT_EQ(names(*list->videosData()), QStringList{"A-B"});

    // Inside a trip the rest is regrouped.
    list->removeVideoDataAndFiles(list->videosData()->front()->children()[1]);
    list->waitForIdle();
    EXPECT_FALSE(card.exists("B.MP4"));
    EXPECT_FALSE(card.exists("B.MP4.gps"));
    EXPECT_TRUE(card.exists("A.MP4.gps"));
    ASSERT_EQ(names(*list->videosData()), QStringList{"A.MP4"});
    EXPECT_FALSE(list->videosData()->front()->isTrip());
    EXPECT_EQ(list->videosData()->front()->parent(), nullptr);
    EXPECT_EQ(list->videoFiles().size(), 1u);
}

TEST(DeleteCommand, LockedFilesStayOnDiskAndInTheLibrary)
{
    CardFolder card({{"A.MP4", "2015-01-01T10:00:00"},
                     {"B.MP4", "2015-01-01T10:00:02"},
                     {"C.MP4", "2015-01-01T10:00:04"},
                     {"D.MP4", "2015-01-01T10:00:06"}});
    auto list = listOf(card);
    ASSERT_EQ(list->videosData()->size(), 1u);
    const RVVideoDataPtr trip = list->videosData()->front();
    // B is locked through the program; D was locked on the card behind the program's back.
    ASSERT_TRUE(RVFileSystemUtil::changeMutabilityOfVideoFiles(trip->children()[1]->files(), true));
    ASSERT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(card.path("D.MP4"), true));
    ASSERT_FALSE(trip->files()[3]->locked());

    const RVDeleteResult result = list->removeVideoDataAndFiles(trip);
    EXPECT_EQ(result.deleted, QStringList({card.path("A.MP4"), card.path("C.MP4")}));
    EXPECT_EQ(result.keptLocked, QStringList({card.path("B.MP4"), card.path("D.MP4")}));
    EXPECT_TRUE(result.failed.isEmpty());
    for (const char* name : {"A.MP4", "A.MP4.gps", "C.MP4", "C.MP4.3gf"})
        EXPECT_FALSE(card.exists(name)) << name;
    for (const char* name : {"B.MP4", "B.MP4.gps", "B.MP4.3gf", "D.MP4", "D.MP4.gps"})
        EXPECT_TRUE(card.exists(name)) << name;
    EXPECT_TRUE(trip->files()[3]->locked());

    list->waitForIdle();
    // B and D are 4 s apart, each 2 s long: still a trip of their own.
    ASSERT_EQ(fileNames(*list->videosData()), QStringList{"B.MP4+D.MP4"});
    EXPECT_EQ(list->videoFiles().size(), 2u);
    EXPECT_EQ(list->videosData()->front()->lockState(), RVLockState::Locked);
}

TEST(DeleteCommand, CompanionsOfARecordingNotScannedYetAreDeletedToo)
{
    CardFolder card({{"A.MP4", "2015-01-01T10:00:00"}});
    auto list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                              card.meta.source(300));
    list->addVideoFilesFrom(card.dir.path());
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    const RVVideoDataPtr node = list->videosData()->front();
    list->removeVideoDataAndFiles(node);
    EXPECT_FALSE(card.exists("A.MP4"));
    EXPECT_FALSE(card.exists("A.MP4.gps"));
    EXPECT_FALSE(card.exists("A.MP4.3gf"));
    list->waitForIdle();
    EXPECT_TRUE(list->videosData()->empty());
    EXPECT_TRUE(list->videoFiles().empty());
}

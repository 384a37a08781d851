// Deleting recordings with their companion files on real files.
#include "TestSupport.h"

#include "library/RVFileSystemUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// Real clips below DCIM/, each with two companion files and a track starting at a given time.
struct CardFolder
{
    CardFolder(std::initializer_list<std::pair<const char*, const char*>> recordings)
    {
        for (const auto& [name, time] : recordings) {
            const QStringList companions = {path(name) + ".gps", path(name) + ".3gf"};
            makeClip(path(name), 2);
            for (const QString& companion : companions)
                writeFile(companion, "side data");
            meta.set(path(name), FakeMetaData::track({time}, companions));
        }
    }
    QString path(const QString& name) const { return dir.path() + "/DCIM/" + name; }
    void expectOnDisk(std::initializer_list<const char*> names, bool present) const
    {
        for (const char* name : names)
            EXPECT_EQ(QFile::exists(path(name)), present) << name;
    }

    QTemporaryDir dir;
    FakeMetaData meta;
};

} // namespace

TEST(DeleteCommand, CompanionsGoLockedFilesStayAndTripsAreRegrouped)
{
    CardFolder card({{"A.MP4", "2015-01-01T10:00:00"},
                     {"B.MP4", "2015-01-01T10:00:02"},
                     {"C.MP4", "2015-01-01T10:00:04"},
                     {"D.MP4", "2015-01-01T10:00:06"},
                     {"E.MP4", "2015-01-01T12:00:00"}});
    const auto list = idleList(card.meta.source(), card.dir.path());
    ASSERT_EQ(names(*list->videosData()), QStringList({"A-D", "E.MP4"}));

    // A single recording leaves the top level at once, without regrouping.
    RVDeleteResult result = list->removeVideoDataAndFiles(list->videosData()->back());
    EXPECT_EQ(result.deleted, QStringList{card.path("E.MP4")});
    EXPECT_TRUE(result.keptLocked.isEmpty() && result.failed.isEmpty());
    card.expectOnDisk({"E.MP4", "E.MP4.gps", "E.MP4.3gf"}, false);
    EXPECT_EQ(names(*list->videosData()), QStringList{"A-D"});

    // B is locked through the program; D was locked on the card behind its back.
    const RVVideoDataPtr trip = list->videosData()->front();
    ASSERT_TRUE(RVFileSystemUtil::changeMutabilityOfVideoFiles(trip->children()[1]->files(), true));
    ASSERT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(card.path("D.MP4"), true));
    result = list->removeVideoDataAndFiles(trip);
    EXPECT_EQ(result.deleted, QStringList({card.path("A.MP4"), card.path("C.MP4")}));
    EXPECT_EQ(result.keptLocked, QStringList({card.path("B.MP4"), card.path("D.MP4")}));
    EXPECT_TRUE(result.failed.isEmpty());
    card.expectOnDisk({"A.MP4", "A.MP4.gps", "C.MP4", "C.MP4.3gf"}, false);
    card.expectOnDisk({"B.MP4", "B.MP4.gps", "B.MP4.3gf", "D.MP4", "D.MP4.gps"}, true);
    EXPECT_TRUE(trip->files()[3]->locked());
    list->waitForIdle();
    // B and D are 4 s apart, each 2 s long: still a trip.
    ASSERT_EQ(names(*list->videosData(), true), QStringList{"B.MP4+D.MP4"});
    EXPECT_EQ(list->videosData()->front()->lockState(), RVLockState::Locked);

    // Inside a trip the rest is regrouped: B falls apart into a single recording.
    ASSERT_TRUE(list->changeMutabilityOfVideoData(list->videosData()->front(), false));
    list->removeVideoDataAndFiles(list->videosData()->front()->children()[1]);
    list->waitForIdle();
    card.expectOnDisk({"D.MP4", "D.MP4.gps"}, false);
    card.expectOnDisk({"B.MP4.gps"}, true);
    ASSERT_EQ(names(*list->videosData()), QStringList{"B.MP4"});
    EXPECT_EQ(list->videosData()->front()->parent(), nullptr);
    EXPECT_EQ(list->videoFiles().size(), 1u);
}

TEST(DeleteCommand, CompanionsOfARecordingNotScannedYetAreDeletedToo)
{
    CardFolder card({{"A.MP4", "2015-01-01T10:00:00"}});
    const auto list = idleList(card.meta.source(300));
    list->addVideoFilesFrom(card.dir.path());
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    list->removeVideoDataAndFiles(list->videosData()->front());
    card.expectOnDisk({"A.MP4", "A.MP4.gps", "A.MP4.3gf"}, false);
    list->waitForIdle();
    EXPECT_TRUE(list->videosData()->empty());
    EXPECT_TRUE(list->videoFiles().empty());
}

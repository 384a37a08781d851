// Lock and delete take every side file with the recording, and a delete that the card refuses
// is reported, never counted as done.
#include "TestSupport.h"

namespace {

RVVideoDataPtr onlyRecording(const RVVideoList& list)
{
    const RVVideoDataList top = *list.videosData();
    return top.size() == 1 ? top.front() : nullptr;
}

} // namespace

// BlackVue's .gps and .3gf and the Mini's shared log: RecordingViews.LockAndDeleteActOnEveryView.
TEST(SideFiles, KorvelaSideTextsAreLockedAndDeletedWithTheRecording)
{
    const QByteArray rmc = "$GPRMC,221450.00,A,5545.1234,N,03736.5678,E,10.0,90.0,080717,,,A*7A\n";
    struct Family
    {
        const char* name;
        const char* video;
        std::vector<const char*> sideFiles;
    };
    const Family families[] = {
        // Both texts go: the one beside would give a later FILE0001 this drive's track.
        {"Korvela", "VIDEO/FILE0001.MOV", {"INFO/FILE0001.txt", "VIDEO/FILE0001.txt"}},
        {"Korvela beside", "VIDEO/FILE0002.MOV", {"VIDEO/FILE0002.txt"}},
    };
    for (const Family& family : families) {
        QTemporaryDir dir;
        const auto at = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
        makeClip(at(family.video), 2);
        for (const char* side : family.sideFiles)
            writeFile(at(side), rmc);
        const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());
        ASSERT_TRUE(onlyRecording(*list)) << family.name;
        const auto expectSideFiles = [&](bool locked, bool present, const char* step) {
            for (const char* side : family.sideFiles)
                EXPECT_EQ(std::pair(FS::isFileLocked(at(side)), QFile::exists(at(side))),
                          std::pair(locked, present))
                    << family.name << " " << side << " " << step;
        };
        ASSERT_TRUE(list->changeMutabilityOfVideoData(onlyRecording(*list), true));
        expectSideFiles(true, true, "locked");
        ASSERT_TRUE(list->changeMutabilityOfVideoData(onlyRecording(*list), false));
        expectSideFiles(false, true, "unlocked");
        const RVDeleteResult result = list->removeVideoDataAndFiles(onlyRecording(*list));
        EXPECT_EQ(result.deleted, QStringList{at(family.video)}) << family.name;
        expectSideFiles(false, false, "deleted");
    }
}

// A card that answers with errors: the folder of a listed recording now resolves to a link
// loop, so every call on the file fails with something other than "no such file".
TEST(SideFiles, DeleteThatTheCardRefusesIsReportedAndTheRecordingStays)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("DCIM");
    const QString video = folder + "/CLIP0001.MP4";
    makeClip(video, 2);
    const auto list = idleList(FakeMetaData().source(), dir.path());
    ASSERT_TRUE(onlyRecording(*list));
    ASSERT_TRUE(QDir().rename(folder, folder + "-away") && QFile::link("DCIM", folder));

    EXPECT_FALSE(FS::removeFileAtPath(video));
    EXPECT_TRUE(FS::fileExists(video)); // not known to be gone
    const RVDeleteResult result = list->removeVideoDataAndFiles(onlyRecording(*list));
    EXPECT_EQ(std::pair(result.deleted, result.failed),
              std::pair(QStringList(), QStringList{video}));
    EXPECT_TRUE(onlyRecording(*list));

    // The card answers again: the recording was there all along and deletes now.
    ASSERT_TRUE(QFile::remove(folder) && QDir().rename(folder + "-away", folder));
    EXPECT_EQ(list->removeVideoDataAndFiles(onlyRecording(*list)).deleted, QStringList{video});
    EXPECT_FALSE(QFile::exists(video));
}

// Deleting one recording may read every other recording's metadata (to find the side files
// they share): on the list's workers, never on the thread that asked, whose loop gets the
// result.
TEST(SideFiles, DeleteInTheBackgroundReadsNothingOnTheCallersThread)
{
    QTemporaryDir dir;
    FakeMetaData meta;
    for (const char* name : {"A.MP4", "B.MP4", "C.MP4"}) {
        const QString video = dir.filePath(QString("DCIM/") + name);
        makeClip(video, 2);
        writeFile(video + ".gps", "side data");
        meta.set(video, {"10:00:00"}, {video + ".gps"});
    }
    const Qt::HANDLE caller = QThread::currentThreadId();
    std::atomic<int> readsHere{0};
    const RVMetaDataSource counted = [&, source = meta.source()](const QString& path) {
        if (QThread::currentThreadId() == caller)
            ++readsHere;
        return source(path);
    };
    auto list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), counted);
    list->waitForIdle();
    // Deleted while the others' metadata may not be read yet.
    list->addVideoFilesFrom(dir.filePath("DCIM"));
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    const RVVideoDataPtr a = recordingAt(*list->videosData(), dir.filePath("DCIM/A.MP4"));
    ASSERT_TRUE(a);
    std::optional<RVDeleteResult> result;
    list->removeVideoDataAndFilesInBackground(a, [&](const RVDeleteResult& r) {
        EXPECT_EQ(QThread::currentThreadId(), caller);
        result = r;
    });
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
    EXPECT_EQ(result->deleted, QStringList{dir.filePath("DCIM/A.MP4")});
    EXPECT_FALSE(QFile::exists(dir.filePath("DCIM/A.MP4.gps")));
    EXPECT_EQ(readsHere, 0);
}

// A card swapped for another at the same path while the list is shown: the same names then
// name other recordings, and nothing may be locked, deleted or played by the old list.
#include "TestSupport.h"

#include "core/platform/RVPlatformFile.h"
#include "library/RVListedCheck.h"

namespace {

// One recording file, as a folder walk lists it.
RVVideoFilePtr listed(const QString& path)
{
    RVVideoFileList files;
    FS::scanVideoFilesFrom(path, files);
    return files.empty() ? nullptr : files.front();
}

// The card's recording i (1 to 4).
QString video(const QString& card, int i)
{
    return card + QStringLiteral("/DCIM/100MEDIA/FILE000%1.MOV").arg(i);
}

// Writes the card's four recordings and their side files; `fill` makes the cards differ.
void writeCard(const QString& card, char fill, int bytes)
{
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(writeFile(video(card, i), QByteArray(bytes + i, fill)));
        ASSERT_TRUE(writeFile(video(card, i) + ".gps", QByteArray(1, fill)));
    }
}

} // namespace

TEST(CardChange, ListedCheckTellsWhatChanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("FILE0001.MOV");
    ASSERT_TRUE(writeFile(path, "recording"));
    const RVVideoFilePtr file = listed(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(checkListedRecording(*file).change, RVListedChange::None);

    // Another file of the same size moved over the name (made first, so its inode is new).
    ASSERT_TRUE(writeFile(path + ".new", "RECORDING"));
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(path + ".new", path));
    RVListedCheck check = checkListedRecording(*file);
    EXPECT_EQ(check.change, RVListedChange::OtherFile);
    EXPECT_EQ(check.path, path);

    // The same file grown since it was listed.
    const RVVideoFilePtr again = listed(path);
    ASSERT_TRUE(again);
    EXPECT_FALSE(checkListedRecording(*again).changed());
    // The same name, file number and size seen on another mount: the card came back.
    ASSERT_EQ(again->mountIds().size(), 1u);
    const RVVideoFile remounted(again->views(), 1, {}, false, again->fileIds(), again->fileSizes(),
                                {again->mountIds()[0] + 1});
    EXPECT_EQ(checkListedRecording(remounted).change, RVListedChange::Remounted);
    QFile grow(path);
    ASSERT_TRUE(grow.open(QIODevice::Append) && grow.write("more") == 4);
    grow.close();
    EXPECT_EQ(checkListedRecording(*again).change, RVListedChange::Resized);

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(checkListedRecording(*again).change, RVListedChange::Missing);

    // Every view counts: a recording whose rear view was replaced is another recording.
    const QString front = dir.filePath("20150101_100000_NF.mp4");
    const QString rear = dir.filePath("20150101_100000_NR.mp4");
    ASSERT_TRUE(writeFile(front, "front") && writeFile(rear, "rear"));
    const RVVideoFilePtr both = listed(dir.path());
    ASSERT_TRUE(both && both->views().size() == 2);
    ASSERT_TRUE(writeFile(rear + ".new", "REAR") && QFile::remove(rear) &&
                QFile::rename(rear + ".new", rear));
    check = checkListedRecording(*both);
    EXPECT_EQ(check.change, RVListedChange::OtherFile);
    EXPECT_EQ(check.path, rear);
}

TEST(CardChange, SwappedCardIsReadAgainNeverActedOn)
{
    for (const bool mounted : {false, true}) {
        SCOPED_TRACE(mounted ? "mounted card" : "folder added by hand");
        QTemporaryDir dir;
        const QString card = dir.filePath("card");
        writeCard(card, 'a', 100);
        FakeMetaData meta;
        for (int i = 1; i <= 4; ++i)
            meta.set(video(card, i), {QStringLiteral("10:0%1:00").arg(i)},
                     {video(card, i) + ".gps"});
        const auto list =
            mounted ? std::make_unique<RVVideoList>(
                          std::make_unique<RVStaticVolumeMonitor>(QStringList{card}), meta.source())
                    : idleList(meta.source(), card);
        list->waitForIdle();
        ASSERT_EQ(list->videoFiles().size(), 4u);
        const RVVideoDataList before = *list->videosData();
        ASSERT_EQ(before.size(), 4u); // a minute apart: four single recordings
        for (const RVVideoDataPtr& node : before)
            list->readGpsInfo(node, false); // companions known, as after the background scan
        // A second card beside it, which reading the swapped one again must leave listed.
        const QString other = dir.filePath("other");
        writeCard(other, 'c', 300);
        list->addVideoFilesFrom(other);
        list->waitForIdle();

        // Card A out, card B in at the same path: the same names, other files.
        ASSERT_TRUE(QDir().rename(card, dir.filePath("cardA")));
        writeCard(card, 'b', 200);

        // Nothing is acted on by the old list, and the user's files all stay.
        EXPECT_FALSE(list->changeMutabilityOfVideoData(before[0], true));
        const RVDeleteResult deleted = list->removeVideoDataAndFiles(before[1]);
        EXPECT_EQ(deleted.changed.change, RVListedChange::OtherFile);
        EXPECT_TRUE(deleted.deleted.isEmpty());
        std::optional<RVListedCheck> playCheck;
        list->checkVideoDataInBackground(before[2],
                                         [&](const RVListedCheck& check) { playCheck = check; });
        ASSERT_TRUE(waitFor([&] { return playCheck.has_value(); }));
        EXPECT_TRUE(playCheck->changed());
        for (int i = 1; i <= 4; ++i) {
            for (const QString& path : {video(card, i), video(card, i) + ".gps"}) {
                EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
                EXPECT_NE(RVPlatformFile::isLocked(path), std::optional<bool>(true))
                    << path.toStdString();
            }
        }

        // The list was read again: card B's four recordings, each as it is now, and the other
        // card's four as they were.
        list->waitForIdle();
        const RVVideoFileList now = list->videoFiles();
        ASSERT_EQ(now.size(), 8u);
        for (const RVVideoFilePtr& file : now) {
            EXPECT_FALSE(checkListedRecording(*file).changed()) << file->filePath().toStdString();
            const std::uint64_t size = file->filePath().startsWith(other + '/') ? 300 : 200;
            EXPECT_EQ(file->fileSizes(),
                      std::vector{size + std::uint64_t(file->fileName()[7].digitValue())});
        }
        // ...and by the new list the commands work.
        const RVVideoDataPtr fresh = list->videosData()->front();
        EXPECT_FALSE(list->checkVideoData(fresh).changed());
        ASSERT_TRUE(list->changeMutabilityOfVideoData(fresh, true));
        ASSERT_TRUE(list->changeMutabilityOfVideoData(fresh, false));
        EXPECT_EQ(list->removeVideoDataAndFiles(fresh).deleted.size(), 1);
        EXPECT_FALSE(QFile::exists(fresh->files().front()->filePath()));
        list->waitForIdle();
        EXPECT_EQ(list->videoFiles().size(), 7u);
    }
}

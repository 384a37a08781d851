// A card of real BlackVue side files beside generated clips, read through the metadata
// layer's dispatcher: dates from the tracks, grouping by them, deletion of the side files.
#include "RealData.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// Clips named stem + each suffix in folder, beside the real side files of each stem.
void makeRecordings(const QString& folder, std::initializer_list<const char*> stems,
                    std::initializer_list<const char*> suffixes = {""})
{
    for (const char* stem : stems) {
        for (const char* suffix : suffixes)
            makeClip(folder + stem + suffix + ".mp4", 2);
        for (const char* extension : {".gps", ".3gf"})
            ASSERT_TRUE(QFile::copy(RealData::path("blackvue-dr650s/") + stem + extension,
                                    folder + stem + extension));
    }
}

} // namespace

TEST(RealBlackVueCard, TrackTimesDateAndGroupTheRecordings)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    QTemporaryDir dir;
    const QString record = dir.path() + "/DCIM/Record/";
    // In the order a camera writes them, but the parking clip with an empty track last, so
    // that its file date is the newest.
    makeRecordings(record, {"20170708_221449_N", "20170709_080018_N", "20170709_084652_P",
                            "20170709_084737_E", "20170709_085648_N", "20170709_080522_P"});
    const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());

    const RVVideoDataList tree = *list->videosData();
    ASSERT_EQ(names(tree), QStringList({"20170708_221449_N.mp4", "20170709_080018_N.mp4",
                                        "20170709_084652_P-737_E", "20170709_085648_N.mp4",
                                        "20170709_080522_P.mp4"}));
    EXPECT_EQ(tree[0]->created(), at("2017-07-08T19:14:50"));
    // A receiver without a fix: the first sentences have no time; the first that has counts.
    ASSERT_FALSE(tree[1]->points()->front().time().isValid());
    EXPECT_EQ(tree[1]->created(), at("2017-07-09T05:00:46"));
    // The event clip begins with a stale fix, 6 s after the parking clip's start: one trip.
    EXPECT_EQ(tree[2]->created(), at("2017-07-09T05:46:52"));
    EXPECT_EQ(tree[2]->children()[1]->created(), at("2017-07-09T05:46:58"));
    // An empty track is no BlackVue track: the clip keeps the date of its file.
    EXPECT_GT(tree[4]->created(), at("2026-01-01T00:00:00"));
    EXPECT_EQ(tree[4]->relatedFiles(), std::nullopt);

    // Deleting the trip takes the side files with it.
    list->removeVideoDataAndFiles(tree[2]);
    for (const char* stem : {"20170709_084652_P", "20170709_084737_E"}) {
        for (const char* extension : {".mp4", ".gps", ".3gf"})
            EXPECT_FALSE(QFile::exists(record + stem + extension)) << stem << extension;
    }
    EXPECT_TRUE(QFile::exists(record + "20170709_085648_N.gps"));
    list->waitForIdle();
    EXPECT_EQ(list->videosData()->size(), 4u);
}

TEST(RealBlackVueCard, BothCamerasOfAMinuteAreOneRecordingWithTheSharedTrack)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    // As the camera writes them: one pair of side files per minute, named without the
    // channel letter of the front and rear videos.
    QTemporaryDir dir;
    makeRecordings(dir.path() + "/BlackVue/Record/", {"20170708_221449_N", "20170709_080018_N"},
                   {"F", "R"});
    const auto list = idleList(RVVideoList::defaultMetaDataSource(), dir.path());
    const RVVideoDataList tree = *list->videosData();
    ASSERT_EQ(names(tree), QStringList({"20170708_221449_NF.mp4", "20170709_080018_NF.mp4"}));
    for (const RVVideoDataPtr& node : tree) {
        const RVVideoFilePtr& file = node->files()[0];
        ASSERT_EQ(file->views().size(), 2u);
        EXPECT_EQ(file->views()[1].channel, RVChannel::Rear);
        EXPECT_EQ(file->mode(), RVRecordingMode::Normal);
        ASSERT_TRUE(node->points() && node->gSensorData());
        EXPECT_FALSE(node->points()->empty() || node->gSensorData()->empty());
    }
    EXPECT_EQ(tree[0]->created(), at("2017-07-08T19:14:50"));
}

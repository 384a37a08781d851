// Scans, reads and commands at the same time: nothing half-built is ever seen, and a scan
// overtaken by a later change does not bring removed recordings back.
#include "TestSupport.h"

#include <algorithm>
#include <random>
#include <set>
#include <thread>

namespace {

// n clips in one folder; recording i has 1 + i % 5 points, and by their tracks every three
// consecutive ones form a trip.
FakeMetaData makeFolder(const QString& folder, int n)
{
    FakeMetaData meta;
    for (int i = 0; i < n; ++i) {
        const QString path = folder + QString("/R%1.MP4").arg(i, 3, 10, QLatin1Char('0'));
        makeClip(path, 2);
        QStringList times;
        for (int p = 0; p <= i % 5; ++p)
            times.append(QString("%1:00:0%2.00%3").arg(10 + i / 3).arg(i % 3 * 2).arg(p));
        meta.set(path, times);
    }
    return meta;
}

// A node's series, when read, hold exactly its recordings' samples, and their points with a
// speed each; a trip grouped by file dates, whose recordings may follow in any order, leaves
// out the points that would make its track run backwards.
void expectComplete(const RVVideoDataPtr& node)
{
    const RVSeries series = node->series();
    std::size_t expected = 0;
    for (const RVVideoFilePtr& file : node->files())
        expected += 1 + std::size_t(file->fileName().mid(1, 3).toInt() % 5);
    EXPECT_TRUE(
        !series.points ||
        (series.points->size() <= expected && series.gSensorData->size() == expected &&
         series.velocityData->size() == series.points->size() &&
         std::is_sorted(series.points->begin(), series.points->end(),
                        [](const RVPoint& a, const RVPoint& b) { return a.time() < b.time(); })))
        << node->name().toStdString();
}

} // namespace

TEST(Concurrency, CommandsDuringScansNeverShowHalfBuiltStateOrLostRemovals)
{
    QTemporaryDir dir;
    const FakeMetaData meta = makeFolder(dir.path(), 30);
    const auto list = idleList(meta.source(2));
    list->addVideoFilesFrom(dir.path());
    // Threads of their own read the first trip while the scan reads its recordings. A tree once
    // shown is never empty: every rebuild publishes a whole new one.
    ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t, first = list->videosData()->front()] {
            list->readGpsInfo(first, t % 2 == 0);
            expectComplete(first);
        });
    std::mt19937 random(12345);
    std::set<RVVideoFilePtr> removed; // owned, so that no new record takes a removed address
    for (int round = 0; round <= 60; ++round) {
        waitFor([] { return false; }, 15);
        const RVVideoDataList tree = *list->videosData();
        for (const RVVideoDataPtr& node : tree) {
            expectComplete(node);
            for (const RVVideoDataPtr& child : node->children())
                expectComplete(child);
        }
        const RVVideoDataPtr node = tree[random() % tree.size()];
        const unsigned action = round == 60 ? 2 : random() % 5;
        if (action == 0 || action == 3) // a node or the last recording of a trip
            list->readGpsInfoInBackground(action == 3 && node->isTrip() ? node->children().back()
                                                                        : node);
        else if (action == 1)
            list->sortVideoList({{RVSortKey::Field::Name, false}});
        else if (action == 4 && round == 30)
            list->addVideoFilesFrom(dir.path() + "/R001.MP4"); // a second record of one file
        // The last round removes a node, so that the last scan's grouping is what stays.
        if (action == 2 && round % 4 == 0) {
            removed.insert(node->files().begin(), node->files().end());
            list->removeVideoData(node);
        }
    }
    for (std::thread& reader : readers)
        reader.join();
    list->waitForIdle();

    // The final tree is the grouping of exactly the files left, oldest first.
    std::multiset<const RVVideoFile*> inTree, left;
    RVTimestamp previous;
    for (const RVVideoDataPtr& node : *list->videosData()) {
        EXPECT_GE(node->created(), previous);
        previous = node->created();
        expectComplete(node);
        for (const RVVideoFilePtr& file : node->files())
            inTree.insert(file.get());
    }
    for (const RVVideoFilePtr& file : list->videoFiles()) {
        left.insert(file.get());
        EXPECT_FALSE(removed.contains(file));
    }
    EXPECT_EQ(inTree, left);
}

TEST(Concurrency, DestroyingTheListWhileItWorksJoinsItsThreads)
{
    QTemporaryDir dir;
    const FakeMetaData meta = makeFolder(dir.path(), 12);
    for (int i = 0; i < 3; ++i) {
        auto list = idleList(meta.source(5));
        list->addVideoFilesFrom(dir.path());
        ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
        list->readGpsInfoInBackground(list->videosData()->front());
        list.reset();
        const int reads = *meta.reads;
        waitFor([] { return false; }, 50);
        EXPECT_EQ(*meta.reads, reads); // nothing is read once the list is gone
    }
}

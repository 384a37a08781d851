// Scans, reads and commands at the same time: nothing half-built is ever seen, a node is read
// once, and a scan overtaken by a later change does not bring removed recordings back.
#include "TestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "library/RVWorkerPool.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <thread>

using namespace testsupport;

namespace {

// Track length of recording i: differs per recording so joins can be checked.
int pointsOf(int i)
{
    return 1 + i % 5;
}

// n recordings in one folder: every three consecutive ones form a trip (2 s apart).
FakeMetaData makeFolder(const QString& folder, int n)
{
    FakeMetaData meta;
    QDateTime start = QDateTime(QDate(2015, 1, 1), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < n; ++i) {
        const QString path = folder + QStringLiteral("/R%1.MP4").arg(i, 3, 10, QLatin1Char('0'));
        makeClip(path, 2);
        const QDateTime begin = start.addSecs(qint64(i / 3) * 3600 + (i % 3) * 2);
        RVMetaData data;
        for (int p = 0; p < pointsOf(i); ++p) {
            const RVTimestamp t = RVTimestamp::fromDateTime(begin.addMSecs(p * 100));
            data.points.emplace_back("1.000000", "2.000000", 0.0, 0.0, 1.0, t);
            data.velocityData.push_back(1.0);
            data.gSensorData.emplace_back(0, 0, 0, 0, RVSensorLabel::instant(t));
        }
        meta.set(path, std::move(data));
    }
    return meta;
}

int indexOf(const RVVideoFilePtr& file)
{
    return file->fileName().mid(1, 3).toInt();
}

// A node's series, when read, hold exactly its recordings' points, in file order.
void expectComplete(const RVVideoDataPtr& node)
{
    const RVSeries series = node->series();
    if (!series.points)
        return;
    ASSERT_NE(series.gSensorData, nullptr);
    ASSERT_NE(series.velocityData, nullptr);
    std::size_t expected = 0;
    for (const RVVideoFilePtr& file : node->files())
        expected += std::size_t(pointsOf(indexOf(file)));
    EXPECT_EQ(series.points->size(), expected) << node->name().toStdString();
    EXPECT_EQ(series.gSensorData->size(), expected);
    EXPECT_EQ(series.velocityData->size(), expected);
}

} // namespace

TEST(Concurrency, SimultaneousReadsOfOneTripReadEachFileOnce)
{
    QTemporaryDir dir;
    FakeMetaData meta = makeFolder(dir.path(), 9);
    RVVideoList list(std::make_unique<RVStaticVolumeMonitor>(), meta.source(20));
    list.waitForIdle();

    RVVideoFileList files;
    for (int i = 0; i < 9; ++i)
        files.push_back(std::make_shared<RVVideoFile>(
            dir.path() + QStringLiteral("/R%1.MP4").arg(i, 3, 10, QLatin1Char('0')), 2.0f,
            RVTimestamp::fromMSecsSinceEpoch(i * 2000), false));
    RVVideoDataList children = RVVideoList::wrapFilesWithVideoData(files);
    const RVVideoDataPtr trip = RVVideoData::create("trip", 18, {}, files, children);

    std::vector<std::thread> readers;
    for (int t = 0; t < 6; ++t) {
        readers.emplace_back([&, t] {
            // Some start with a child, as the scan does, and then read the whole trip.
            list.readGpsInfo(children[std::size_t(t)], t % 2 == 0);
            list.readGpsInfo(trip, true);
            expectComplete(trip);
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(meta.reads(), 9);
    expectComplete(trip);
    // Whatever was published last is one node's complete series.
    const RVSeries published = list.publishedSeries();
    bool known = published.points == trip->points();
    for (const RVVideoDataPtr& child : children)
        known = known || published.points == child->points();
    EXPECT_TRUE(known);
}

TEST(Concurrency, CommandsDuringScansNeverShowHalfBuiltStateOrLostRemovals)
{
    QTemporaryDir dir;
    const int n = 30;
    FakeMetaData meta = makeFolder(dir.path() + "/a", n);
    RVVideoList list(std::make_unique<RVStaticVolumeMonitor>(), meta.source(2));
    list.waitForIdle();
    list.addVideoFilesFrom(dir.path() + "/a");

    std::mt19937 random(12345);
    // Shared pointers, so that no new record can take a removed one's address.
    std::set<RVVideoFilePtr> removed;
    int publications = 0;
    QObject::connect(&list, &RVVideoList::metaInfoUpdated, &list, [&] {
        ++publications;
        const RVSeries series = list.publishedSeries();
        ASSERT_NE(series.points, nullptr);
        EXPECT_EQ(series.points->size(), series.velocityData->size());
        EXPECT_EQ(series.points->size(), series.gSensorData->size());
    });

    for (int round = 0; round < 60; ++round) {
        waitFor([] { return false; }, 15);
        const std::shared_ptr<const RVVideoDataList> tree = list.videosData();
        for (const RVVideoDataPtr& node : *tree) {
            expectComplete(node);
            for (const RVVideoDataPtr& child : node->children())
                expectComplete(child);
        }
        if (tree->empty())
            continue;
        const RVVideoDataPtr node = (*tree)[random() % tree->size()];
        switch (random() % 5) {
        case 0:
            list.readGpsInfoInBackground(node);
            break;
        case 1:
            list.sortVideoList({{RVSortKey::Field::Name, false}});
            break;
        case 2:
            if (round % 8 == 0) {
                for (const RVVideoFilePtr& file : node->files())
                    removed.insert(file);
                list.removeVideoData(node);
            }
            break;
        case 3:
            list.readGpsInfoInBackground(node->children().empty() ? node : node->children().back());
            break;
        case 4:
            // Re-adding a folder appends new records for the same files.
            if (round == 30)
                list.addVideoFilesFrom(dir.path() + "/a/R001.MP4");
            break;
        }
    }
    // A last change, so that the last scan's grouping (oldest first) is what stays.
    const std::shared_ptr<const RVVideoDataList> before = list.videosData();
    ASSERT_FALSE(before->empty());
    for (const RVVideoFilePtr& file : before->back()->files())
        removed.insert(file);
    list.removeVideoData(before->back());
    list.waitForIdle();
    QCoreApplication::processEvents();

    // The final tree is the grouping of exactly the files left, oldest first.
    const RVVideoFileList left = list.videoFiles();
    std::multiset<const RVVideoFile*> inTree;
    RVTimestamp previous;
    for (const RVVideoDataPtr& node : *list.videosData()) {
        EXPECT_GE(node->created(), previous);
        previous = node->created();
        expectComplete(node);
        for (const RVVideoFilePtr& file : node->files())
            inTree.insert(file.get());
    }
    std::multiset<const RVVideoFile*> expected;
    for (const RVVideoFilePtr& file : left) {
        expected.insert(file.get());
        EXPECT_FALSE(removed.contains(file));
    }
    EXPECT_EQ(inTree, expected);
}

TEST(Concurrency, DestroyingTheListWhileItWorksJoinsItsThreads)
{
    QTemporaryDir dir;
    FakeMetaData meta = makeFolder(dir.path(), 12);
    auto destroyed = std::make_shared<std::atomic<bool>>(false);
    auto lateReads = std::make_shared<std::atomic<int>>(0);
    RVMetaDataSource slow = meta.source(5);
    RVMetaDataSource watched = [=](const QString& path) {
        if (*destroyed)
            ++*lateReads;
        return slow(path);
    };
    for (int i = 0; i < 3; ++i) {
        *destroyed = false;
        auto list =
            std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), watched);
        list->addVideoFilesFrom(dir.path());
        ASSERT_TRUE(waitFor([&] { return !list->videosData()->empty(); }));
        list->readGpsInfoInBackground(list->videosData()->front());
        list.reset();
        *destroyed = true;
    }
    waitFor([] { return false; }, 100);
    EXPECT_EQ(*lateReads, 0);
}

TEST(WorkerPool, RunsEveryJobOnAtMostItsThreadsAndWaitsForJobsQueuedByJobs)
{
    std::atomic<int> done{0};
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    {
        std::function<void(int)> job; // outlives the pool, whose destructor still runs jobs
        RVWorkerPool pool(3);
        job = [&](int depth) {
            const int now = ++running;
            int seen = mostAtOnce.load();
            while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (depth < 3)
                pool.start([&job, depth] { job(depth + 1); });
            --running;
            ++done;
        };
        for (int i = 0; i < 10; ++i)
            pool.start([&job] { job(0); });
        pool.waitForDone();
        EXPECT_EQ(done, 40);
        EXPECT_LE(mostAtOnce, 3);
        EXPECT_GE(mostAtOnce, 2);
        for (int i = 0; i < 5; ++i)
            pool.start([&job] { job(3); });
        // The destructor finishes what was queued, then joins.
    }
    EXPECT_EQ(done, 45);
}

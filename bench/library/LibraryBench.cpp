// The library on a card of 1,000 generated Korvela recordings (tools/make-demo-card --many):
// time until the tree with every duration is shown, time until the metadata scan has
// regrouped it, the same durations measured by running ffprobe once per file, and the heap
// the list holds (and peaks at) with every recording's metadata read.
//
// The card is made once in $KORVELA_BENCH_CARD (default /tmp/korvela-bench-card-1000) and
// reused, so the page cache is warm after the first iteration.

#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kRecordings = 1000;

QString cardPath()
{
    const char* configured = std::getenv("KORVELA_BENCH_CARD");
    return configured ? QString::fromLocal8Bit(configured)
                      : QStringLiteral("/tmp/korvela-bench-card-%1").arg(kRecordings);
}

// Makes the card on first use; false (with the reason on stderr) when that fails.
bool ensureCard()
{
    static const bool ready = [] {
        const QString card = cardPath();
        if (QDir(card + "/DCIM").exists())
            return true;
        QProcess maker;
        maker.setProcessChannelMode(QProcess::ForwardedChannels);
        maker.start(QStringLiteral("python3"),
                    {QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card"),
                     QStringLiteral("--many"), QString::number(kRecordings), card});
        return maker.waitForFinished(-1) && maker.exitCode() == 0;
    }();
    return ready;
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

std::unique_ptr<RVVideoList> makeList()
{
    auto list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                              RVVideoList::defaultMetaDataSource());
    list->waitForIdle();
    return list;
}

std::size_t filesInTree(const RVVideoList& list)
{
    std::size_t files = 0;
    for (const RVVideoDataPtr& node : *list.videosData())
        files += node->files().size();
    return files;
}

using Clock = std::chrono::steady_clock;

void BM_TreeWithDurations(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    std::size_t measured = 0;
    for (auto _ : state) {
        auto list = makeList();
        const auto began = Clock::now();
        list->addVideoFilesFrom(cardPath());
        while (filesInTree(*list) < kRecordings)
            QThread::usleep(200);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - began).count());
        measured = 0;
        for (const RVVideoFilePtr& file : list->videoFiles())
            measured += std::isnan(file->duration()) ? 0 : 1;
    }
    state.counters["recordings"] = double(kRecordings);
    state.counters["durations"] = double(measured);
}
BENCHMARK(BM_TreeWithDurations)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TreeAfterMetadataScan(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    std::size_t nodes = 0;
    for (auto _ : state) {
        auto list = makeList();
        const auto began = Clock::now();
        list->addVideoFilesFrom(cardPath());
        list->waitForIdle();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - began).count());
        nodes = list->videosData()->size();
    }
    state.counters["topLevelNodes"] = double(nodes);
}
BENCHMARK(BM_TreeAfterMetadataScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// What a player that asked ffprobe for every duration would wait for.
void BM_FfprobeOncePerFile(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    RVVideoFileList files;
    RVFileSystemUtil::scanVideoFilesFrom(cardPath(), files);
    for (auto _ : state) {
        for (const RVVideoFilePtr& file : files) {
            QProcess probe;
            probe.start(QStringLiteral("ffprobe"),
                        {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                         file->filePath()});
            probe.waitForFinished(-1);
            benchmark::DoNotOptimize(probe.readAllStandardOutput().toDouble());
        }
    }
    state.counters["recordings"] = double(files.size());
}
BENCHMARK(BM_FfprobeOncePerFile)->Unit(benchmark::kMillisecond)->Iterations(1);

// Heap held by a list of 1,000 recordings whose metadata has been read, and the highest heap
// seen while it was built (sampled every 2 ms).
void BM_ListMemory(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    double heldMiB = 0;
    double peakMiB = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = heapInUse();
        std::size_t peak = before;
        auto list = makeList();
        list->addVideoFilesFrom(cardPath());
        std::atomic<bool> done{false};
        std::thread waiter([&] {
            list->waitForIdle();
            done = true;
        });
        while (!done) {
            peak = std::max(peak, heapInUse());
            QThread::msleep(2);
        }
        waiter.join();
        // Every recording's series as the player would hand them on.
        std::size_t points = 0;
        for (const RVVideoDataPtr& node : *list->videosData()) {
            for (const RVVideoDataPtr& child : node->children())
                points += child->points() ? child->points()->size() : 0;
            points += node->points() ? node->points()->size() : 0;
        }
        const std::size_t held = heapInUse();
        peak = std::max(peak, held);
        heldMiB = double(held - before) / (1024.0 * 1024.0);
        peakMiB = double(peak - before) / (1024.0 * 1024.0);
        state.counters["points"] = double(points);
    }
    state.counters["heldMiB"] = heldMiB;
    state.counters["peakMiB"] = peakMiB;
}
BENCHMARK(BM_ListMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

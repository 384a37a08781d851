// The library on a card of 1,000 generated Korvela recordings (tools/make-demo-card --many):
// time until the tree with every duration is shown, time until the metadata scan has
// regrouped it, the same durations measured by running ffprobe once per file, and the heap
// the list holds (and peaks at) with every recording's metadata read. Run it on an otherwise
// idle machine: other processes' load shows up directly in these wall-clock times.
//
// The card is made once in $KORVELA_BENCH_CARD (default /tmp/korvela-bench-card-1000) and
// reused, so the page cache is warm after the first iteration.

#include "library/RVFileSystemUtil.h"
#include "library/RVRecordingViews.h"
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

// What a player that asked ffprobe for every duration would wait for. A process start costs
// tens to hundreds of milliseconds on a busy machine, so by default every tenth recording is
// probed and the figure for all of them is given as totalMs (the per-file cost times the
// count); KORVELA_BENCH_FFPROBE_FILES=1000 probes every one.
void BM_FfprobeOncePerFile(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    RVVideoFileList files;
    RVFileSystemUtil::scanVideoFilesFrom(cardPath(), files);
    const char* configured = std::getenv("KORVELA_BENCH_FFPROBE_FILES");
    const std::size_t wanted = configured ? std::size_t(std::atoi(configured)) : 100;
    const std::size_t step =
        std::max<std::size_t>(1, files.size() / std::max<std::size_t>(1, wanted));
    std::size_t probed = 0;
    double seconds = 0;
    for (auto _ : state) {
        probed = 0;
        const auto began = Clock::now();
        for (std::size_t i = 0; i < files.size(); i += step) {
            QProcess probe;
            probe.start(QStringLiteral("ffprobe"),
                        {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                         files[i]->filePath()});
            probe.waitForFinished(-1);
            benchmark::DoNotOptimize(probe.readAllStandardOutput().toDouble());
            ++probed;
        }
        seconds = std::chrono::duration<double>(Clock::now() - began).count();
        state.SetIterationTime(seconds);
    }
    state.counters["probed"] = double(probed);
    state.counters["perFileMs"] = probed ? seconds * 1000.0 / double(probed) : 0;
    state.counters["totalMs"] =
        probed ? seconds * 1000.0 / double(probed) * double(files.size()) : 0;
}
BENCHMARK(BM_FfprobeOncePerFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

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

// Joining the views of a two-camera BlackVue card of 10,000 minutes (20,000 file names, no
// disk access): the work the folder walk adds to every card scan.
void BM_CombineViews(benchmark::State& state)
{
    std::vector<RVFoundVideo> found;
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::LocalTime);
    for (int minute = 0; minute < 10000; ++minute) {
        const QString stem =
            start.addSecs(60LL * minute).toString(QStringLiteral("yyyyMMdd_HHmmss")) + "_N";
        for (const char* channel : {"F.mp4", "R.mp4"})
            found.push_back({"/card/BlackVue/Record/" + stem + channel,
                             {},
                             false,
                             {1, std::uint64_t(found.size())}});
    }
    for (auto _ : state) {
        const RVVideoFileList records = combineViews(found);
        if (records.size() != 10000)
            state.SkipWithError("views were not joined");
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(found.size()));
}
BENCHMARK(BM_CombineViews)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

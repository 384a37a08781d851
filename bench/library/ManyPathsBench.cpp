// Adding recordings given as many separate paths (a multi-selection, a drop, a second launch's
// hand-over) against the same recordings as one folder: wall time until the metadata scan has
// regrouped the tree, and the highest heap seen on the way (sampled every 2 ms). All paths
// given together make one scan and one rebuild, so memory grows with the recordings, not with
// the square of the paths.
//
// The card of 20,000 generated Korvela recordings is made once in $KORVELA_BENCH_BIG_CARD
// (default /tmp/korvela-bench-card-20000) and reused.

#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kRecordings = 20000;

QString cardPath()
{
    const char* configured = std::getenv("KORVELA_BENCH_BIG_CARD");
    return configured ? QString::fromLocal8Bit(configured)
                      : QStringLiteral("/tmp/korvela-bench-card-%1").arg(kRecordings);
}

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
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// One list given the paths together; wall time and heap peak until it is idle.
void addAndMeasure(benchmark::State& state, const QStringList& paths)
{
    double peakMiB = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = heapInUse();
        std::size_t peak = before;
        auto list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                                  RVVideoList::defaultMetaDataSource());
        list->waitForIdle();
        const auto began = std::chrono::steady_clock::now();
        list->addVideoFilesFrom(paths);
        std::atomic<bool> done{false};
        std::thread waiter([&] {
            list->waitForIdle();
            done = true;
        });
        while (!done) {
            peak = std::max(peak, heapInUse());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        waiter.join();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        peak = std::max(peak, heapInUse());
        peakMiB = double(peak - before) / (1024.0 * 1024.0);
        files = list->videoFiles().size();
    }
    state.counters["paths"] = double(paths.size());
    state.counters["recordings"] = double(files);
    state.counters["peakHeapMiB"] = peakMiB;
}

void BM_SeparatePaths(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    const QStringList all =
        QDir(cardPath() + "/DCIM/100KVLA").entryList({"*.MOV"}, QDir::Files, QDir::Name);
    QStringList paths;
    for (const QString& name : all.mid(0, qsizetype(state.range(0))))
        paths.append(cardPath() + "/DCIM/100KVLA/" + name);
    addAndMeasure(state, paths);
}
BENCHMARK(BM_SeparatePaths)
    ->Arg(2000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_OneFolder(benchmark::State& state)
{
    if (!ensureCard()) {
        state.SkipWithError("could not make the card");
        return;
    }
    addAndMeasure(state, {cardPath()});
}
BENCHMARK(BM_OneFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the list's signals need an application object
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

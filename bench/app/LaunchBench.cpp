// Launch as the program does it (language, window, menus, settings, the map page starting in
// the background), then the card given on the command line, until the window is on screen and
// its list shows every recording of the card. The map page may still be loading.
//  - BM_LaunchDemoCard: the demo card of ./run (tools/make-demo-card), made once in
//    $KORVELA_DEMO_CARD or /tmp/korvela-bench-demo-card.
//  - BM_LaunchCard1000: a card of 1,000 recordings (make-demo-card --many 1000), made once in
//    $KORVELA_BENCH_CARD or /tmp/korvela-bench-card-1000 (the library benchmark's card).
// The process start itself (loading Qt and the web engine's libraries) is not included.
#include "app/RVAppDelegate.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/window/RVMainViewController.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

QString cardPath(const char* variable, const QString& fallback)
{
    const char* configured = std::getenv(variable);
    return configured ? QString::fromLocal8Bit(configured) : fallback;
}

// Makes the card on first use; false when that fails.
bool ensureCard(const QString& card, const QStringList& makerArguments)
{
    if (QDir(card + "/DCIM").exists())
        return true;
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(QStringLiteral("python3"),
                QStringList{QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card")} +
                    makerArguments + QStringList{card});
    return maker.waitForFinished(-1) && maker.exitCode() == 0;
}

int videosOn(const QString& card)
{
    int count = 0;
    QDirIterator it(card + "/DCIM", {"*.mp4", "*.MP4", "*.mov", "*.MOV"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

int filesInList(const RVVideoList& list)
{
    int files = 0;
    for (const RVVideoDataPtr& node : *list.videosData())
        files += int(node->files().size());
    return files;
}

void launch(benchmark::State& state, const QString& card)
{
    const int videos = videosOn(card);
    if (videos == 0) {
        state.SkipWithError("no card");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        RVAppDelegateOptions options;
        options.videoList = std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                                          RVVideoList::defaultMetaDataSource());
        options.checkForUpdates = false;
        options.advertisementServer.clear();
        auto delegate = std::make_unique<RVAppDelegate>(std::move(options));
        delegate->applicationDidFinishLaunching();
        RVMainViewController* controller = delegate->mainViewController();
        controller->addFiles({card});
        const double windowMs = [&] {
            while (!delegate->window()->windowHandle() ||
                   !delegate->window()->windowHandle()->isExposed())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            return double(timer.nsecsElapsed()) / 1e6;
        }();
        while ((filesInList(*controller->videoList()) < videos ||
                controller->filesModel()->rowCount() == 0) &&
               timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["windowMs"] = benchmark::Counter(state.counters["windowMs"].value + windowMs,
                                                        benchmark::Counter::kAvgIterations);
        state.counters["rows"] = controller->filesModel()->rowCount();
        state.counters["recordings"] = videos;
        delegate.reset();
        QCoreApplication::processEvents();
    }
}

void BM_LaunchDemoCard(benchmark::State& state)
{
    const QString card = cardPath("KORVELA_DEMO_CARD", "/tmp/korvela-bench-demo-card");
    if (!ensureCard(card, {}))
        state.SkipWithError("tools/make-demo-card failed");
    else
        launch(state, card);
}

void BM_LaunchCard1000(benchmark::State& state)
{
    const QString card = cardPath("KORVELA_BENCH_CARD", "/tmp/korvela-bench-card-1000");
    if (!ensureCard(card, {QStringLiteral("--many"), QStringLiteral("1000")}))
        state.SkipWithError("tools/make-demo-card failed");
    else
        launch(state, card);
}

} // namespace

BENCHMARK(BM_LaunchDemoCard)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LaunchCard1000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "launch_bench needs a display; run it under xvfb-run -a\n");
        return 1;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KorvelaBench"));
    QApplication::setApplicationName(QStringLiteral("launch_bench"));
    // Settings of its own: every launch after the first is a later launch of a used program.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Unpacking speed and memory of the updater's zip reader (also with the progress reports the
// installation makes), and the cost of reading the small key=value texts of the update server
// and the camera card, and the advertisement page's height tag.
#include "core/RVStringUtil.h"
#include "update/RVAdvertisementUtil.h"
#include "update/RVDownloadUtil.h"
#include "update/RVUpdateInformation.h"
#include "update/ZipArchive.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtGlobal>

#include <benchmark/benchmark.h>
#include <minizip/zip.h>

#include <sys/resource.h>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// An archive like an application bundle: `files` entries of `bytes` each, half text-like
// (compresses well) and half noise (barely compresses, as shared libraries partly do).
QString makeArchive(const QString& folder, int files, int bytes)
{
    const QString path = folder + QStringLiteral("/bench.zip");
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    quint32 noise = 12345;
    QByteArray data(bytes, '\0');
    for (int f = 0; f < files; ++f) {
        for (int i = 0; i < bytes; ++i) {
            noise = noise * 1664525u + 1013904223u;
            data[i] = f % 2 ? char(noise >> 24) : char('a' + (i / 7 + f) % 26);
        }
        const QByteArray name = "Korvela Player/lib/file" + QByteArray::number(f) + ".bin";
        zip_fileinfo info{};
        zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0);
        zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return path;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Arguments: files, bytes per file, and 1 to report progress after every entry as the
// installation does.
void BM_UnzipArchive(benchmark::State& state)
{
    qInstallMessageHandler(quiet);
    const int files = int(state.range(0));
    const int bytes = int(state.range(1));
    const bool withProgress = state.range(2) != 0;
    QTemporaryDir folder;
    const QString archive = makeArchive(folder.path(), files, bytes);
    const QString destination = folder.path() + QStringLiteral("/out");
    const long rssBefore = peakRssKiB();
    qint64 reports = 0;
    const auto progress = [&](qint64, qint64) {
        ++reports;
        return true;
    };
    for (auto _ : state) {
        ZipArchive zip;
        zip.UnzipOpenFile(archive);
        if (withProgress)
            benchmark::DoNotOptimize(zip.UnzipFileTo(destination, progress));
        else
            benchmark::DoNotOptimize(zip.UnzipFileTo(destination));
        zip.UnzipCloseFile();
    }
    state.SetBytesProcessed(state.iterations() * qint64(files) * bytes);
    state.counters["archive_MiB"] = double(QFile(archive).size()) / (1 << 20);
    state.counters["peak_rss_growth_KiB"] = double(peakRssKiB() - rssBefore);
    if (withProgress)
        state.counters["reports"] = double(reports) / double(state.iterations());
}
BENCHMARK(BM_UnzipArchive)
    ->Args({64, 256 << 10, 0})
    ->Args({2000, 4096, 0})
    ->Args({2000, 4096, 1})
    ->Unit(benchmark::kMillisecond);

// A page of `range` KiB with the height tag at its end, the worst place for the search.
void BM_AdvertisementHeightFromPage(benchmark::State& state)
{
    QString page = QStringLiteral("<html><head>");
    while (page.size() < state.range(0) * 1024)
        page += QStringLiteral("<meta name=\"keywords\" content=\"dash camera, player\">\n");
    page += QStringLiteral("<meta name=\"height\" content=\"60\"></head></html>");
    for (auto _ : state)
        benchmark::DoNotOptimize(RVAdvertisementUtil::heightFromPage(page));
    state.SetBytesProcessed(state.iterations() * page.size() * 2);
}
BENCHMARK(BM_AdvertisementHeightFromPage)->Arg(4)->Arg(1024);

void BM_CreateDictionaryFromText(benchmark::State& state)
{
    QString text;
    for (int i = 0; i < state.range(0); ++i)
        text += QStringLiteral("key%1=value=%1\r\n").arg(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(RVStringUtil::createDictionaryFromText(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_CreateDictionaryFromText)->Arg(3)->Arg(10000);

void BM_ParseUpdateInformation(benchmark::State& state)
{
    const QByteArray body = "macVersion=1.4.2\r\nmacDownloadURL=https://updates.korvela.invalid/"
                            "Korvela%20Player.zip\r\nfirmwareURL=https://updates.korvela.invalid/"
                            "fw/%model%.txt\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(RVUpdateInformation::parse(body));
}
BENCHMARK(BM_ParseUpdateInformation);

} // namespace

// A download of range(0) MiB from a local HTTP server (python3's, serving a sparse file) into
// a file: time, and how much the peak resident memory grows (the body is streamed to disk, so
// it should stay near the 1 MiB read buffer whatever the size).
void BM_DownloadFile(benchmark::State& state)
{
    qInstallMessageHandler(quiet);
    QTemporaryDir folder;
    const qint64 bytes = state.range(0) << 20;
    QFile body(folder.filePath(QStringLiteral("body.zip")));
    if (!body.open(QIODevice::WriteOnly) || !body.resize(bytes)) {
        state.SkipWithError("cannot make the body");
        return;
    }
    body.close();
    QProcess server;
    server.setWorkingDirectory(folder.path());
    server.start(QStringLiteral("python3"),
                 {QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                  QStringLiteral("127.0.0.1"), QStringLiteral("18734")});
    if (!server.waitForStarted()) {
        state.SkipWithError("python3 http.server did not start");
        return;
    }
    QThread::msleep(800); // until it listens
    const QString url = QStringLiteral("http://127.0.0.1:18734/body.zip");
    const QString target = folder.filePath(QStringLiteral("download.zip"));
    const long rssBefore = peakRssKiB();
    bool ok = true;
    for (auto _ : state)
        ok = ok && RVDownloadUtil::downloadFile(url, target, qint64(bytes) + 1);
    state.counters["peak_rss_growth_KiB"] = double(peakRssKiB() - rssBefore);
    state.counters["MiB_per_s"] = benchmark::Counter(
        double(bytes >> 20) * double(state.iterations()), benchmark::Counter::kIsRate);
    if (!ok || QFileInfo(target).size() != bytes)
        state.SkipWithError("the download failed");
    server.kill();
    server.waitForFinished();
}
BENCHMARK(BM_DownloadFile)->Arg(1024)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // Qt Network wants an application object for its transfers.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

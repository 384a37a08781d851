// A recording of any bytes, exported as a copied and as a re-encoded clip: the engine reports
// an error or makes a clip, and never crashes, hangs or leaves a side file.
#include "clip/RVClipExporter.h"
#include "fuzz/FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    [[maybe_unused]] static const bool ready = [] {
        av_log_set_level(AV_LOG_QUIET);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_clip_copy";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
        return true;
    }();
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.mp4"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(fuzzBytes(data, size)) != qint64(size))
        return 0;
    file.close();
    for (const bool copy : {true, false}) {
        RVClipRequest request;
        request.sources.push_back({{input}, 0.0});
        request.fromSeconds = 0.0;
        request.toSeconds = 2.0;
        request.quality = copy ? RVClipQuality::Original : RVClipQuality::Hd720;
        request.readouts = copy ? 0u : unsigned(RVReadout::Time);
        request.outputPath = dir.filePath(QStringLiteral("out.mp4"));
        const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        // Only the input, and the clip with its manifest when it succeeded; a failure leaves no
        // side file and at most the complete clip (when only its manifest could not be written).
        QStringList allowed{QStringLiteral("in.mp4")};
        if (result.ok)
            allowed << QStringLiteral("out.mp4") << QStringLiteral("out.mp4.manifest.txt");
        else if (result.error.startsWith(QStringLiteral("the clip was written")))
            allowed << QStringLiteral("out.mp4");
        if (left != allowed)
            std::abort();
        QFile::remove(request.outputPath);
        QFile::remove(request.outputPath + QStringLiteral(".manifest.txt"));
    }
    return 0;
}

#include "clip/RVClipExporter.h"

#include "clip/RVClipEngines.h"
#include "clip/RVClipGpx.h"
#include "clip/RVClipManifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

bool RVClipExporter::copiesStream(const RVClipRequest& request)
{
    return request.quality == RVClipQuality::Original && request.readouts == 0 &&
           (request.layout == RVClipLayout::Front || request.layout == RVClipLayout::Rear);
}

RVClipResult RVClipExporter::exportClip(const RVClipRequest& request,
                                        const std::atomic<bool>& cancel,
                                        const RVClipProgress& progress)
{
    RVClipResult result;
    if (request.sources.empty()) {
        result.error = QStringLiteral("no recordings to export");
        return result;
    }
    if (!std::isfinite(request.fromSeconds) || !std::isfinite(request.toSeconds) ||
        request.toSeconds <= request.fromSeconds) {
        result.error = QStringLiteral("the end of the range must come after its start");
        return result;
    }
    if (request.outputPath.isEmpty()) {
        result.error = QStringLiteral("no file to write the clip to");
        return result;
    }
    // The source files are evidence: the clip never replaces one of them.
    const QFileInfo target(request.outputPath);
    for (const RVClipSource& source : request.sources)
        for (const QString& path : source.viewPaths)
            if (!path.isEmpty() && target.exists() &&
                QFileInfo(path).canonicalFilePath() == target.canonicalFilePath()) {
                result.error = QStringLiteral("%1 is one of the recordings; choose another name")
                                   .arg(request.outputPath);
                return result;
            }

    if (copiesStream(request)) {
        result = copyClip(request, request.layout == RVClipLayout::Rear ? 1 : 0, cancel, progress);
    } else {
        result = encodeClip(request, cancel, progress, true);
        // A hardware encoder that started but then failed (a driver that refuses a size or a
        // picture): the software encoder makes the clip from the start again.
        if (!result.ok && !result.cancelled && result.hardwareEncoded)
            result = encodeClip(request, cancel, progress, false);
    }
    if (!result.ok)
        return result;
    if (progress)
        progress(1.0, 0.0);
    QString error;
    // The track asked for is part of the export: without it, neither file stays.
    if (request.gpx && !RVClipGpx::write(request, &error)) {
        QFile::remove(request.outputPath);
        result.ok = false;
        result.error = QStringLiteral("cannot write the track beside the clip: ") + error;
        return result;
    }
    if (request.gpx)
        result.gpxPath = RVClipGpx::gpxPath(request.outputPath);
    if (!RVClipManifest::write(request, result, &error)) {
        // The clip is complete and stays; only its evidence is missing.
        result.ok = false;
        result.error = QStringLiteral("the clip was written, its manifest not: ") + error;
    }
    return result;
}

QString RVClipExporter::clipFileName(const QString& tripName, const QDateTime& cameraStart)
{
    QString base = QFileInfo(tripName).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("trip");
    const QString when = cameraStart.isValid()
                             ? cameraStart.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                             : QStringLiteral("start");
    return base + QStringLiteral("_clip_") + when + QStringLiteral(".mp4");
}

QString RVClipExporter::freePath(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    QString path = dir.filePath(fileName);
    const QFileInfo name(fileName);
    for (int n = 2; QFileInfo::exists(path) && n < 10000; ++n)
        path = dir.filePath(
            QStringLiteral("%1-%2.%3").arg(name.completeBaseName()).arg(n).arg(name.suffix()));
    return path;
}

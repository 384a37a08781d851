#include "player/window/RVExportCommands.h"

#include "core/RVAtomicFile.h"
#include "export/RVExportUtil.h"
#include "export/RVProbeDocument.h"

namespace {
using WriteFunction = std::optional<RVWriteResult> (*)(const RVVideoData&, const QString&);

RVExportWriter writerOf(const RVVideoDataPtr& node, WriteFunction write)
{
    return [node, write](const QString& path) {
        if (std::optional<RVWriteResult> result = write(*node, path))
            return *result;
        // The series went away between the check and the write: nothing was touched.
        return RVWriteResult{false, QStringLiteral("%1: nothing to export").arg(path)};
    };
}
} // namespace

// The exports stream straight into the file; whether there is anything to export is the
// question whether the series they need have been read.

std::optional<RVExportWriter> RVExportCommands::kml(const RVVideoDataPtr& node)
{
    if (!node || !node->points())
        return std::nullopt;
    return writerOf(node, &RVExportUtil::writeKml);
}

std::optional<RVExportWriter> RVExportCommands::gpx(const RVVideoDataPtr& node)
{
    if (!node || !node->points())
        return std::nullopt;
    return writerOf(node, &RVExportUtil::writeGpx);
}

std::optional<RVExportWriter> RVExportCommands::gpsTable(const RVVideoDataPtr& node)
{
    if (!node || !node->points())
        return std::nullopt;
    return writerOf(node, &RVExportUtil::writeGpsTable);
}

std::optional<RVExportWriter> RVExportCommands::cameraReport(const RVVideoDataPtr& node)
{
    if (!node || node->files().empty())
        return std::nullopt;
    QStringList paths;
    for (const RVVideoFilePtr& file : node->files()) {
        for (const RVVideoView& view : file->views())
            paths << view.filePath;
    }
    return [paths](const QString& path) {
        QStringList errors;
        const std::string text = RVProbeDocument::forFiles(paths, errors);
        if (errors.size() == paths.size())
            return RVWriteResult{false, errors.join(QStringLiteral("; "))};
        QString error;
        if (!RVAtomicFile::writeAll(path, QByteArray::fromStdString(text), &error))
            return RVWriteResult{false, error};
        return RVWriteResult{true, {}};
    };
}

std::optional<RVExportWriter> RVExportCommands::sensorTable(const RVVideoDataPtr& node)
{
    if (!node || !node->gSensorData())
        return std::nullopt;
    return writerOf(node, &RVExportUtil::writeSensorTable);
}

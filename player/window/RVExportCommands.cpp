#include "player/window/RVExportCommands.h"

#include "export/RVExportUtil.h"

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

std::optional<RVExportWriter> RVExportCommands::sensorTable(const RVVideoDataPtr& node)
{
    if (!node || !node->gSensorData())
        return std::nullopt;
    return writerOf(node, &RVExportUtil::writeSensorTable);
}

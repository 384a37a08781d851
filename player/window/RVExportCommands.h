#pragma once

#include "export/RVExportFileUtil.h"
#include "library/RVVideoData.h"

#include <functional>
#include <optional>

// Writes one export of a node to the path it is given, atomically; the window runs the save
// panel first and hands the chosen path over.
using RVExportWriter = std::function<RVWriteResult(const QString& path)>;

// The file list's exports of a node: each gives the writer of its file, or none when the node
// has nothing to export (no track, no samples), in which case no save panel appears.
class RVExportCommands final
{
public:
    RVExportCommands() = delete;

    static std::optional<RVExportWriter> kml(const RVVideoDataPtr& node);
    static std::optional<RVExportWriter> gpx(const RVVideoDataPtr& node);
    static std::optional<RVExportWriter> gpsTable(const RVVideoDataPtr& node);
    static std::optional<RVExportWriter> sensorTable(const RVVideoDataPtr& node);
};

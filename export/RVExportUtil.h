#pragma once

#include "export/RVExcelWriter.h"
#include "export/RVExportFileUtil.h"

#include <QByteArray>
#include <QString>

#include <optional>

class RVVideoData;

// The four exports of a library node (a single recording or a trip) whose series have been
// read. Each gives nothing when the series it needs is still "not read" (the node's points,
// or its acceleration samples for the acceleration table); an empty series gives a document
// without entries. Nodes are only read: the series are taken in one step, so a node being
// published on another thread exports either its old or its new series.
//
// The in-memory forms give the text the window offers for saving: KML and GPX as UTF-8 (the
// encoding their declaration names), the tables as text to be saved as UTF-16. The write
// forms stream the same text into a file, atomically, without holding it in memory.
class RVExportUtil final
{
public:
    RVExportUtil() = delete;

    static std::optional<QByteArray> exportToKLM(const RVVideoData& node);
    static std::optional<QByteArray> exportToGPX(const RVVideoData& node);
    // Column titles from the current translation; numbers in the current locale's grouping.
    static std::optional<QString> exportGpsToExcel(const RVVideoData& node);
    static std::optional<QString> exportSensorToExcel(const RVVideoData& node);

    // Nothing when there was nothing to export (and no file was touched).
    static std::optional<RVWriteResult> writeKml(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeGpx(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeGpsTable(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeSensorTable(const RVVideoData& node,
                                                         const QString& path);
};

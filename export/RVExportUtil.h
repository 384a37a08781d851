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
// KML and GPX are written as UTF-8 (the encoding their declaration names), the tables as
// UTF-16. The text is streamed into the file, atomically, without holding it in memory.
class RVExportUtil final
{
public:
    RVExportUtil() = delete;

    // Nothing when there was nothing to export (and no file was touched). The tables' column
    // titles come from the current translation, numbers in the current locale's grouping.
    static std::optional<RVWriteResult> writeKml(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeGpx(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeGpsTable(const RVVideoData& node, const QString& path);
    static std::optional<RVWriteResult> writeSensorTable(const RVVideoData& node,
                                                         const QString& path);
};

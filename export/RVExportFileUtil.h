#pragma once

#include "metadata/writers/RVExportSink.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The outcome of writing an export file: ok, or what went wrong, in one line naming the file.
struct RVWriteResult final
{
    bool ok = false;
    QString error;
};

// Writes export files atomically: the text goes to a temporary file beside the target, which
// replaces the target only once everything has been written, so a failed write (disk full,
// card pulled) leaves any earlier file untouched and never leaves half a file behind.
//   KML and GPX: UTF-8 without byte-order mark, as their XML declaration says.
//   Spreadsheet tables: UTF-16 little-endian with byte-order mark (bytes FF FE first).
class RVExportFileUtil final
{
public:
    RVExportFileUtil() = delete;

    // Streams what generate puts into the sink straight into the file, in the given encoding.
    static RVWriteResult write(const QString& path, RVExportSink::Encoding encoding,
                               const std::function<void(RVExportSink&)>& generate);

    // Where the acceleration table goes once the track table has been saved at gpsTablePath:
    // its last two extensions replaced by "gsensor.csv" ("/tmp/Trip 1.gps.csv" gives
    // "/tmp/Trip 1.gsensor.csv", "/tmp/trip.csv" gives "/tmp/trip.gsensor.csv"). Never the
    // track table's own path: "x.gsensor.csv" gives "x.gsensor.gsensor.csv".
    static QString sensorTablePath(const QString& gpsTablePath);
};

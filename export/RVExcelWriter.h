#pragma once

#include "export/RVExcelNumberFormat.h"
#include "metadata/RVDateFormatter.h"
#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>

#include <span>

class RVExportSink;

// Column titles of the track table; the acceleration table uses the time title.
struct RVExcelTitles final
{
    QString time;
    QString latitude;
    QString longitude;
    QString velocity;
    QString altitude;

    // The texts of the current translation ("EXPORT_EXCEL_TIME_TITLE" and so on); a key
    // without a translation stands for itself.
    static RVExcelTitles localized();
};

// The two semicolon-separated tables for spreadsheet programs. Lines end with a line feed
// except the last; the time, in double quotes, is the only quoted field; numbers use
// RVExcelNumberFormat (coordinates with up to six decimals, everything else up to three). A
// value that is not a finite number is unknown and leaves its field empty.
//   track:        time;latitude;longitude;speed;altitude, one line per point with a position.
//                 The time is the point's own, "dd-MM-yy HH:mm:ss.SSS" in local time (empty
//                 without one); the speed is the point's own velocity in km/h and stays
//                 empty when negative (cameras that keep speeds only in the series).
//   acceleration: header "time;X;Y;Z;", then the sample's time label;x;y;z in g, every sample.
class RVExcelWriter final
{
public:
    RVExcelWriter() = delete;

    static void writeGpsTable(RVExportSink& sink, std::span<const RVPoint> points,
                              const RVExcelTitles& titles, const RVExcelNumberFormat& numbers,
                              const RVDateFormatter& dateFormatter);
    static void writeSensorTable(RVExportSink& sink, std::span<const RVSensorData> samples,
                                 const RVExcelTitles& titles, const RVExcelNumberFormat& numbers);
};

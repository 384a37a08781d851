#include "export/RVExcelWriter.h"

#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportSink.h"

#include <QCoreApplication>

#include <cmath>
#include <string>

RVExcelTitles RVExcelTitles::localized()
{
    return {qtTrId("EXPORT_EXCEL_TIME_TITLE"), qtTrId("EXPORT_EXCEL_LATITUDE_TITLE"),
            qtTrId("EXPORT_EXCEL_LONGITUDE_TITLE"), qtTrId("EXPORT_EXCEL_VELOCITY_TITLE"),
            qtTrId("EXPORT_EXCEL_ALTITUDE_TITLE")};
}

namespace {

void appendUtf8(std::string& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    out.append(utf8.constData(), std::size_t(utf8.size()));
}

// A negative speed marks "not kept in the point"; the bound is the single-precision -0.00001.
constexpr double kNoSpeedBound = double(-0.00001f);
// Coordinates keep the six decimals they were recorded with (0.000001 degrees is about 11 cm).
constexpr int kCoordinateDecimals = 6;

// A value that is not a finite number is unknown: its field stays empty.
void appendIfFinite(std::string& out, const RVExcelNumberFormat& numbers, double value)
{
    if (std::isfinite(value))
        numbers.append(out, value);
}

} // namespace

void RVExcelWriter::writeGpsTable(RVExportSink& sink, std::span<const RVPoint> points,
                                  const RVExcelTitles& titles, const RVExcelNumberFormat& numbers,
                                  const RVDateFormatter& dateFormatter)
{
    sink.reserve(qsizetype(128 + points.size() * 64));
    std::string line;
    line.reserve(256);
    for (const QString* title :
         {&titles.time, &titles.latitude, &titles.longitude, &titles.velocity, &titles.altitude}) {
        if (title != &titles.time)
            line += ';';
        appendUtf8(line, *title);
    }
    sink.append(line);

    // Each line is preceded by its line feed, so the text ends without one.
    for (const RVPoint& point : points) {
        if (RVGpsProcessor::isZeroPoint(point))
            continue;
        // A coordinate that overflowed is no position: the point is left out.
        const double latitude = point.latitudeValue();
        const double longitude = point.longitudeValue();
        if (!std::isfinite(latitude) || !std::isfinite(longitude))
            continue;
        line.assign("\n\"");
        if (point.time().isValid())
            appendUtf8(line, dateFormatter.format(point.time()));
        line += "\";";
        numbers.append(line, latitude, kCoordinateDecimals);
        line += ';';
        numbers.append(line, longitude, kCoordinateDecimals);
        line += ';';
        if (point.velocity() > kNoSpeedBound)
            appendIfFinite(line, numbers, point.velocity());
        line += ';';
        appendIfFinite(line, numbers, point.altitude());
        sink.append(line);
    }
}

void RVExcelWriter::writeSensorTable(RVExportSink& sink, std::span<const RVSensorData> samples,
                                     const RVExcelTitles& titles,
                                     const RVExcelNumberFormat& numbers)
{
    sink.reserve(qsizetype(64 + samples.size() * 48));
    std::string line;
    line.reserve(256);
    appendUtf8(line, titles.time);
    line += ";X;Y;Z;";
    sink.append(line);

    // Korvela and Mini samples carry the time of the latest track point, shared by the run of
    // samples up to the next point: render each label once.
    RVSensorLabel lastLabel;
    std::string lastText;
    bool haveLast = false;
    for (const RVSensorData& sample : samples) {
        if (!haveLast || !(sample.time() == lastLabel)) {
            lastLabel = sample.time();
            lastText.clear();
            const QByteArray utf8 = lastLabel.text().toUtf8();
            lastText.append(utf8.constData(), std::size_t(utf8.size()));
            haveLast = true;
        }
        line.assign("\n\"");
        line += lastText;
        line += "\";";
        appendIfFinite(line, numbers, sample.x());
        line += ';';
        appendIfFinite(line, numbers, sample.y());
        line += ';';
        appendIfFinite(line, numbers, sample.z());
        sink.append(line);
    }
}

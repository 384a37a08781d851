// Tracks of any content (names and coordinate texts of arbitrary bytes, any numbers) must give
// well-formed KML and GPX with one tuple or <trkpt> per point that has a position (not a zero
// point, both coordinates finite), GPX numbers that are all finite, and tables with one line
// per such point or sample.

#include "export/RVExcelWriter.h"
#include "export/RVKmlWriter.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVGpxWriter.h"

#include <QXmlStreamReader>

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>

namespace {

// Element count and well-formedness of a document.
int countElements(const QByteArray& xml, const QString& name)
{
    QXmlStreamReader reader(xml);
    int count = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == name)
            ++count;
        if (reader.name() == QLatin1String("ele") || reader.name() == QLatin1String("speed") ||
            reader.name() == QLatin1String("course")) {
            bool ok = false;
            const double value = reader.readElementText().toDouble(&ok);
            if (!ok || !std::isfinite(value))
                std::abort();
        }
    }
    if (reader.hasError())
        std::abort();
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString(64);
    const float duration = input.ConsumeFloatingPoint<float>();
    const auto created = input.ConsumeIntegral<std::int64_t>();
    std::vector<RVPoint> points;
    std::vector<double> speeds;
    std::vector<RVSensorData> samples;
    const auto number = [&input] { return input.ConsumeFloatingPoint<double>(); };
    while (input.remaining_bytes() > 0 && points.size() < 200) {
        const std::string latitude = input.ConsumeRandomLengthString(20);
        const std::string longitude = input.ConsumeRandomLengthString(20);
        points.emplace_back(latitude, longitude, number(), number(), number(),
                            RVTimestamp::fromMSecsSinceEpoch(
                                input.ConsumeIntegralInRange<std::int64_t>(-1LL << 45, 1LL << 45)));
        if (input.ConsumeBool())
            speeds.push_back(number());
        samples.emplace_back(number(), number(), number(), 0,
                             RVSensorLabel::number(input.ConsumeIntegral<std::int32_t>()));
    }
    int kept = 0;
    for (const RVPoint& point : points)
        kept += !RVGpsProcessor::isZeroPoint(point) && std::isfinite(point.latitudeValue()) &&
                std::isfinite(point.longitudeValue());
    const QString nodeName = QString::fromUtf8(name.data(), qsizetype(name.size()));

    RVExportSink kml, gpx;
    RVKmlWriter::write(kml, nodeName, points);
    RVGpxWriter::write(
        gpx, {nodeName, RVTimestamp::fromMSecsSinceEpoch(created), duration, points, speeds});
    if (countElements(kml.takeText(), QStringLiteral("coordinates")) != 1 ||
        countElements(gpx.takeText(), QStringLiteral("trkpt")) != kept)
        std::abort();

    const RVExcelTitles titles = RVExcelTitles::localized();
    const RVExcelNumberFormat numbers(QLocale(QLocale::English, QLocale::UnitedStates));
    RVExportSink gpsTable, sensorTable;
    RVExcelWriter::writeGpsTable(gpsTable, points, titles, numbers,
                                 RVGpsProcessor::sharedInstance().exportDateFormatter());
    RVExcelWriter::writeSensorTable(sensorTable, samples, titles, numbers);
    if (gpsTable.takeText().count('\n') != kept ||
        sensorTable.takeText().count('\n') != qsizetype(samples.size()))
        std::abort();
    return 0;
}

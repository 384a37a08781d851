#include "ExportTestSupport.h"
#include "export/RVExcelNumberFormat.h"
#include "export/RVExcelWriter.h"
#include "export/RVExportSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ExportTestSupport;

namespace {

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);

std::string formatted(const QLocale& locale, double value)
{
    return RVExcelNumberFormat(locale).format(value);
}

RVExcelTitles keyTitles()
{
    return {QStringLiteral("EXPORT_EXCEL_TIME_TITLE"),
            QStringLiteral("EXPORT_EXCEL_LATITUDE_TITLE"),
            QStringLiteral("EXPORT_EXCEL_LONGITUDE_TITLE"),
            QStringLiteral("EXPORT_EXCEL_VELOCITY_TITLE"),
            QStringLiteral("EXPORT_EXCEL_ALTITUDE_TITLE")};
}

QString gpsTable(const std::vector<RVPoint>& points, const QLocale& locale = kUnitedStates)
{
    RVExportSink sink;
    RVExcelWriter::writeGpsTable(sink, points, keyTitles(), RVExcelNumberFormat(locale),
                                 RVDateFormatter(RVDateFormatter::Pattern::Export));
    return QString::fromUtf8(sink.takeText());
}

QString sensorTable(const std::vector<RVSensorData>& samples)
{
    RVExportSink sink;
    RVExcelWriter::writeSensorTable(sink, samples, keyTitles(), RVExcelNumberFormat(kUnitedStates));
    return QString::fromUtf8(sink.takeText());
}

// 2015-03-01 09:05:07.250 UTC, 10:05:07.250 in Berlin (the tests' time zone).
constexpr qint64 kMorning = 1425200707250;

} // namespace

TEST(ExcelNumberFormat, ThreeFractionDigitsHalfToEvenCommaDecimal)
{
    EXPECT_EQ(formatted(kUnitedStates, 55.7512345), "55,751");
    EXPECT_EQ(formatted(kUnitedStates, 63.25), "63,25");
    EXPECT_EQ(formatted(kUnitedStates, -0.0004), "0");
    EXPECT_EQ(formatted(kUnitedStates, 0), "0");
    // Ties go to the even digit, judged on the value's shortest decimal form.
    EXPECT_EQ(formatted(kUnitedStates, -1234567.0625), "-1,234,567,062");
    EXPECT_EQ(formatted(kUnitedStates, 0.0635), "0,064");
    EXPECT_EQ(formatted(kUnitedStates, 0.00051), "0,001");
    // Carries run into the integer part and may add a digit and a group.
    EXPECT_EQ(formatted(kUnitedStates, 999.9996), "1,000");
    EXPECT_EQ(formatted(kUnitedStates, 18.519999980926514), "18,52");
    EXPECT_EQ(formatted(kUnitedStates, 1e21), "1,000,000,000,000,000,000,000");
    EXPECT_EQ(formatted(kUnitedStates, std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(formatted(kUnitedStates, -std::numeric_limits<double>::infinity()), "-\u221E");
    // The tiniest and largest doubles do not overflow anything.
    EXPECT_EQ(formatted(kUnitedStates, 5e-324), "0");
    EXPECT_EQ(formatted(kUnitedStates, -1.7976931348623157e308).size(), 1u + 309 + 102);
}

TEST(ExcelNumberFormat, GroupingFollowsTheLocale)
{
    EXPECT_EQ(formatted(kGermany, 1234.5), "1.234,5");
    // Indian grouping: three digits, then twos.
    EXPECT_EQ(formatted(QLocale(QLocale::Hindi, QLocale::India), 1234567.5), "12,34,567,5");
    // Spanish starts grouping only at five digits; French groups with a narrow no-break space.
    const QLocale spain(QLocale::Spanish, QLocale::Spain);
    EXPECT_EQ(formatted(spain, 1234.5), spain.toString(1234).toStdString() + ",5");
    const QLocale france(QLocale::French, QLocale::France);
    EXPECT_EQ(formatted(france, 12345.25), france.toString(12345).toStdString() + ",25");
    // The C locale does not group.
    EXPECT_EQ(formatted(QLocale::c(), 1234.5), "1234,5");
    // The default is the current locale.
    QLocale::setDefault(kGermany);
    EXPECT_EQ(RVExcelNumberFormat().format(1234.5), "1.234,5");
    QLocale::setDefault(QLocale::c());
}

TEST(ExcelWriter, TrackTableRows)
{
    const std::vector<RVPoint> points = {
        point("55.7512345", "37.609463", 18.519999980926514, 0, 145.3, kMorning),
        point("0.000000", "0.000000", 50, 0, 1, kMorning),
        point("-55.752060", "-37.61", -1, 0, 1234.5, kMorning + 100),
        RVPoint("1.0", "2.0", std::nan(""), 0, -0.000009, RVTimestamp()),
        // Values that overflowed are unknown: no position (left out), no speed, no altitude.
        point("1e400", "2.0", 5, 0, 1, kMorning),
        point("3.0", "4.0", std::numeric_limits<double>::infinity(), 0, -std::nan(""), kMorning)};
    EXPECT_EQ(gpsTable(points).toStdString(),
              std::string("EXPORT_EXCEL_TIME_TITLE;EXPORT_EXCEL_LATITUDE_TITLE;"
                          "EXPORT_EXCEL_LONGITUDE_TITLE;EXPORT_EXCEL_VELOCITY_TITLE;"
                          "EXPORT_EXCEL_ALTITUDE_TITLE\n"
                          "\"01-03-15 10:05:07.250\";55,751234;37,609463;18,52;145,3\n"
                          "\"01-03-15 10:05:07.350\";-55,75206;-37,61;;1,234,5\n"
                          "\"\";1;2;0;\n"
                          "\"01-03-15 10:05:07.250\";3;4;;"));
    // Nothing to write: the header alone, without a line feed.
    EXPECT_EQ(gpsTable({point("0", "0")}),
              QStringLiteral("EXPORT_EXCEL_TIME_TITLE;EXPORT_EXCEL_LATITUDE_TITLE;"
                             "EXPORT_EXCEL_LONGITUDE_TITLE;EXPORT_EXCEL_VELOCITY_TITLE;"
                             "EXPORT_EXCEL_ALTITUDE_TITLE"));
}

TEST(ExcelWriter, SensorTableKeepsEverySampleAndItsLabel)
{
    const std::vector<RVSensorData> samples = {
        RVSensorData(0.0123, -0.5, 1, 9, RVSensorLabel::number(0)),
        RVSensorData(0.0625, 0, -0.0004, 9,
                     RVSensorLabel::instant(RVTimestamp::fromMSecsSinceEpoch(kMorning))),
        RVSensorData(1, 2, 3, 9,
                     RVSensorLabel::instant(RVTimestamp::fromMSecsSinceEpoch(kMorning))),
        RVSensorData(0, 0, 0, 0, RVSensorLabel()),
        RVSensorData(-2, 0, 0, 0, RVSensorLabel::number(123456)),
        RVSensorData(std::nan(""), 2, std::numeric_limits<double>::infinity(), 0,
                     RVSensorLabel::number(5))};
    EXPECT_EQ(sensorTable(samples).toStdString(),
              std::string("EXPORT_EXCEL_TIME_TITLE;X;Y;Z;\n"
                          "\"0\";0,012;-0,5;1\n"
                          "\"01-03-15 10:05:07.250\";0,062;0;0\n"
                          "\"01-03-15 10:05:07.250\";1;2;3\n"
                          "\"\";0;0;0\n"
                          "\"123456\";-2;0;0\n"
                          "\"5\";;2;"));
    EXPECT_EQ(sensorTable({}), QStringLiteral("EXPORT_EXCEL_TIME_TITLE;X;Y;Z;"));
}

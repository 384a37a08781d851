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
const RVExcelTitles kTitles{"TIME", "LAT", "LON", "SPEED", "ALT"};
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// 2015-03-01 09:05:07.250 UTC, 10:05:07.250 in Berlin (the tests' time zone).
constexpr qint64 kMorning = 1425200707250;

} // namespace

TEST(ExcelNumberFormat, ThreeFractionDigitsHalfToEvenGroupedByLocale)
{
    const QLocale spain(QLocale::Spanish, QLocale::Spain);
    const QLocale france(QLocale::French, QLocale::France);
    const struct
    {
        QLocale locale;
        double value;
        std::string text;
    } cases[] = {
        {kUnitedStates, 55.7512345, "55,751"},
        {kUnitedStates, 63.25, "63,25"},
        {kUnitedStates, -0.0004, "0"},
        {kUnitedStates, 0, "0"},
        // Ties go to the even digit, judged on the value's shortest decimal form.
        {kUnitedStates, -1234567.0625, "-1,234,567,062"},
        {kUnitedStates, 0.0635, "0,064"},
        {kUnitedStates, 0.00051, "0,001"},
        // Carries run into the integer part and may add a digit and a group.
        {kUnitedStates, 999.9996, "1,000"},
        {kUnitedStates, 18.519999980926514, "18,52"},
        {kUnitedStates, 1e21, "1,000,000,000,000,000,000,000"},
        {kUnitedStates, kNan, "NaN"},
        {kUnitedStates, -kInf, "-\u221E"},
        {kUnitedStates, 5e-324, "0"},
        {QLocale(QLocale::German, QLocale::Germany), 1234.5, "1.234,5"},
        {QLocale(QLocale::Hindi, QLocale::India), 1234567.5, "12,34,567,5"},
        // Spanish starts grouping only at five digits; French groups with a narrow no-break space.
        {spain, 1234.5, spain.toString(1234).toStdString() + ",5"},
        {france, 12345.25, france.toString(12345).toStdString() + ",25"},
        {QLocale::c(), 1234.5, "1234,5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RVExcelNumberFormat(c.locale).format(c.value), c.text) << c.value;
    // The largest double overflows nothing.
    EXPECT_EQ(RVExcelNumberFormat(kUnitedStates).format(-1.7976931348623157e308).size(),
              1u + 309 + 102);
    // The default is the current locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(RVExcelNumberFormat().format(1234.5), "1.234,5");
    QLocale::setDefault(QLocale::c());
}

TEST(ExcelWriter, TrackAndSensorTables)
{
    const auto gpsTable = [](const std::vector<RVPoint>& points) {
        RVExportSink sink;
        RVExcelWriter::writeGpsTable(sink, points, kTitles, RVExcelNumberFormat(kUnitedStates),
                                     RVDateFormatter(RVDateFormatter::Pattern::Export));
        return sink.takeText();
    };
    // Values that overflowed are unknown: no position (left out), no speed, no altitude.
    EXPECT_EQ(gpsTable({point("55.7512345", "37.609463", 18.519999980926514, 0, 145.3, kMorning),
                        point("0.000000", "0.000000", 50, 0, 1, kMorning),
                        point("-55.752060", "-37.61", -1, 0, 1234.5, kMorning + 100),
                        RVPoint("1.0", "2.0", kNan, 0, -0.000009, RVTimestamp()),
                        point("1e400", "2.0", 5, 0, 1, kMorning),
                        point("3.0", "4.0", kInf, 0, -kNan, kMorning)}),
              "TIME;LAT;LON;SPEED;ALT\n"
              "\"01-03-15 10:05:07.250\";55,751234;37,609463;18,52;145,3\n"
              "\"01-03-15 10:05:07.350\";-55,75206;-37,61;;1,234,5\n"
              "\"\";1;2;0;\n"
              "\"01-03-15 10:05:07.250\";3;4;;");
    // Nothing to write: the header alone, without a line feed.
    EXPECT_EQ(gpsTable({point("0", "0")}), "TIME;LAT;LON;SPEED;ALT");

    const auto sensorTable = [](const std::vector<RVSensorData>& samples) {
        RVExportSink sink;
        RVExcelWriter::writeSensorTable(sink, samples, kTitles, RVExcelNumberFormat(kUnitedStates));
        return sink.takeText();
    };
    const RVSensorLabel morning =
        RVSensorLabel::instant(RVTimestamp::fromMSecsSinceEpoch(kMorning));
    EXPECT_EQ(
        sensorTable({RVSensorData(0.0123, -0.5, 1, 9, RVSensorLabel::number(0)),
                     RVSensorData(0.0625, 0, -0.0004, 9, morning),
                     RVSensorData(1, 2, 3, 9, morning), RVSensorData(0, 0, 0, 0, RVSensorLabel()),
                     RVSensorData(-2, 0, 0, 0, RVSensorLabel::number(123456)),
                     RVSensorData(kNan, 2, kInf, 0, RVSensorLabel::number(5))}),
        "TIME;X;Y;Z;\n"
        "\"0\";0,012;-0,5;1\n"
        "\"01-03-15 10:05:07.250\";0,062;0;0\n"
        "\"01-03-15 10:05:07.250\";1;2;3\n"
        "\"\";0;0;0\n"
        "\"123456\";-2;0;0\n"
        "\"5\";;2;");
    EXPECT_EQ(sensorTable({}), "TIME;X;Y;Z;");
}

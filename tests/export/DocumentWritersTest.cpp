#include "ExportTestSupport.h"
#include "export/RVExcelNumberFormat.h"
#include "export/RVExcelWriter.h"
#include "export/RVKmlWriter.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVXmlText.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

using namespace ExportTestSupport;

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

QByteArray kml(const QString& name, const std::vector<RVPoint>& points)
{
    RVExportSink sink;
    RVKmlWriter::write(sink, name, points);
    return sink.takeText();
}

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const RVExcelTitles kTitles{"TIME", "LAT", "LON", "SPEED", "ALT"};
// 2015-03-01 09:05:07.250 UTC, 10:05:07.250 in Berlin (the tests' time zone).
constexpr qint64 kMorning = 1425200707250;

} // namespace

TEST(KmlWriter, XmlTextsAndExactDocumentsWithZeroPointsLeftOut)
{
    const std::pair<std::string_view, QByteArray> cases[] = {
        {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
        {"\t\n\r", "&#9;&#10;&#13;"},
        {std::string_view("x\x01\0y", 4), "xy"}, // other controls are dropped
        {"\xC3\xA9\xF0\x9F\x9A\x97", "\xC3\xA9\xF0\x9F\x9A\x97"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", ""}, // U+FFFE and U+FFFF
        // Not UTF-8: a stray continuation byte, a cut sequence, an overlong "<", a surrogate,
        // beyond U+10FFFF.
        {"\x80", "\xEF\xBF\xBD"},
        {"\xE2\x9C", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xE0\x80\xBC", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}};
    for (const auto& [text, expected] : cases) {
        RVExportSink sink;
        RVXmlText::append(sink, text);
        EXPECT_EQ(sink.takeText(), expected)
            << QByteArray(text.data(), qsizetype(text.size())).toHex().constData();
    }

    const QByteArray trip = golden("trip.kml");
    // Coordinates are copied as stored, longitude first, altitude always 0.
    EXPECT_EQ(kml("2015_0301_090500.MOV",
                  {point("55.75", "37.61", 0, 0, 145.3), point("0.000000", "-0.000005"),
                   point("55.76", "37.62", 0, 0, 146)}),
              trip);
    // Points within 0.00001 of zero count as no fix; a leading or trailing one leaves no stray
    // separator, and the template stays whole without any.
    const std::pair<std::vector<RVPoint>, const char*> documents[] = {
        {{point("0", "0"), point("-55.752060", "-37.609463"), point("", "letters")},
         "-37.609463,-55.752060,0"},
        {{}, ""},
        {{point("0.000000", "0.000000"), point("0.000009", "0")}, ""},
        {{point("0.000010", "0.000000")}, "0.000000,0.000010,0"}};
    for (const auto& [points, coordinates] : documents)
        EXPECT_EQ(kml("T", points), QByteArray(trip)
                                        .replace("2015_0301_090500.MOV", "T")
                                        .replace("37.61,55.75,0 37.62,55.76,0", coordinates))
            << coordinates;
    // Names and coordinate texts are escaped; bytes that are not UTF-8 become U+FFFD.
    const QByteArray document =
        kml(QStringLiteral("Trip <1> & \"Ост\"\u0001\n"), {point("55.1<", "37&2")});
    EXPECT_TRUE(document.contains(
        "<name>Trip &lt;1&gt; &amp; &quot;\xD0\x9E\xD1\x81\xD1\x82&quot;&#10;</name>"));
    EXPECT_TRUE(document.contains("<coordinates>37&amp;2,55.1&lt;,0\n"));
    const QByteArray broken = kml("x", {point("55\xff\xc3", "37.1")});
    EXPECT_TRUE(broken.contains("37.1,55\xEF\xBF\xBD\xEF\xBF\xBD,0"));
}

TEST(ExcelWriter, NumbersHalfToEvenGroupedByLocaleAndTheTables)
{
    // Ties go to the even digit, judged on the value's shortest decimal form; carries run into
    // the integer part and may add a digit and a group.
    const double values[] = {
        55.7512345,         63.25, -0.0004, 0,     -1234567.0625, 0.0635, 0.00051, 999.9996,
        18.519999980926514, 1e21,  kNan,    -kInf, 5e-324};
    const char* const texts[] = {
        "55,751", "63,25",   "0",     "0",     "-1,234,567,062",
        "0,064",  "0,001",   "1,000", "18,52", "1,000,000,000,000,000,000,000",
        "NaN",    "-\u221E", "0"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(RVExcelNumberFormat(kUnitedStates).format(values[i]), texts[i]) << values[i];
    // Indian grouping: three digits, then twos. Spanish starts grouping only at five digits;
    // French groups with a narrow no-break space.
    const QLocale spain(QLocale::Spanish, QLocale::Spain);
    const QLocale france(QLocale::French, QLocale::France);
    const std::tuple<QLocale, double, std::string> grouped[] = {
        {QLocale(QLocale::German, QLocale::Germany), 1234.5, "1.234,5"},
        {QLocale(QLocale::Hindi, QLocale::India), 1234567.5, "12,34,567,5"},
        {QLocale(QLocale::Hindi, QLocale::India), 1e21, "1,00,00,00,00,00,00,00,00,00,000"},
        {spain, 1234.5, spain.toString(1234).toStdString() + ",5"},
        {france, 12345.25, france.toString(12345).toStdString() + ",25"},
        {QLocale::c(), 1234.5, "1234,5"}};
    for (const auto& [locale, value, text] : grouped)
        EXPECT_EQ(RVExcelNumberFormat(locale).format(value), text) << value;
    // The largest double overflows nothing.
    EXPECT_EQ(RVExcelNumberFormat(kUnitedStates).format(-1.7976931348623157e308).size(),
              1u + 309 + 102);
    // The default is the current locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(RVExcelNumberFormat().format(1234.5), "1.234,5");
    QLocale::setDefault(QLocale::c());

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
              golden("track.csv"));
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
        golden("sensors.csv"));
    EXPECT_EQ(sensorTable({}), "TIME;X;Y;Z;");
}

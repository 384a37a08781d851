#include "core/RVNumber.h"
#include "metadata/RVCoordinateValue.h"
#include "metadata/RVDateFormatter.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNmea.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSensorLabel.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>

using TestFiles::text;

namespace {

const char* const kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A";
const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();

std::string rmc(const std::string& fields)
{
    const auto point = RVNmea::readPointFromNmea("$GPRMC," + fields);
    return point ? text(*point) : "none";
}

RVTimestamp utc(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return RVTimestamp::fromDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC));
}

} // namespace

// Coordinates in single precision: it cannot hold 17959.9999 (its step there is 1/512 minute).
// Only an exact "S"/"W" flips the sign; below 3 km/h the speed is 0; 11 fields at least, the
// talker letters and first character unchecked; a void fix with a date still has its time.
TEST(Nmea, RmcAndGgaSentences)
{
    const std::pair<std::string, std::string> cases[] = {
        {"134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A",
         "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 0 45.5"},
        {"134501.000,A,5545.1234,S,03736.5678,W,1.5,45.5,050215,,,A",
         "-55.752060 -37.609463 2015-02-05 13:45:01.000 0 0 45.5"},
        {"134501.000,A,5545.1234,s,03736.5678,W ,1.62,45.5,050215,,,A",
         "55.752060 37.609463 2015-02-05 13:45:01.000 3.00023999691 0 45.5"},
        {"1,A,+5856.1581,N,17959.9999,E,,0,050215,,,A", "58.935970 180.000000 - 0 0 0"},
        {"1,A,,N,0,E,-20,0,050215,,,A", "0.000000 0.000000 - 0 0 0"},
        {",,,,,,,,,", "0.000000 0.000000 - 0 0 0"},
        {",,,,,,,,", "none"},
        {"053229.438,V,,,,,,,020315,,,N*56\r", "0.000000 0.000000 2015-03-02 05:32:29.438 0 0 0"}};
    for (const auto& [fields, point] : cases)
        EXPECT_EQ(rmc(fields), point) << fields;
    EXPECT_TRUE(RVNmea::readPointFromNmea("xGLRMC,,,,,,,,,,"));
    EXPECT_FALSE(RVNmea::readPointFromNmea("$GPRM") || RVNmea::readPointFromNmea(""));
    EXPECT_TRUE(RVGpsProcessor::isZeroPoint(*RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,,,")));
    EXPECT_FALSE(RVNmea::convertToDecCoordinates("1e300").isEmpty() ||
                 RVNmea::convertToDecCoordinates("3e38").isEmpty());
}

TEST(Nmea, TimesAreReadLeniently)
{
    // The RMC's "time date" fields give this UTC time, "-" for none.
    const auto gives = [](const std::string& fields, const std::string& time) {
        const std::size_t blank = fields.find(' ', 1);
        const std::string rest = ",A,1,S,1,E,0.0,," + fields.substr(blank + 1) + ",,,A";
        return rmc(fields.substr(0, blank) + rest).find(" " + time + " 0 0 0") != std::string::npos;
    };
    const std::pair<std::string, const char*> valid[] = {
        {"222508 231019", "2019-10-23 22:25:08.000"},
        {"222508. 231019", "2019-10-23 22:25:08.000"},
        {"222508.1 231019", "2019-10-23 22:25:08.100"},
        {"222508.0009 231019", "2019-10-23 22:25:08.000"},
        {"222508.9999 231019", "2019-10-23 22:25:08.999"},
        {"000000 290200", "2000-02-29 00:00:00.000"},
        {"235959.999 311299", "2099-12-31 23:59:59.999"}};
    for (const auto& [fields, time] : valid)
        EXPECT_TRUE(gives(fields, time)) << fields;
    for (const char* fields :
         {"222508.x 231019", " 222508 231019", ".1 231019", "22250 231019", "246000 231019",
          "226000 231019", "222508 ", "222508 310419", "000000 290201"})
        EXPECT_TRUE(gives(fields, "-")) << fields;
    const RVDateFormatter& nmea = gps.nmeaDateFormatter();
    EXPECT_EQ(nmea.parse("134501.000-050215"), utc(2015, 2, 5, 13, 45, 1, 0));
    EXPECT_FALSE(nmea.parse("134501-05021").isValid());
    EXPECT_EQ(nmea.format(utc(2015, 2, 5, 13, 45, 1, 20)), "134501.020-050215");
    // Every day of a century (leap days, century years, month ends) against Qt's calendar.
    const QDateTime first(QDate(1999, 1, 1), QTime(23, 59, 58, 125), Qt::UTC);
    for (int day = 0; day < 37600; ++day)
        ASSERT_EQ(nmea.format(RVTimestamp::fromDateTime(first.addDays(day))),
                  first.addDays(day).toString(QStringLiteral("HHmmss.zzz-ddMMyy")));

    // GGA sentences give only an altitude, which the readers carry to the following fixes.
    const std::string gga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,145.3,M,,M,,";
    EXPECT_EQ(RVNmea::readAltitudeFromNmea(gga), 145.3);
    EXPECT_FALSE(RVNmea::readPointFromNmea(gga));
    EXPECT_EQ(RVNmea::readAltitudeFromNmea("$GNGGA,1,2,3,4,5,6,7,8,,M"), 0);
    EXPECT_EQ(RVNmea::readAltitudeFromNmea("$GNGGA,1,2,3,4,5,6,7,8,-12.5"), -12.5);
    for (const char* none : {"$GNGGA,1,2,3,4,5,6,7,8", kRmc, "$GPGG"})
        EXPECT_TRUE(std::isnan(RVNmea::readAltitudeFromNmea(none))) << none;
    RVNmeaTrackBuilder track;
    EXPECT_TRUE(track.addLine(gga) && track.addLine(kRmc));
    EXPECT_FALSE(track.addLine("$GPGSV,4,1,14,01,77,242,41") || track.addLine(""));

    // Zero within a strict single-precision bound.
    const auto zero = [](const char* lat, const char* lon) {
        return RVGpsProcessor::isZeroPoint(RVPoint(lat, lon, 0, 0, 0, RVTimestamp()));
    };
    EXPECT_TRUE(zero("0.000000", "-0.000005") && zero("0.0000099999997", "0") && zero("", "abc"));
    EXPECT_FALSE(zero("0.000010", "0.000000") || zero("0.0000099999998", "0") ||
                 zero("0", "-37.609463"));
    // Tests run with TZ=Europe/Berlin: UTC+1 in February, UTC+2 in July.
    const RVDateFormatter& format = gps.exportDateFormatter();
    EXPECT_EQ(format.format(utc(2015, 2, 5, 13, 45, 1, 7)), "05-02-15 14:45:01.007");
    EXPECT_EQ(format.format(utc(2017, 7, 8, 23, 30, 0, 999)), "09-07-17 01:30:00.999");
    EXPECT_TRUE(format.format(RVTimestamp()).isNull());
    EXPECT_EQ(format.parse("05-02-15 14:45:01.007"), utc(2015, 2, 5, 13, 45, 1, 7));
    EXPECT_FALSE(format.parse("05-02-15 14:45").isValid());
    EXPECT_EQ(RVSensorLabel::number(-2147483647 - 1).text(), "-2147483648");
    EXPECT_TRUE(RVSensorLabel().text().isNull());
    EXPECT_TRUE(RVSensorLabel::instant(RVTimestamp()).isNull());
}

TEST(CoordinateValue, ReadsFieldsAsTheNumberReaderDoes)
{
    for (const char* text : {"55.752060", "-37.609463", "0.000001", "-0.5", "180",
                             "-1234.123456789", "12345.6", "1e3", "55.7x", "-", "", " 5"})
        EXPECT_EQ(RVCoordinateValue::value(text), RVNumber::leadingValue(text)) << text;
}

#include "metadata/RVCivilTime.h"
#include "metadata/RVDateFormatter.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNmea.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSensorLabel.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <string>

namespace {

const RVGpsProcessor& gps()
{
    return RVGpsProcessor::sharedInstance();
}

std::int64_t utcMs(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc()).toMSecsSinceEpoch();
}

const char* const kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A";

} // namespace

TEST(Nmea, CoordinatesAreConvertedInSinglePrecision)
{
    EXPECT_EQ(RVNmea::convertToDecCoordinates("5545.1234"), "55.752060");
    EXPECT_EQ(RVNmea::convertToDecCoordinates("03736.5678"), "37.609463");
    EXPECT_EQ(RVNmea::convertToDecCoordinates(""), "0.000000");
    EXPECT_EQ(RVNmea::convertToDecCoordinates("+5856.1581"), "58.935970");
    // Single precision cannot hold 17959.9999 (its step there is 1/512 minute).
    EXPECT_EQ(RVNmea::convertToDecCoordinates("17959.9999"), "180.000000");
    // Garbage far beyond any coordinate must neither crash nor hit undefined conversions.
    EXPECT_FALSE(RVNmea::convertToDecCoordinates("1e300").isEmpty());
    EXPECT_FALSE(RVNmea::convertToDecCoordinates("3e38").isEmpty());
}

TEST(Nmea, RmcSentenceGivesPositionSpeedCourseAndUtcTime)
{
    const auto point = RVNmea::readPointFromNmea(kRmc);
    ASSERT_TRUE(point);
    EXPECT_EQ(point->latitude(), "55.752060");
    EXPECT_EQ(point->longitude(), "37.609463");
    EXPECT_EQ(point->velocity(), 10.0 * double(1.852f)); // 18.519999980926514
    EXPECT_EQ(point->azimut(), 45.5);
    EXPECT_EQ(point->altitude(), 0);
    EXPECT_EQ(point->time().msecsSinceEpoch(), utcMs(2015, 2, 5, 13, 45, 1, 0));

    const auto south = RVNmea::readPointFromNmea(
        "$GPRMC,134501.000,A,5545.1234,S,03736.5678,W,10.0,45.5,050215,,,A");
    ASSERT_TRUE(south);
    EXPECT_EQ(south->latitude(), "-55.752060");
    EXPECT_EQ(south->longitude(), "-37.609463");
    // Only an exact "S"/"W" flips the sign.
    const auto lower = RVNmea::readPointFromNmea(
        "$GPRMC,134501.000,A,5545.1234,s,03736.5678,W ,10.0,45.5,050215,,,A");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->latitude(), "55.752060");
    EXPECT_EQ(lower->longitude(), "37.609463");
}

TEST(Nmea, SlowSpeedsBecomeZeroAtThreeKmh)
{
    const auto speedOf = [](const std::string& knots) {
        const std::string s =
            "$GNRMC,134501.000,A,5545.1234,N,03736.5678,E," + knots + ",0,050215,,,A";
        return RVNmea::readPointFromNmea(s)->velocity();
    };
    EXPECT_EQ(speedOf("1.5"), 0);
    EXPECT_EQ(speedOf("1.62"), 1.62 * double(1.852f)); // 3.0002399969100955
    EXPECT_EQ(speedOf(""), 0);
    EXPECT_EQ(speedOf("-20"), 0);
}

TEST(Nmea, EmptyAndShortRmcSentences)
{
    const auto empty = RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,,,");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->latitude(), "0.000000");
    EXPECT_EQ(empty->longitude(), "0.000000");
    EXPECT_EQ(empty->velocity(), 0);
    EXPECT_EQ(empty->azimut(), 0);
    EXPECT_FALSE(empty->time().isValid());
    EXPECT_TRUE(RVGpsProcessor::isZeroPoint(*empty));

    EXPECT_FALSE(RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,")); // 10 fields
    EXPECT_TRUE(RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,,")); // 11 fields
    EXPECT_FALSE(RVNmea::readPointFromNmea("$GPRM"));
    EXPECT_FALSE(RVNmea::readPointFromNmea(""));
    // The talker letters and the first character are not checked.
    EXPECT_TRUE(RVNmea::readPointFromNmea("xGLRMC,,,,,,,,,,"));
    // A void fix with a date still has its time (real receivers before the first fix).
    const auto voidFix = RVNmea::readPointFromNmea("$GNRMC,053229.438,V,,,,,,,020315,,,N*56\r");
    ASSERT_TRUE(voidFix);
    EXPECT_EQ(voidFix->time().msecsSinceEpoch(), utcMs(2015, 3, 2, 5, 32, 29, 438));
    EXPECT_TRUE(RVGpsProcessor::isZeroPoint(*voidFix));
}

TEST(Nmea, TimesAreReadLeniently)
{
    const auto timeOf = [](const std::string& time, const std::string& date = "231019") {
        const std::string s =
            "$GPRMC," + time + ",A,4249.96542,S,14726.73195,E,0.0,," + date + ",,,A";
        const RVTimestamp t = RVNmea::readPointFromNmea(s)->time();
        return t.isValid() ? t.msecsSinceEpoch() : -1;
    };
    const std::int64_t base = utcMs(2019, 10, 23, 22, 25, 8, 0);
    EXPECT_EQ(timeOf("222508"), base);
    EXPECT_EQ(timeOf("222508."), base);
    EXPECT_EQ(timeOf("222508.1"), base + 100);
    EXPECT_EQ(timeOf("222508.0009"), base); // beyond milliseconds: dropped
    EXPECT_EQ(timeOf("222508.9999"), base + 999);
    EXPECT_EQ(timeOf("222508.x"), -1);
    EXPECT_EQ(timeOf(" 222508"), -1);
    EXPECT_EQ(timeOf(".1"), -1);
    EXPECT_EQ(timeOf("22250"), -1);
    EXPECT_EQ(timeOf("246000"), -1);
    EXPECT_EQ(timeOf("226000"), -1);
    EXPECT_EQ(timeOf("222508", ""), -1);
    EXPECT_EQ(timeOf("222508", "310419"), -1); // 31 April
    EXPECT_EQ(timeOf("000000", "290200"), utcMs(2000, 2, 29, 0, 0, 0, 0));
    EXPECT_EQ(timeOf("000000", "290201"), -1);
    EXPECT_EQ(timeOf("235959.999", "311299"), utcMs(2099, 12, 31, 23, 59, 59, 999));
    // The formatter reads the same joined text.
    EXPECT_EQ(gps().nmeaDateFormatter().parse("134501.000-050215").msecsSinceEpoch(),
              utcMs(2015, 2, 5, 13, 45, 1, 0));
    EXPECT_FALSE(gps().nmeaDateFormatter().parse("134501-05021").isValid());
    EXPECT_EQ(gps().nmeaDateFormatter().format(
                  RVTimestamp::fromMSecsSinceEpoch(utcMs(2015, 2, 5, 13, 45, 1, 20))),
              "134501.020-050215");
}

TEST(Nmea, GgaGivesAltitudeAndNothingElseDoes)
{
    const std::string gga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,145.3,M,14.0,M,,";
    EXPECT_EQ(RVNmea::readAltitudeFromNmea(gga), 145.3);
    EXPECT_EQ(RVNmea::readAltitudeFromNmea(
                  "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,,M,14.0,M,,"),
              0);
    EXPECT_EQ(RVNmea::readAltitudeFromNmea("$GNGGA,1,2,3,4,5,6,7,8,-12.5"), -12.5);
    EXPECT_TRUE(std::isnan(RVNmea::readAltitudeFromNmea("$GNGGA,1,2,3,4,5,6,7,8")));
    EXPECT_TRUE(std::isnan(RVNmea::readAltitudeFromNmea(kRmc)));
    EXPECT_TRUE(std::isnan(RVNmea::readAltitudeFromNmea("$GPGG")));
    EXPECT_FALSE(RVNmea::readPointFromNmea(gga));
}

TEST(Nmea, LineScanCarriesTheLatestAltitude)
{
    const std::string rmc = kRmc;
    const auto gga = [](const char* alt) {
        return std::string("$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,") + alt +
               ",M,,M,,";
    };
    RVNmeaTrackBuilder track;
    for (const std::string& line : {gga("145.3"), rmc, rmc, gga("146.0"), rmc})
        EXPECT_TRUE(track.addLine(line));
    EXPECT_FALSE(track.addLine("$GPGSV,4,1,14,01,77,242,41"));
    EXPECT_FALSE(track.addLine(""));
    RVMetaData data;
    track.moveInto(data);
    ASSERT_EQ(data.points.size(), 3u);
    ASSERT_EQ(data.velocityData.size(), 3u);
    EXPECT_EQ(data.points[0].altitude(), 145.3);
    EXPECT_EQ(data.points[1].altitude(), 145.3);
    EXPECT_EQ(data.points[2].altitude(), 146.0);
    EXPECT_EQ(data.velocityData[2], data.points[2].velocity());

    RVNmeaTrackBuilder second;
    for (const std::string& line : {rmc, gga("145.3"), rmc})
        second.addLine(line);
    second.moveInto(data);
    ASSERT_EQ(data.points.size(), 2u);
    EXPECT_TRUE(std::isnan(data.points[0].altitude()));
    EXPECT_EQ(data.points[1].altitude(), 145.3);
}

TEST(Nmea, ZeroPointBoundIsStrictSinglePrecision)
{
    const auto isZero = [](const char* lat, const char* lon) {
        return RVGpsProcessor::isZeroPoint(RVPoint(lat, lon, 0, 0, 0, RVTimestamp()));
    };
    EXPECT_TRUE(isZero("0.000000", "-0.000005"));
    EXPECT_FALSE(isZero("0.000010", "0.000000"));
    EXPECT_TRUE(isZero("0.0000099999997", "0")); // just below the float constant
    EXPECT_FALSE(isZero("0.0000099999998", "0"));
    EXPECT_TRUE(isZero("", "abc"));
    EXPECT_FALSE(isZero("0", "-37.609463"));
}

TEST(Nmea, ExportFormatAndSensorLabelsUseLocalTime)
{
    // Tests run with TZ=Europe/Berlin: UTC+1 in February, UTC+2 in July.
    const RVDateFormatter& format = gps().exportDateFormatter();
    EXPECT_EQ(format.format(RVTimestamp::fromMSecsSinceEpoch(utcMs(2015, 2, 5, 13, 45, 1, 7))),
              "05-02-15 14:45:01.007");
    EXPECT_EQ(format.format(RVTimestamp::fromMSecsSinceEpoch(utcMs(2017, 7, 8, 23, 30, 0, 999))),
              "09-07-17 01:30:00.999");
    EXPECT_TRUE(format.format(RVTimestamp()).isNull());
    EXPECT_EQ(format.parse("05-02-15 14:45:01.007").msecsSinceEpoch(),
              utcMs(2015, 2, 5, 13, 45, 1, 7));
    EXPECT_FALSE(format.parse("05-02-15 14:45").isValid());

    EXPECT_EQ(RVSensorLabel::number(-2147483647 - 1).text(), "-2147483648");
    EXPECT_TRUE(RVSensorLabel().text().isNull());
    EXPECT_TRUE(RVSensorLabel::instant(RVTimestamp()).isNull());

    // Local civil times in summer time.
    const RVCivilTime::Fields summer{.year = 2017, .month = 7, .day = 9, .hour = 8};
    EXPECT_EQ(RVCivilTime::localInstant(summer).msecsSinceEpoch(), utcMs(2017, 7, 9, 6, 0, 0, 0));
}

TEST(Nmea, TimesAreFormattedOnEveryDayOfACentury)
{
    // Leap days, century years and the ends of months, against Qt's own calendar.
    const RVDateFormatter nmea(RVDateFormatter::Pattern::Nmea);
    const QDateTime first(QDate(1999, 1, 1), QTime(23, 59, 58, 125), Qt::UTC);
    for (int day = 0; day < 37600; ++day) {
        const QDateTime when = first.addDays(day);
        ASSERT_EQ(nmea.format(RVTimestamp::fromDateTime(when)),
                  when.toString(QStringLiteral("HHmmss.zzz-ddMMyy")))
            << day;
    }
}

TEST(Nmea, CalendarDaysOfTheDateField)
{
    // ddMMyy: the last day of each kind of month, leap years by the Gregorian rule.
    const std::pair<const char*, bool> dates[] = {
        {"310115", true},  {"320115", false}, {"300415", true},  {"310415", false},
        {"280215", true},  {"290215", false}, {"290216", true},  {"300216", false},
        {"290200", true},  {"311215", true},  {"000115", false}, {"011315", false},
        {"010015", false}, {"01011", false},
    };
    for (const auto& [text, valid] : dates) {
        RVCivilTime::Fields fields;
        EXPECT_EQ(RVCivilTime::parseDayMonthYear(text, fields), valid) << text;
    }
    EXPECT_EQ(RVCivilTime::daysInMonth(2100, 2), 28);
    EXPECT_EQ(RVCivilTime::daysInMonth(2000, 2), 29);
}

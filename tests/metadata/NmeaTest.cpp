#include "metadata/RVCivilTime.h"
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

std::int64_t utcMs(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc()).toMSecsSinceEpoch();
}

std::string rmc(const std::string& fields)
{
    return text(*RVNmea::readPointFromNmea("$GPRMC," + fields));
}

const char* const kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A";

} // namespace

TEST(Nmea, CoordinatesAreConvertedInSinglePrecision)
{
    // Single precision cannot hold 17959.9999 (its step there is 1/512 minute).
    const std::pair<const char*, const char*> cases[] = {{"5545.1234", "55.752060"},
                                                         {"03736.5678", "37.609463"},
                                                         {"", "0.000000"},
                                                         {"+5856.1581", "58.935970"},
                                                         {"17959.9999", "180.000000"}};
    for (const auto& [nmea, degrees] : cases)
        EXPECT_EQ(RVNmea::convertToDecCoordinates(nmea), degrees) << nmea;
    EXPECT_FALSE(RVNmea::convertToDecCoordinates("1e300").isEmpty());
    EXPECT_FALSE(RVNmea::convertToDecCoordinates("3e38").isEmpty());
}

TEST(Nmea, RmcSentencesGivePositionSpeedCourseAndUtcTime)
{
    EXPECT_EQ(text(*RVNmea::readPointFromNmea(kRmc)),
              "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 0 45.5");
    // Only an exact "S"/"W" flips the sign; below 3 km/h the speed is 0.
    EXPECT_EQ(rmc("134501.000,A,5545.1234,S,03736.5678,W,1.5,45.5,050215,,,A"),
              "-55.752060 -37.609463 2015-02-05 13:45:01.000 0 0 45.5");
    EXPECT_EQ(rmc("134501.000,A,5545.1234,s,03736.5678,W ,1.62,45.5,050215,,,A"),
              "55.752060 37.609463 2015-02-05 13:45:01.000 3.00023999691 0 45.5");
    EXPECT_EQ(rmc("1,A,0,N,0,E,,0,050215,,,A"), "0.000000 0.000000 - 0 0 0");
    EXPECT_EQ(rmc("1,A,0,N,0,E,-20,0,050215,,,A"), "0.000000 0.000000 - 0 0 0");
    EXPECT_EQ(rmc(",,,,,,,,,,"), "0.000000 0.000000 - 0 0 0");
    EXPECT_TRUE(RVGpsProcessor::isZeroPoint(*RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,,,")));
    // 11 fields at least; the talker letters and the first character are not checked.
    EXPECT_FALSE(RVNmea::readPointFromNmea("$GPRMC,,,,,,,,,"));
    EXPECT_TRUE(RVNmea::readPointFromNmea("xGLRMC,,,,,,,,,,"));
    EXPECT_FALSE(RVNmea::readPointFromNmea("$GPRM"));
    EXPECT_FALSE(RVNmea::readPointFromNmea(""));
    // A void fix with a date still has its time (real receivers before the first fix).
    EXPECT_EQ(text(*RVNmea::readPointFromNmea("$GNRMC,053229.438,V,,,,,,,020315,,,N*56\r")),
              "0.000000 0.000000 2015-03-02 05:32:29.438 0 0 0");
}

TEST(Nmea, TimesAreReadLeniently)
{
    const auto timeOf = [](const std::string& time, const std::string& date = "231019") {
        const RVTimestamp t =
            RVNmea::readPointFromNmea("$GPRMC," + time + ",A,1,S,1,E,0.0,," + date + ",,,A")
                ->time();
        return t.isValid() ? t.msecsSinceEpoch() : -1;
    };
    const std::int64_t base = utcMs(2019, 10, 23, 22, 25, 8, 0);
    const std::tuple<const char*, const char*, std::int64_t> cases[] = {
        {"222508", "231019", base},
        {"222508.", "231019", base},
        {"222508.1", "231019", base + 100},
        {"222508.0009", "231019", base},
        {"222508.9999", "231019", base + 999},
        {"222508.x", "231019", -1},
        {" 222508", "231019", -1},
        {".1", "231019", -1},
        {"22250", "231019", -1},
        {"246000", "231019", -1},
        {"226000", "231019", -1},
        {"222508", "", -1},
        {"222508", "310419", -1},
        {"000000", "290200", utcMs(2000, 2, 29, 0, 0, 0, 0)},
        {"000000", "290201", -1},
        {"235959.999", "311299", utcMs(2099, 12, 31, 23, 59, 59, 999)}};
    for (const auto& [time, date, ms] : cases)
        EXPECT_EQ(timeOf(time, date), ms) << time << " " << date;
    const RVDateFormatter& nmea = RVGpsProcessor::sharedInstance().nmeaDateFormatter();
    EXPECT_EQ(nmea.parse("134501.000-050215").msecsSinceEpoch(), utcMs(2015, 2, 5, 13, 45, 1, 0));
    EXPECT_FALSE(nmea.parse("134501-05021").isValid());
    // Every day of a century (leap days, century years, month ends) against Qt's calendar.
    const QDateTime first(QDate(1999, 1, 1), QTime(23, 59, 58, 125), Qt::UTC);
    for (int day = 0; day < 37600; ++day) {
        const QDateTime when = first.addDays(day);
        ASSERT_EQ(nmea.format(RVTimestamp::fromDateTime(when)),
                  when.toString(QStringLiteral("HHmmss.zzz-ddMMyy")));
    }
    // ddMMyy: the last day of each kind of month, leap years by the Gregorian rule.
    const std::pair<const char*, bool> dates[] = {
        {"310115", true},  {"320115", false}, {"300415", true},  {"310415", false},
        {"280215", true},  {"290215", false}, {"290216", true},  {"300216", false},
        {"290200", true},  {"311215", true},  {"000115", false}, {"011315", false},
        {"010015", false}, {"01011", false}};
    for (const auto& [date, valid] : dates) {
        RVCivilTime::Fields fields;
        EXPECT_EQ(RVCivilTime::parseDayMonthYear(date, fields), valid) << date;
    }
    EXPECT_EQ(RVCivilTime::daysInMonth(2100, 2), 28);
    EXPECT_EQ(RVCivilTime::daysInMonth(2000, 2), 29);
}

TEST(Nmea, GgaAltitudesCarriedToTheFollowingFixes)
{
    const auto gga = [](const char* alt) {
        return std::string("$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,") + alt +
               ",M,,M,,";
    };
    EXPECT_EQ(RVNmea::readAltitudeFromNmea(gga("145.3")), 145.3);
    EXPECT_EQ(RVNmea::readAltitudeFromNmea(gga("")), 0);
    EXPECT_EQ(RVNmea::readAltitudeFromNmea("$GNGGA,1,2,3,4,5,6,7,8,-12.5"), -12.5);
    for (const char* none : {"$GNGGA,1,2,3,4,5,6,7,8", kRmc, "$GPGG"})
        EXPECT_TRUE(std::isnan(RVNmea::readAltitudeFromNmea(none))) << none;
    EXPECT_FALSE(RVNmea::readPointFromNmea(gga("1")));

    const auto altitudes = [](const std::vector<std::string>& lines) {
        RVNmeaTrackBuilder track;
        for (const std::string& line : lines)
            EXPECT_EQ(track.addLine(line), line.find("RMC") != std::string::npos ||
                                               line.find("GGA") != std::string::npos);
        RVMetaData data;
        track.moveInto(data);
        std::string out;
        for (std::size_t i = 0; i < data.points.size(); ++i) {
            EXPECT_EQ(data.velocityData.at(i), data.points[i].velocity());
            out += TestFiles::num(data.points[i].altitude()) + " ";
        }
        return out;
    };
    EXPECT_EQ(
        altitudes({gga("145.3"), kRmc, kRmc, "$GPGSV,4,1,14,01,77,242,41", gga("146.0"), kRmc, ""}),
        "145.3 145.3 146 ");
    EXPECT_EQ(altitudes({kRmc, gga("145.3"), kRmc}), "nan 145.3 ");
}

TEST(Nmea, ZeroPointBoundIsStrictSinglePrecision)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"0.000000", "-0.000005", true},
        {"0.000010", "0.000000", false},
        {"0.0000099999997", "0", true},
        {"0.0000099999998", "0", false}, // the float constant
        {"", "abc", true},
        {"0", "-37.609463", false}};
    for (const auto& [lat, lon, zero] : cases)
        EXPECT_EQ(RVGpsProcessor::isZeroPoint(RVPoint(lat, lon, 0, 0, 0, RVTimestamp())), zero)
            << lat << " " << lon;
}

TEST(Nmea, ExportFormatAndSensorLabelsUseLocalTime)
{
    // Tests run with TZ=Europe/Berlin: UTC+1 in February, UTC+2 in July.
    const RVDateFormatter& format = RVGpsProcessor::sharedInstance().exportDateFormatter();
    const auto at = [](std::int64_t ms) { return RVTimestamp::fromMSecsSinceEpoch(ms); };
    EXPECT_EQ(format.format(at(utcMs(2015, 2, 5, 13, 45, 1, 7))), "05-02-15 14:45:01.007");
    EXPECT_EQ(format.format(at(utcMs(2017, 7, 8, 23, 30, 0, 999))), "09-07-17 01:30:00.999");
    EXPECT_TRUE(format.format(RVTimestamp()).isNull());
    EXPECT_EQ(format.parse("05-02-15 14:45:01.007").msecsSinceEpoch(),
              utcMs(2015, 2, 5, 13, 45, 1, 7));
    EXPECT_FALSE(format.parse("05-02-15 14:45").isValid());
    EXPECT_EQ(RVGpsProcessor::sharedInstance().nmeaDateFormatter().format(
                  at(utcMs(2015, 2, 5, 13, 45, 1, 20))),
              "134501.020-050215");

    EXPECT_EQ(RVSensorLabel::number(-2147483647 - 1).text(), "-2147483648");
    EXPECT_TRUE(RVSensorLabel().text().isNull());
    EXPECT_TRUE(RVSensorLabel::instant(RVTimestamp()).isNull());
    const RVCivilTime::Fields summer{.year = 2017, .month = 7, .day = 9, .hour = 8};
    EXPECT_EQ(RVCivilTime::localInstant(summer).msecsSinceEpoch(), utcMs(2017, 7, 9, 6, 0, 0, 0));
}

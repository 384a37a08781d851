// Neoline Spectrum recordings: the real "ssmd" tracks of three recordings (tests/data/dashcamigo,
// read under their original names, which date the records), and the same bytes edited for the
// cases no public recording shows: a month's end between name and fix, a cold start's clock.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVIBoxMetaDataReader.h"
#include "metadata/RVNeolineMetaDataReader.h"
#include "metadata/RVSampleTable.h"

#include "TestFiles.h"
#include "TrackFiles.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

namespace {

struct Recording
{
    const char* file;
    const char* name; // as the camera named it
};
const Recording k4k{"neoline-spectrum-4k-front.mp4", "INF20260725-120324-105-F.mp4"};
const Recording kGoodSignal{"neoline-spectrum-front-good-signal.mp4",
                            "INF20260520-143412-26-F.mp4"};
const Recording kPhantom{"neoline-spectrum-front.mp4", "INF20260520-214526-1-F.mp4"};

QByteArray bytesOf(const Recording& recording)
{
    return TestFiles::realData(QStringLiteral("dashcamigo/") + recording.file);
}

// The records' samples (where each lies and when it plays).
std::vector<RVTrackSample> records(const QByteArray& bytes)
{
    const auto movie = TestFiles::readBytes(bytes, RVSampleTable::readMovie);
    const RVTimedTrack* track = movie ? RVSampleTable::find(*movie, "ssmd") : nullptr;
    return track ? track->samples : std::vector<RVTrackSample>{};
}

// The records with a fix: coordinates other than 4294967295.0.
std::vector<RVTrackSample> fixRecords(const QByteArray& bytes)
{
    std::vector<RVTrackSample> fixes = records(bytes);
    std::erase_if(fixes, [&](const RVTrackSample& r) {
        return bytes.mid(qsizetype(r.offset), 8) == QByteArray::fromHex("0000e0ffffffef41");
    });
    return fixes;
}

// Moves a record's clock (hour, minute, second at +25..+27) by the given seconds.
void shiftClock(QByteArray& bytes, const RVTrackSample& record, int seconds)
{
    char* clock = bytes.data() + record.offset + 25;
    const int time = (clock[0] * 3600 + clock[1] * 60 + clock[2] + seconds + 86400) % 86400;
    clock[0] = char(time / 3600);
    clock[1] = char(time / 60 % 60);
    clock[2] = char(time % 60);
}

struct Read
{
    std::optional<RVMetaData> data;
    RVDecline why;
};

Read readAs(const QByteArray& bytes, const QString& name)
{
    QTemporaryDir dir;
    const QString path = dir.path() + '/' + name;
    EXPECT_TRUE(support::writeFile(path, bytes));
    Read read;
    read.data = RVNeolineMetaDataReader().readMetaDataOrDecline(path, read.why);
    return read;
}

std::string utc(const RVPoint& point)
{
    return point.time().isValid()
               ? point.time().toDateTime().toString(u"yyyy-MM-dd HH:mm:ss").toStdString()
               : "-";
}

// "latitude longitude time speed course" of a point, degrees rounded to whole ones.
std::string fix(const RVPoint& point)
{
    return std::to_string(std::lround(point.latitudeValue())) + ' ' +
           std::to_string(std::lround(point.longitudeValue())) + ' ' + utc(point) + ' ' +
           std::to_string(std::lround(point.velocity())) + ' ' +
           std::to_string(std::lround(point.azimut()));
}

} // namespace

TEST(NeolineReader, RealRecordingsReadAsTheirBytesSay)
{
    // The 4K camera: 64 rows without a fix (the camera's local clock, 12:03-12:04), then 237
    // fixes a second apart in UTC.
    Read read = readAs(bytesOf(k4k), k4k.name);
    ASSERT_TRUE(read.data) << read.why.detail.toStdString();
    const std::vector<RVPoint>& points = read.data->points;
    ASSERT_EQ(points.size(), 237u);
    EXPECT_EQ(fix(points[0]), "56 40 2026-07-25 09:04:25 15 0");
    EXPECT_EQ(fix(points[1]), "56 40 2026-07-25 09:04:26 15 140");
    EXPECT_EQ(fix(points[236]), "56 40 2026-07-25 09:08:21 0 22");
    EXPECT_TRUE(std::isnan(points[0].altitude()));
    for (std::size_t i = 1; i < points.size(); ++i)
        ASSERT_EQ(points[i].time().msecsSinceEpoch() - points[i - 1].time().msecsSinceEpoch(), 1000)
            << i;

    // The good-signal drive: 179 fixes around two rows without one; a course of 0 is "not
    // updated" and the last one holds (90 degrees after the gap, 346 later).
    read = readAs(bytesOf(kGoodSignal), kGoodSignal.name);
    ASSERT_TRUE(read.data && read.data->points.size() == 179u) << read.why.detail.toStdString();
    const std::vector<RVPoint>& drive = read.data->points;
    EXPECT_EQ(fix(drive[0]), "45 39 2026-05-20 11:34:11 0 0");
    EXPECT_EQ(fix(drive[130]), "45 39 2026-05-20 11:36:22 13 90");
    EXPECT_EQ(fix(drive[131]), "45 39 2026-05-20 11:36:24 23 90");
    EXPECT_EQ(fix(drive[153]), "45 39 2026-05-20 11:36:46 11 346");
    EXPECT_EQ(fix(drive[178]), "45 39 2026-05-20 11:37:11 35 32");

    // The parked car whose receiver made up a track at 113-137 km/h: nothing, and why.
    read = readAs(bytesOf(kPhantom), kPhantom.name);
    EXPECT_FALSE(read.data);
    EXPECT_EQ(read.why.kind, RVDecline::Kind::NoFixYet);
    EXPECT_TRUE(read.why.detail.contains("made-up")) << read.why.detail.toStdString();

    // The dispatcher asks this reader for them.
    QTemporaryDir dir;
    const QString path = dir.path() + '/' + kGoodSignal.name;
    ASSERT_TRUE(support::writeFile(path, bytesOf(kGoodSignal)));
    EXPECT_EQ(TestFiles::readerOf(path), "Neoline");
}

TEST(NeolineReader, DatesFixesByTheirOwnDateOrTheName)
{
    // A fix holds its UTC date: the year since 1900, the month, the day. Rows without a fix
    // carry the camera's clock, its month counted from 0, and date nothing; in an even month
    // they and the fixes look as if a "fix bit" were swapped, and every fix still counts. A fix
    // without a month is dated by the name (camera local): the day within one of it that has
    // the fix's day of the month. A damaged record (the last, zeroed) is skipped, and a course
    // byte out of range (the first, 180) is no course. The name, the month and day written into
    // every fix, the first fix's time.
    const std::tuple<const char*, char, char, const char*> cases[] = {
        {"INF20260501-003000-1-F.mp4", 4, 30, "2026-04-30 11:34:11"},
        {"INF20261208-120000-1-F.mp4", 12, 8, "2026-12-08 11:34:11"},
        {"INF20260101-013000-1-R.mp4", 0, 31, "2025-12-31 11:34:11"},
        {"INF20251231-233000-1-F.mp4", 0, 1, "2026-01-01 11:34:11"},
        {"INF20240301-003000-1-F.mp4", 0, 29, "2024-02-29 11:34:11"},
        {"INF20260520-143412-26-F.mp4", 0, 15, "-"}, // a day that fits no date near the name's
        {"renamed.mp4", 0, 20, "-"},                 // no name: positions without times
    };
    const QByteArray real = bytesOf(kGoodSignal);
    for (const auto& [name, month, day, first] : cases) {
        QByteArray bytes = real;
        const std::vector<RVTrackSample> all = records(bytes);
        for (const RVTrackSample& record : all)
            bytes[record.offset + 23] = char(bytes[record.offset + 23] == 5 ? month : month - 1);
        for (const RVTrackSample& record : fixRecords(bytes))
            bytes[record.offset + 24] = day;
        bytes[all.front().offset + 28] = char(180);
        bytes.replace(all.back().offset, 40, QByteArray(40, '\0'));
        const Read read = readAs(bytes, name);
        ASSERT_TRUE(read.data && read.data->points.size() == 178u) << name;
        EXPECT_EQ(utc(read.data->points[0]), first) << name;
        EXPECT_EQ(read.data->points[0].azimut(), 0) << name;
    }
}

TEST(NeolineReader, FixesBeforeTheColdStartClockLocksAreLeftOut)
{
    // The first ten fixes of the 4K drive carry a clock that runs ahead or behind and steps
    // when it locks: they go. A clock a second off within a locked run is the whole-second
    // clock against jittering sample times, and every fix stays. The first fix moved, the fixes
    // moved, by how many seconds; the fixes read, the first one's time.
    const std::tuple<std::size_t, std::size_t, int, std::size_t, const char*> cases[] = {
        {0, 10, 95, 227, "09:04:35"}, {0, 10, -104, 227, "09:04:35"}, {0, 1, 3, 236, "09:04:26"},
        {100, 1, 1, 237, "09:04:25"}, {100, 1, -1, 237, "09:04:25"},  {0, 0, 0, 237, "09:04:25"},
    };
    const QByteArray real = bytesOf(k4k);
    const std::vector<RVTrackSample> fixes = fixRecords(real);
    ASSERT_EQ(fixes.size(), 237u);
    // A recording across midnight UTC: the clock's step from 23:59:59 to 00:00:00 is a second.
    QByteArray night = real;
    for (const RVTrackSample& record : fixes) {
        shiftClock(night, record, 53615); // 09:04:25 becomes 23:58:00
        night[record.offset + 24] = char(night[record.offset + 25] < 12 ? 26 : 25);
    }
    const Read acrossMidnight = readAs(night, k4k.name);
    ASSERT_TRUE(acrossMidnight.data && acrossMidnight.data->points.size() == 237u);
    EXPECT_EQ(utc(acrossMidnight.data->points[0]), "2026-07-25 23:58:00");
    EXPECT_EQ(utc(acrossMidnight.data->points[236]), "2026-07-26 00:01:56");
    for (const auto& [moved, count, seconds, kept, first] : cases) {
        QByteArray bytes = real;
        for (std::size_t i = moved; i < moved + count; ++i)
            shiftClock(bytes, fixes[i], seconds);
        const Read read = readAs(bytes, k4k.name);
        ASSERT_TRUE(read.data) << seconds;
        ASSERT_EQ(read.data->points.size(), kept) << moved << " " << seconds;
        EXPECT_EQ(utc(read.data->points[0]).substr(11), first) << moved << " " << seconds;
    }
}

TEST(NeolineReader, MadeUpTrackIsToldFromSparseGenuineFixes)
{
    // The made-up track's file as published (its positions replaced by one point) is left out
    // whole. Moving its fixes as their speeds say makes a drive under a poor sky, read in
    // full; moving them so but jumping 300 m at every n-th pair condemns it again once a tenth
    // of the pairs jump.
    const QByteArray real = bytesOf(kPhantom);
    const std::vector<RVTrackSample> fixes = fixRecords(real);
    ASSERT_EQ(fixes.size(), 72u);
    const auto speedOf = [&real](const RVTrackSample& record) {
        return double(std::uint8_t(real[record.offset + 20]) |
                      std::uint8_t(real[record.offset + 21]) << 8);
    };
    const std::pair<int, std::size_t> cases[] = {{0, 72}, {20, 72}, {12, 72}, {8, 0}, {3, 0}};
    for (const auto& [every, kept] : cases) {
        QByteArray bytes = real;
        double latitude = 45;
        for (std::size_t i = 0; i < fixes.size(); ++i) {
            if (i > 0) {
                const double seconds = fixes[i].startSeconds - fixes[i - 1].startSeconds;
                const double metres =
                    std::max(speedOf(fixes[i]), speedOf(fixes[i - 1])) / 3.6 * seconds +
                    (every && i % every == 0 ? 300 : 0);
                latitude += metres / 111195.0; // metres a degree of latitude
            }
            std::memcpy(bytes.data() + fixes[i].offset, &latitude, sizeof latitude);
        }
        const Read read = readAs(bytes, kPhantom.name);
        EXPECT_EQ(read.data ? read.data->points.size() : 0u, kept) << every;
    }
    EXPECT_FALSE(readAs(real, kPhantom.name).data);

    // The share of rows without a fix counts from the first fix: a long search for satellites
    // before it is routine. The 4K drive's published positions stand still while its speeds
    // reach 76 km/h, so its pairs disagree, and the rows without a fix decide: every fourth fix
    // made a row without one (a quarter) keeps the drive, every second one (a half) condemns
    // it, and its first 100 fixes made so (a lead-in of 164 rows in 301) keep it.
    const QByteArray drive = bytesOf(k4k);
    const std::vector<RVTrackSample> driveFixes = fixRecords(drive);
    ASSERT_EQ(driveFixes.size(), 237u);
    const auto withoutFixes = [&](auto lost) {
        QByteArray bytes = drive;
        const double none = 4294967295.0;
        for (std::size_t i = 0; i < driveFixes.size(); ++i) {
            if (!lost(i))
                continue;
            char* record = bytes.data() + driveFixes[i].offset;
            std::memcpy(record, &none, 8);
            std::memcpy(record + 8, &none, 8);
            record[23] = char(record[23] & ~1);
        }
        const Read read = readAs(bytes, k4k.name);
        return read.data ? read.data->points.size() : 0u;
    };
    EXPECT_EQ(withoutFixes([](std::size_t i) { return i % 4 == 3; }), 178u);
    EXPECT_EQ(withoutFixes([](std::size_t i) { return i % 2 == 1; }), 0u);
    EXPECT_EQ(withoutFixes([](std::size_t i) { return i < 100; }), 137u);
}

TEST(NeolineReader, IBoxRecordsAreTheFirst32BytesWithNmeaCoordinates)
{
    // The iBox RoadScan 2K writes the first 32 bytes of the record, its coordinates as
    // ddmm.mmmm, in folders a mode and a channel. The good-signal
    // drive's records written so give the same fixes, dated by an iBox name.
    const QByteArray real = bytesOf(kGoodSignal);
    std::vector<QByteArray> samples;
    int fixes = 0;
    for (const RVTrackSample& record : records(real)) {
        QByteArray r = real.mid(qsizetype(record.offset), 32);
        const bool fixed = (r[23] & 1) != 0;
        for (const int at : {0, 8}) {
            double v = 0;
            std::memcpy(&v, r.data() + at, 8);
            if (v != 4294967295.0)
                v = std::trunc(v) * 100 + (v - std::trunc(v)) * 60;
            std::memcpy(r.data() + at, &v, 8);
        }
        // The fifth fix at 45 degrees 75 minutes, which is no ddmm.mmmm value, and the tenth at
        // 0 N 0 E: both are skipped.
        if (fixed && ++fixes == 5)
            r.replace(0, 8, QByteArray::fromHex("0000000000dfb140"));
        if (fixes == 10 && fixed)
            r.replace(0, 16, QByteArray(16, '\0'));
        samples.push_back(r);
    }
    QTemporaryDir dir;
    const QString path = dir.path() + "/Normal/F/REC20260520-143412-26.mp4";
    ASSERT_TRUE(support::writeFile(path, TrackFiles::movie({{.handler = "meta",
                                                             .codec = "ssmd",
                                                             .timescale = 90000,
                                                             .delta = 90000,
                                                             .samples = samples}})));
    RVDecline why;
    const auto iBox = RVIBoxMetaDataReader().readMetaDataOrDecline(path, why);
    const Read neoline = readAs(real, kGoodSignal.name);
    ASSERT_TRUE(iBox && neoline.data) << why.detail.toStdString();
    std::vector<RVPoint> expected = neoline.data->points;
    expected.erase(expected.begin() + 9);
    expected.erase(expected.begin() + 4);
    ASSERT_EQ(iBox->points.size(), expected.size());
    for (std::size_t i = 0; i < iBox->points.size(); ++i) {
        const RVPoint &a = iBox->points[i], &b = expected[i];
        ASSERT_NEAR(a.latitudeValue(), b.latitudeValue(), 1e-6) << i;
        ASSERT_NEAR(a.longitudeValue(), b.longitudeValue(), 1e-6) << i;
        ASSERT_EQ(fix(a).substr(6), fix(b).substr(6)) << i;
    }
    EXPECT_EQ(fix(iBox->points[0]), "45 39 2026-05-20 11:34:11 0 0");
    // The Rove R2-4K's records: the year less 2000, the speed in knots.
    for (QByteArray& sample : samples)
        sample[22] = char(sample[22] - 100);
    ASSERT_TRUE(support::writeFile(path, TrackFiles::movie({{.handler = "meta",
                                                             .codec = "ssmd",
                                                             .timescale = 90000,
                                                             .delta = 90000,
                                                             .samples = samples}})));
    const auto rove = RVIBoxMetaDataReader().readMetaDataOrDecline(path, why);
    ASSERT_TRUE(rove && rove->points.size() == iBox->points.size());
    EXPECT_EQ(utc(rove->points[0]), "2026-05-20 11:34:11");
    for (std::size_t i = 0; i < rove->velocityData.size(); ++i)
        ASSERT_NEAR(rove->velocityData[i], 1.852 * iBox->velocityData[i], 1e-9) << i;
    EXPECT_GT(rove->velocityData.back(), 0);

    // Neither the Neoline reader nor another camera's name takes them.
    EXPECT_FALSE(RVNeolineMetaDataReader().readMetaDataOrDecline(path, why));
    EXPECT_EQ(TestFiles::readerOf(path), "iBox");
}

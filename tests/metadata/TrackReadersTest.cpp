// The sample table of timed tracks and the readers of the cameras that keep their data in
// such a track. Real bytes where public ones exist: a GoPro MAX metadata sample, and the
// Vantrue, Wolfbox and Redtiger samples that ExifTool's notes show in hex; the expected values
// are what ExifTool reads from the same bytes.
#include "metadata/RVCameraClock.h"
#include "metadata/RVGarminMetaDataReader.h"
#include "metadata/RVGoProMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNextbaseMetaDataReader.h"
#include "metadata/RVNmeaTrackMetaDataReader.h"
#include "metadata/RVSampleTable.h"
#include "metadata/RVThinkwareMetaDataReader.h"
#include "metadata/RVVantrueMetaDataReader.h"
#include "metadata/RVVueroidMetaDataReader.h"
#include "metadata/RVWolfboxMetaDataReader.h"
#include "metadata/RVXorTextMetaDataReader.h"

#include "TestFiles.h"
#include "TrackFiles.h"

#include <QBuffer>
#include <QDate>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

using TestFiles::readBytes;
using TrackFiles::be32;
using TrackFiles::fullBox;
using TrackFiles::movie;
using TrackFiles::subtitle;
using TrackFiles::Track;

namespace {

// Seconds from 1904-01-01 to 2020-06-01 00:00:00 UTC, as mvhd counts.
constexpr std::uint32_t kJune2020 = 3673814400u;

std::optional<RVSampleTable::Movie> readMovie(const QByteArray& bytes)
{
    return readBytes(bytes, RVSampleTable::readMovie);
}

// "offset:size@start" for each sample of the first timed track.
std::string samplesOf(const QByteArray& bytes)
{
    const auto movie = readMovie(bytes);
    if (!movie || movie->tracks.empty())
        return "none";
    std::string text;
    for (const RVTrackSample& s : movie->tracks.front().samples)
        text += std::to_string(s.offset) + ':' + std::to_string(s.size) + '@' +
                TestFiles::num(s.startSeconds) + ' ';
    return text;
}

std::int64_t utcMs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc()).toMSecsSinceEpoch();
}

std::int64_t localMs(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toMSecsSinceEpoch();
}

void expectFix(const RVPoint& p, double lat, double lon, double kmh, std::int64_t ms,
               double tolerance = 2e-6)
{
    EXPECT_NEAR(p.latitudeValue(), lat, tolerance);
    EXPECT_NEAR(p.longitudeValue(), lon, tolerance);
    EXPECT_NEAR(p.velocity(), kmh, 1e-3);
    EXPECT_EQ(p.time().msecsSinceEpoch(), ms);
}

} // namespace

TEST(SampleTable, ReadsTheTablesFfmpegWrites)
{
    // Three subtitle cues with gaps between them, muxed by ffmpeg beside a short video.
    QTemporaryDir dir;
    const QString srt = dir.path() + "/cues.srt";
    const QString mp4 = dir.path() + "/cues.mp4";
    support::writeFile(srt, "1\n00:00:00,500 --> 00:00:01,000\none\n\n"
                            "2\n00:00:01,000 --> 00:00:01,250\ntwo\n\n"
                            "3\n00:00:02,000 --> 00:00:02,500\nthree\n");
    ASSERT_TRUE(support::runFfmpeg({"-f", "lavfi", "-i", "color=size=64x64:rate=10:duration=3",
                                    "-i", srt, "-c:v", "mpeg4", "-c:s", "mov_text", mp4}));
    QFile file(mp4);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto movie = RVSampleTable::readMovie(file, file.size());
    ASSERT_TRUE(movie);
    const RVTimedTrack* track = RVSampleTable::find(*movie, "tx3g");
    ASSERT_TRUE(track);
    std::string cues;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(file, sample);
        const std::string_view text = RVSampleTable::subtitleText(TestFiles::view(bytes));
        if (!text.empty())
            cues += std::string(text) + '@' + TestFiles::num(sample.startSeconds) + '+' +
                    TestFiles::num(sample.durationSeconds) + ' ';
    }
    EXPECT_EQ(cues, "one@0.5+0.5 two@1+0.25 three@2+0.5 ");
}

TEST(SampleTable, WrongTablesStayWithinTheFile)
{
    // A table as big-endian words: stts the run count, then (samples, delta) runs; stsc the run
    // count, then (first chunk, samples a chunk, description) runs; stsz the size of all
    // samples (0: listed), the count, the sizes; stco the count, the offsets (co64: two words).
    const auto words = [](const char* type, std::initializer_list<std::uint32_t> values) {
        QByteArray payload;
        for (const std::uint32_t v : values)
            payload += be32(v);
        return fullBox(type, payload);
    };
    // The media (mdat's payload) starts at byte 28 and holds the 10 bytes "0123456789".
    const auto file = [](const QByteArray& tables, std::uint32_t timescale = 1000) {
        return movie({{.timescale = timescale, .samples = {"0123456789"}, .tables = tables}});
    };
    const QByteArray twoRunsTimes = words("stts", {3, 2, 500, 1, 1500, 5, 10});
    const QByteArray oneRun = words("stsc", {1, 1, 1, 1});
    // What is wrong, the file, "offset:size@start" of each sample read.
    const std::tuple<const char*, QByteArray, std::string> cases[] = {
        {"chunks of 2 then 1, times in two runs",
         file(twoRunsTimes + words("stsc", {2, 1, 2, 1, 2, 1, 1}) + words("stsz", {0, 3, 3, 4, 2}) +
              words("stco", {2, 28, 36})),
         "28:3@0 31:4@0.5 36:2@1 "},
        {"counts claimed far beyond what the boxes hold",
         file(words("stts", {1, 0xFFFFFFFF, 100}) + words("stsc", {1, 1, 0xFFFFFFFF, 1}) +
              words("stsz", {0, 0xFFFFFFFF, 2, 2}) + words("stco", {0xFFFFFFFF, 28})),
         "28:2@0 30:2@0.1 "},
        {"a chunk past the end, a zero size, a sample running past the end",
         file(twoRunsTimes + oneRun + words("stsz", {0, 4, 1, 1, 0, 0x7FFFFFF0}) +
              words("stco", {4, 28, 0x7FFFFFFF, 29, 37})),
         "28:1@0 "},
        {"one size for all samples, four-bit and 16-bit compact sizes",
         file(words("stts", {1, 3, 1}) + words("stsc", {1, 1, 3, 1}) + words("stsz", {2, 3}) +
                  words("stco", {1, 28}),
              10),
         "28:2@0 30:2@0.1 32:2@0.2 "},
        {"four-bit sizes",
         file(words("stts", {1, 3, 1}) + words("stsc", {1, 1, 3, 1}) +
                  fullBox("stz2",
                          QByteArray(3, '\0') + char(4) + be32(3) + QByteArray("\x35\x20", 2)) +
                  words("stco", {1, 28}),
              0),
         "28:3@0 31:5@0 36:2@0 "},
        {"16-bit sizes and 64-bit chunk offsets",
         file(words("stts", {1, 2, 1}) + oneRun +
              fullBox("stz2",
                      QByteArray(3, '\0') + char(16) + be32(2) + QByteArray("\0\x04\0\x03", 4)) +
              words("co64", {2, 0, 30, 0, 34})),
         "30:4@0 34:3@0.001 "},
        {"a 64-bit offset beyond every file",
         file(words("stts", {1, 1, 1}) + oneRun + words("stsz", {0, 1, 2}) +
              words("co64", {1, 0x80000000, 28})),
         ""},
        {"no tables", file(QByteArray()), ""},
    };
    for (const auto& [what, bytes, samples] : cases)
        EXPECT_EQ(samplesOf(bytes), samples) << what;

    // Only timed tracks are listed, with handler, codec and the movie's creation time.
    const Track video{.handler = "vide", .codec = "avc1"}, meta{.handler = "meta", .codec = "gpmd"};
    const auto both = readMovie(movie({video, meta}, kJune2020));
    ASSERT_TRUE(both);
    ASSERT_EQ(both->tracks.size(), 1u);
    EXPECT_TRUE(both->tracks[0].handlerIs("meta") && both->tracks[0].codecIs("gpmd"));
    EXPECT_EQ(both->created.msecsSinceEpoch(), utcMs(2020, 6, 1, 0, 0, 0));
    EXPECT_FALSE(readMovie(TrackFiles::box("ftyp", "isom")));

    // A sample over the size limit is not read.
    QByteArray bytes =
        movie({{.samples = {QByteArray(RVSampleTable::kMaxSampleBytes + 1, 'x'), "small"}}});
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto withLarge = RVSampleTable::readMovie(buffer, bytes.size());
    ASSERT_TRUE(withLarge && withLarge->tracks[0].samples.size() == 2u);
    EXPECT_TRUE(RVSampleTable::readSample(buffer, withLarge->tracks[0].samples[0]).isEmpty());
    EXPECT_EQ(RVSampleTable::readSample(buffer, withLarge->tracks[0].samples[1]), "small");
}

TEST(GoProReader, RealSampleReadsAsExifToolReadsIt)
{
    const QByteArray gpmf = TestFiles::realData("gopro/max-heromode-gpmd-1.bin");
    ASSERT_EQ(gpmf.size(), 6188);
    Track track{.handler = "meta", .codec = "gpmd", .delta = 1001, .samples = {gpmf}};

    QTemporaryDir dir;
    const QString path = dir.path() + "/DCIM/100GOPRO/GS010017.360";
    support::writeFile(path, movie({track}));
    EXPECT_EQ(TestFiles::readerOf(path), "GoPro");

    const std::optional<RVMetaData> data = RVGoProMetaDataReader().readMetaDataFromVideoFile(path);
    ASSERT_TRUE(data);
    // ExifTool -ee: 17 fixes; the first at 23:45:14.000 UTC.
    ASSERT_EQ(data->points.size(), 17u);
    ASSERT_EQ(data->velocityData.size(), 17u);
    expectFix(data->points.front(), 33.12677, -117.3273436, 3.7656,
              utcMs(2019, 11, 18, 23, 45, 14));
    EXPECT_NEAR(data->points.front().altitude(), -22.959, 1e-9);
    const RVPoint& last = data->points.back();
    EXPECT_NEAR(last.latitudeValue(), 33.1267615, 1e-6);
    EXPECT_NEAR(last.longitudeValue(), -117.3273375, 1e-6);
    EXPECT_NEAR(last.altitude(), -23.044, 1e-9);
    EXPECT_NEAR(data->velocityData.back(), 4.41, 1e-9);
    // The 16 spaces of 1.001 s / 17 after the first fix.
    EXPECT_EQ(last.time().msecsSinceEpoch(), utcMs(2019, 11, 18, 23, 45, 14) + 942);
    // The accelerometer's 198 samples averaged by 19 into 10 a second, in g: the mean of
    // ExifTool's first 19 values (m/s²) over standard gravity.
    ASSERT_EQ(data->gSensorData.size(), 10u);
    EXPECT_NEAR(data->gSensorData[0].x(), 0.08894684775830437, 1e-9);
    EXPECT_NEAR(data->gSensorData[0].y(), -0.8659801260913783, 1e-9);
    EXPECT_NEAR(data->gSensorData[0].z(), 0.13513846063698415, 1e-9);
    EXPECT_NEAR(data->gSensorData[0].common(), 0.8809628392019224, 1e-9);

    // The same sample with its stream's fix flag cleared holds no position.
    QByteArray noFix = gpmf;
    const qsizetype flag = noFix.indexOf("GPSF");
    ASSERT_GT(flag, 0);
    noFix[flag + 11] = '\0';
    RVMetaData unfixed;
    EXPECT_TRUE(RVGoProMetaDataReader::readSample(TestFiles::view(noFix), 1.001, unfixed));
    EXPECT_TRUE(unfixed.points.empty());
    // A flag no fix code can be (a signed -2304) says nothing: the fixes stay.
    QByteArray oddFlag = gpmf;
    oddFlag[flag + 4] = 'l';
    oddFlag.replace(flag + 8, 4, QByteArray::fromHex("fffff700"));
    RVMetaData odd;
    EXPECT_TRUE(RVGoProMetaDataReader::readSample(TestFiles::view(oddFlag), 1.001, odd));
    EXPECT_EQ(odd.points.size(), 17u);
    // Another camera's records in a "gpmd" track are not GoPro's.
    track.samples = {QByteArray("FMAS") + QByteArray(200, '\0')};
    EXPECT_FALSE(readBytes(movie({track}), RVGoProMetaDataReader::readMetaData));
}

TEST(GoProReader, Gps9FixesCarryTheirOwnTimeAndFix)
{
    // GPS9 as GoPro describes it: lat, lon, alt, 2D and 3D speed, days since 2000, seconds
    // since midnight, precision, fix; scaled by SCAL element by element.
    const auto klv = [](const char* key, char type, int structSize, int repeat,
                        const QByteArray& data) {
        QByteArray item = QByteArray(key, 4) + type + char(structSize) +
                          TrackFiles::be16(std::uint16_t(repeat)) + data;
        return item + QByteArray((4 - data.size() % 4) % 4, '\0');
    };
    const auto fix = [](std::int32_t lat, std::uint16_t fixType) {
        return be32(std::uint32_t(lat)) + be32(std::uint32_t(-1223456789)) + be32(12345) +
               be32(5000) + be32(600) + be32(9000) + be32(45296789) + TrackFiles::be16(150) +
               TrackFiles::be16(fixType);
    };
    QByteArray scale;
    for (std::uint32_t s : {10000000u, 10000000u, 1000u, 1000u, 100u, 1u, 1000u, 100u, 1u})
        scale += be32(s);
    const QByteArray stream = klv("TYPE", 'c', 1, 9, "lllllllSS") + klv("SCAL", 'L', 4, 9, scale) +
                              klv("GPS9", '?', 32, 2, fix(475123456, 3) + fix(475123457, 0));
    const QByteArray sample =
        klv("DEVC", 0, 4, (stream.size() + 8) / 4, klv("STRM", 0, 4, stream.size() / 4, stream));
    RVMetaData data;
    ASSERT_TRUE(RVGoProMetaDataReader::readSample(TestFiles::view(sample), 1.0, data));
    ASSERT_EQ(data.points.size(), 1u);
    // Day 9000 after 2000-01-01, 12:34:56.789 UTC; 5 m/s is 18 km/h.
    const QDateTime when(QDate(2000, 1, 1).addDays(9000), QTime(12, 34, 56, 789), QTimeZone::utc());
    expectFix(data.points[0], 47.5123456, -122.3456789, 18, when.toMSecsSinceEpoch());
    EXPECT_NEAR(data.points[0].altitude(), 12.345, 1e-9);
}

TEST(SubtitleCueReaders, ThinkwareNextbaseAndGarmin)
{
    QTemporaryDir dir;
    const auto read = [&](const QString& name, const std::vector<Track>& tracks,
                          std::uint32_t created = 0) {
        const QString path = dir.path() + '/' + name;
        support::writeFile(path, movie(tracks, created));
        return TestFiles::readerOf(path);
    };
    // Thinkware: a cue before the fix, then the cue ExifTool's notes quote. ExifTool reads
    // 2019-08-31 16:13:13 UTC, 45.4979148 N 73.6168692 W, 6.225 knots, course 35.34.
    Track thinkware{.delta = 100};
    thinkware.samples = {
        subtitle("gsensori,4,512,-67,-12,100;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0"),
        subtitle("gsensori,4,512,-67,-12,100;GNRMC,161313.00,A,4529.87489,N,07337.01215,W,6.225,"
                 "35.34,310819,,,A*52\r\n;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0"),
        subtitle("gsensori,4,256,256,0,-128;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0")};
    EXPECT_EQ(read("REC_2019_08_31_16_13_12_F.MP4", {thinkware}), "Thinkware");
    const auto readThinkware = [](const QByteArray& bytes) {
        return readBytes(bytes, RVThinkwareMetaDataReader::readMetaData);
    };
    auto data = readThinkware(movie({thinkware}));
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 1u);
    expectFix(data->points[0], 45.4979148, -73.6168692, 6.225 * 1.852,
              utcMs(2019, 8, 31, 16, 13, 13), 1e-5);
    EXPECT_NEAR(data->points[0].azimut(), 35.34, 1e-9);
    EXPECT_EQ(TestFiles::text(data->gSensorData[0]), "-0.130859375 -0.0234375 0.1953125 "
                                                     "0.236263550062 0");
    EXPECT_EQ(TestFiles::text(data->gSensorData[2]),
              "1 0 -0.5 1.11803398875 31-08-19 18:13:13.000");
    // Older models: "$" sentences separated by NUL bytes, without the length.
    static const char kOlder[] =
        "$GPGGA,161313.00,4529.87489,N,07337.01215,W,1,08,0.9,45.5,M,,,,*00\0"
        "$GPRMC,161313.00,A,4529.87489,N,07337.01215,W,6.225,35.34,310819,,,A*52\0";
    data = readThinkware(movie({{.samples = {QByteArray(kOlder, sizeof kOlder - 1)}}}));
    ASSERT_TRUE(data && data->points.size() == 1u);
    EXPECT_EQ(data->points[0].altitude(), 45.5);
    // The rear file has no subtitle track; plain subtitles are nobody's track.
    const Track plain{.samples = {subtitle("Hello"), subtitle("gsensori,4,0,1,2,3")}};
    EXPECT_FALSE(readThinkware(movie({})));
    EXPECT_FALSE(readThinkware(movie({plain})));
    // Another camera's plain sentences, one a cue with their line ends: not Thinkware's, but
    // read all the same by the generic reader after it; Thinkware's own track stays its own.
    const Track other{
        .samples = {
            subtitle("$GPGGA,161313.00,4529.87489,N,07337.01215,W,1,08,0.9,45.5,M,,,,*00\r\n"
                     "$GPRMC,161313.00,A,4529.87489,N,07337.01215,W,6.225,35.34,310819,,,A*52\r\n"),
            subtitle("$GPRMC,161314.00,A,4529.87500,N,07337.01300,W,6.300,35.00,310819,,,A*52")}};
    EXPECT_FALSE(readThinkware(movie({other})));
    EXPECT_EQ(read("MOVI0001.MP4", {other}), "NMEA track");
    data = readBytes(movie({other}), RVNmeaTrackMetaDataReader::readMetaData);
    ASSERT_TRUE(data && data->points.size() == 2u);
    expectFix(data->points[0], 45.4979148, -73.6168692, 6.225 * 1.852,
              utcMs(2019, 8, 31, 16, 13, 13), 1e-5);
    EXPECT_EQ(data->points[0].altitude(), 45.5);
    EXPECT_FALSE(readBytes(movie({plain}), RVNmeaTrackMetaDataReader::readMetaData));
    EXPECT_EQ(read("REC_2019_08_31_16_13_12_F.MP4", {other, thinkware}), "Thinkware");

    // Scrambled cues. Roadhawk's as ExifTool's notes publish one (the checksum in its clear
    // tail fits the sentence it decodes to), with the G-sensor before the sentence. An
    // E-PRANCE cue: the text moved by one constant between a NUL and a line feed.
    QByteArray eprance(1, '\0');
    for (const char c : QByteArray("G 0.12 0.03 0.98 $GPRMC,161314.00,A,4529.87500,N,07337.01300,"
                                   "W,6.300,35.00,310819,,,A*52"))
        eprance += char(c - 7);
    const Track scrambled{
        .samples = {subtitle(".;;;;D?JL;6+;;;D;R?;4;;;;DBB;;O;;;=D;L;;HO71G>F;-?=J-F:FNJJ;DPP-"
                             "JF3F;;PL=DBRLBF0F;=?DNF-RD-PF;N;?=JF;;?D=F:*6F~\r\n"),
                    subtitle(eprance + '\n'), subtitle(eprance)}};
    data = readBytes(movie({scrambled}), RVNmeaTrackMetaDataReader::readMetaData);
    ASSERT_TRUE(data && data->points.size() == 2u && data->gSensorData.size() == 1u);
    expectFix(data->points[0], 53.5111383, -6.6995817, 12.5 * 1.852, utcMs(2013, 2, 5, 8, 21, 38),
              1e-5);
    EXPECT_NEAR(data->points[0].azimut(), 87.86, 1e-9);
    EXPECT_EQ(TestFiles::text(data->gSensorData[0]).substr(0, 18), "0.234 -0.072 0.99 ");
    EXPECT_NEAR(data->gSensorData[0].common(), 1.0198235, 1e-6);
    EXPECT_EQ(data->gSensorData[0].time().instantValue(), data->points[0].time());
    expectFix(data->points[1], 45.4979167, -73.6168833, 6.3 * 1.852, utcMs(2019, 8, 31, 16, 13, 14),
              1e-5);

    // Nextbase 322GW records, laid out as described by the nb-dashcam-tools notes (no real
    // recording is public): clock, Y/X/Z counts of 1/1280 g (Y negated), RMC, GGA.
    const auto nextbaseRecord = [](const char* clock, const QByteArray& rmc) {
        QByteArray record = be32(0) + clock;
        for (std::int32_t v : {-1280, 640, 1280})
            record += QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24);
        const QByteArray gga = "$GPGGA,153012.00,5130.0000,N,00007.5000,W,1,09,1.0,45.5,M,,,,*00";
        return subtitle(record + rmc.leftJustified(128, '\0') + gga.leftJustified(128, '\0'));
    };
    Track nextbase;
    nextbase.samples = {nextbaseRecord(
        "20210704163012", "$GPRMC,153012.00,A,5130.0000,N,00007.5000,W,10.0,90.0,040721,,,A*00")};
    EXPECT_EQ(read("2021_0704_163012_001.MP4", {nextbase}), "Nextbase");
    data = readBytes(movie({nextbase}), RVNextbaseMetaDataReader::readMetaData);
    ASSERT_TRUE(data && data->points.size() == 1u);
    expectFix(data->points[0], 51.5, -0.125, 18.52, utcMs(2021, 7, 4, 15, 30, 12), 1e-5);
    EXPECT_EQ(data->points[0].altitude(), 45.5);
    EXPECT_EQ(TestFiles::text(data->gSensorData[0]), "0.5 1 1 1.5 04-07-21 16:30:12.000");

    // Garmin: PNDM records after a size word; time from mvhd plus the sample's time.
    const auto pndm = [](std::uint16_t mph, double lat, double lon) {
        const auto units = [](double degrees) {
            return be32(std::uint32_t(std::int32_t(std::llround(degrees / 180.0 * 2147483648.0))));
        };
        const QByteArray record = QByteArray("PNDM") + be32(0) + TrackFiles::be16(mph) +
                                  TrackFiles::be16(0) + units(lat) + units(lon);
        return be32(std::uint32_t(record.size())) + record;
    };
    const Track garmin{.samples = {pndm(30, 51.5, -0.125), pndm(31, -33.8688, 151.2093)}};
    EXPECT_EQ(read("GRMN0001.MP4", {garmin}, kJune2020), "Garmin");
    data = readBytes(movie({garmin}, kJune2020), RVGarminMetaDataReader::readMetaData);
    ASSERT_TRUE(data && data->points.size() == 2u);
    expectFix(data->points[0], 51.5, -0.125, 48.28032, utcMs(2020, 6, 1, 0, 0, 0), 1e-6);
    expectFix(data->points[1], -33.8688, 151.2093, 49.889664, utcMs(2020, 6, 1, 0, 0, 1), 1e-6);

    // The DriveAssist 51 and X310: records dated from 1904 in a "uuid" box of the movie, one
    // without a fix (a coordinate -2^31) between two fixes, and a slot not in use after them.
    const auto units = [](double degrees) {
        return be32(std::uint32_t(std::int32_t(std::llround(degrees / 180.0 * 2147483648.0))));
    };
    const std::uint32_t at1904 = std::uint32_t(utcMs(2020, 6, 1, 12, 0, 0) / 1000 + 2082844800);
    QByteArray uuid = QByteArray::fromHex("9b630f8d637440ec8204bc5ff509172800000000140000000000"
                                          "00003c00000003");
    for (const auto& [second, lat, lon] :
         {std::tuple{0u, 51.5, -0.125}, {1u, 51.5, -180.0}, {2u, 51.501, -0.126}, {3u, 52.0, 1.0}})
        uuid += be32(at1904 + second) + TrackFiles::be16(0x011e) + QByteArray(6, '\0') +
                units(lat) + units(lon);
    QByteArray withUuid = movie({}, kJune2020);
    const qsizetype moov = withUuid.indexOf("moov") - 4;
    withUuid += TrackFiles::box("uuid", uuid);
    withUuid.replace(moov, 4, be32(std::uint32_t(withUuid.size() - moov)));
    data = readBytes(withUuid, RVGarminMetaDataReader::readMetaData);
    ASSERT_TRUE(data && data->points.size() == 2u);
    expectFix(data->points[0], 51.5, -0.125, 48.28032, utcMs(2020, 6, 1, 12, 0, 0), 1e-6);
    expectFix(data->points[1], 51.501, -0.126, 48.28032, utcMs(2020, 6, 1, 12, 0, 2), 1e-6);
}

TEST(GpmdRecordReaders, VantrueWolfboxAndRedtigerAsExifToolReadsThem)
{
    // Vantrue N2S: ExifTool reads 2021:09:24 08:00:34 (no zone), 41 + (38 + 3111/6000)/60 N,
    // 81 + (22 + 417/6000)/60 W, 75 mph, course 73, accelerometer -1.0821 -0.0694 -0.0108.
    const QByteArray fmas =
        QByteArray::fromHex("464d415300000000000000000000000000000000000000000000000000000000"
                            "0000000000000000000000000000000002080108060802040702060000000000"
                            "00000000000000004f464e494d4d415353414d4d010000000000000000000000"
                            "e50709180800220002000000a1828abf89238ebd0b2c30bc41574e511600a101"
                            "2926270c4b004900000000000000000000000000000000000052000000000000");
    // Wolfbox G900: 2024:03:24 12:16:42Z, 5208.96335 and -137.74977 (ddmm.mmmm), 0 knots,
    // course 85.92, 100 m.
    const QByteArray wolfbox =
        QByteArray::fromHex("650000000000000031010100e3ff000004000000100000002a00000000000000"
                            "01000000000000008b33ff5100000000a0860100000000004d5e07faffffffff"
                            "a086010000000000000000000000000064000000000000009021000000000000"
                            "64000000000000001800000003000000e8070000000000000000000000000000"
                            "0000000000000000303030303030303030303030303030304859544800000000"
                            "0c000000100000002a000000000000004f3f0c1f00000000a086010000000000"
                            "7fcf2dffffffffffa08601000000000001000000080000000a00000000000000"
                            "0a00000000000000e8030000000000000a000000000000004d00000000000000");
    // Redtiger F9: 2025:05:25 08:45:36Z, 943.1952 and 7619.0752, 27.02 knots, course 183.62,
    // 13.8 m.
    const QByteArray redtiger =
        QByteArray::fromHex("0100000000000000f4ff5dfe24000000100000002d0000002500000000000000"
                            "010000000000000044eb8f000000000010270000000000001b948a0400000000"
                            "10270000000000008c69000000000000e803000000000000ba47000000000000"
                            "64000000000000001900000005000000e9070000000000000000000000000000"
                            "0000000000000000303030303030303030303030303030305858585800000000"
                            "080000002d000000240000000000000090eb8f00000000001027000000000000"
                            "20948a0400000000102700000000000001000000110000004000000000000000"
                            "64000000000000008a000000000000000a000000000000004d00000000000000");

    QTemporaryDir dir;
    const auto read = [&](const QByteArray& sample, QString* format) {
        const Track track{.handler = "meta", .codec = "gpmd", .samples = {sample, sample}};
        const QString path = dir.path() + "/clip.mp4";
        support::writeFile(path, movie({track}));
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, format);
        if (*format == "Vantrue")
            return RVVantrueMetaDataReader().readMetaDataFromVideoFile(path);
        return RVWolfboxMetaDataReader().readMetaDataFromVideoFile(path);
    };
    QString format;
    auto data = read(fmas, &format);
    EXPECT_EQ(format, "Vantrue");
    ASSERT_TRUE(data && data->points.size() == 2u && data->gSensorData.size() == 2u);
    expectFix(data->points[0], 41 + (38 + 3111 / 6000.0) / 60, -(81 + (22 + 417 / 6000.0) / 60),
              75 * 1.609344, localMs(2021, 9, 24, 8, 0, 34));
    EXPECT_EQ(data->points[0].azimut(), 73);
    EXPECT_NEAR(data->gSensorData[0].z(), -1.0821, 1e-4);
    EXPECT_NEAR(data->gSensorData[0].x(), -0.0694, 1e-4);
    EXPECT_NEAR(data->gSensorData[0].y(), -0.0108, 1e-4);

    data = read(wolfbox, &format);
    EXPECT_EQ(format, "Wolfbox");
    ASSERT_TRUE(data && data->points.size() == 2u);
    expectFix(data->points[0], 52 + 8.96335 / 60, -(1 + 37.74977 / 60), 0,
              utcMs(2024, 3, 24, 12, 16, 42));
    EXPECT_NEAR(data->points[0].azimut(), 85.92, 1e-9);
    EXPECT_NEAR(data->points[0].altitude(), 100, 1e-9);

    data = read(redtiger, &format);
    EXPECT_EQ(format, "Wolfbox");
    ASSERT_TRUE(data && data->points.size() == 2u);
    expectFix(data->points[0], 9 + 43.1952 / 60, 76 + 19.0752 / 60, 27.02 * 1.852,
              utcMs(2025, 5, 25, 8, 45, 36));
    EXPECT_NEAR(data->points[0].azimut(), 183.62, 1e-9);
    EXPECT_NEAR(data->points[0].altitude(), 13.8, 1e-9);

    // A record without its mark, or cut short, is nobody's.
    RVMetaData none;
    EXPECT_FALSE(RVWolfboxMetaDataReader::readRecord(TestFiles::view(wolfbox.left(0xF7)), none));
    QByteArray unmarked = redtiger;
    unmarked[0x88] = 'x';
    EXPECT_FALSE(RVWolfboxMetaDataReader::readRecord(TestFiles::view(unmarked), none));
    EXPECT_FALSE(RVVantrueMetaDataReader::readRecord(TestFiles::view(fmas.left(159)), none));
    // A fix on the prime meridian is a fix; one dated day 0 keeps no date.
    QByteArray greenwich = redtiger;
    greenwich.replace(0xC0, 8, QByteArray(8, '\0'));
    greenwich[0x68] = '\0';
    ASSERT_TRUE(RVWolfboxMetaDataReader::readRecord(TestFiles::view(greenwich), none));
    EXPECT_EQ(TestFiles::text(none.points.at(0)).substr(0, 22), "9.719920 0.000000 - 50");
}

TEST(XorTextReader, AmbarellaDataTrackAndBlueSkySeaTextTrackByTheCameraClock)
{
    // BlueSkySea's record near Paris, its first 0x41 bytes as ExifTool's notes dump them:
    // 2019-08-20 07:51:57, N 48 51.5873 E 002 19.7769, no altitude, 31 km/h.
    QByteArray blueSkySea = QByteArray::fromHex(
        "0000aaaaaaaa5454989a9b939a92989a9a9d9f9b9f9daaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa9e49e929f"
        "9b9f929d99ef9a9a989b939d9d9c93aaaaaaaaaa9a999b");
    blueSkySea += QByteArray(311 - blueSkySea.size(), char(0xaa));
    QTemporaryDir dir;
    const QString path = dir.path() + "/clip.mp4";
    QString format;
    const auto read = [&](const Track& track) {
        support::writeFile(path, movie({track}));
        return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, &format);
    };
    // A sample cut short while the camera starts counts for nothing.
    auto data = read({.handler = "meta",
                      .codec = "gpmd",
                      .samples = {TestFiles::ambarellaTextRecord().left(0x40),
                                  TestFiles::ambarellaTextRecord()}});
    EXPECT_EQ(format, "XOR text");
    ASSERT_TRUE(data && data->points.size() == 1u && data->gSensorData.size() == 1u);
    expectFix(data->points[0], 55 + 45.1167 / 60, 37 + 43.0041 / 60, 0,
              localMs(2019, 11, 16, 10, 9, 1), 1e-5);
    EXPECT_EQ(data->points[0].altitude(), 157);

    data = read({.handler = "text", .codec = "text", .samples = {blueSkySea}});
    EXPECT_EQ(format, "XOR text");
    ASSERT_TRUE(data && data->points.size() == 1u);
    expectFix(data->points[0], 48 + 51.5873 / 60, 2 + 19.7769 / 60, 31,
              localMs(2019, 8, 20, 7, 51, 57), 1e-5);
    EXPECT_TRUE(std::isnan(data->points[0].altitude()));
}

TEST(VueroidReader, RecordsOfTheTvxtTrackAndARealS1Recording)
{
    // Laid out as real Vueroid recordings hold them: 72-byte records, the clock as local time
    // counted like UTC, the hemispheres in a 16-bit word (5: north and east).
    const auto record = [](float lat, float lon, std::uint8_t hemispheres, float kmh) {
        QByteArray r(72, '\0');
        const auto putFloat = [&](int at, float v) { std::memcpy(r.data() + at, &v, 4); };
        putFloat(0x28, 0.6f);
        putFloat(0x30, 0.2f);
        r[0x34] = char(hemispheres);
        putFloat(0x38, kmh);
        putFloat(0x3C, lat);
        putFloat(0x40, lon);
        const auto clock = std::uint32_t(utcMs(2026, 3, 15, 10, 0, 0) / 1000);
        std::memcpy(r.data() + 0x44, &clock, 4);
        return r;
    };
    Track track{.handler = "tvxt",
                .codec = "mp4s",
                .delta = 500,
                .samples = {QByteArray(72, '\0'), record(5000.0f, 3000.0f, 5, 27),
                            record(5000.0f, 3000.0f, 2, 27), record(5075.0f, 3000.0f, 5, 28)}};
    QTemporaryDir dir;
    const QString path = dir.path() + "/20260315_100000_INF_F_N.mp4";
    support::writeFile(path, movie({track}));
    EXPECT_EQ(TestFiles::readerOf(path), "Vueroid");
    const auto data = RVVueroidMetaDataReader().readMetaDataFromVideoFile(path);
    // The zeroed record, the one with a hemisphere word of 2 and the one with 75 minutes give
    // nothing. The clock is kept as written, for the card's rule to read.
    ASSERT_TRUE(data && data->points.size() == 1u && data->gSensorData.size() == 1u);
    expectFix(data->points[0], 50, 30, 27, utcMs(2026, 3, 15, 10, 0, 0));
    EXPECT_TRUE(data->localClock);
    EXPECT_NEAR(data->gSensorData[0].x(), 0.6, 1e-6);
    // Another size of record is another camera's.
    track.samples = {record(5000.0f, 3000.0f, 5, 27) + "x"};
    EXPECT_FALSE(readBytes(movie({track}), RVVueroidMetaDataReader::readMetaData));

    // A real Vueroid S1 4K Infinite track (coordinates replaced at the source, the hemisphere
    // bytes kept: north and west): 20 records a second, the first at 08:54:23 on the camera's
    // clock, as its name says.
    const QString real = dir.path() + "/20251111_085423_INF_F_N.mp4";
    ASSERT_TRUE(QFile::copy(RealData::path("dashcamigo/vueroid-s1.mp4"), real));
    const auto first = [&real] {
        const auto data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(real);
        return data && !data->points.empty() ? data->points.front() : RVPoint();
    };
    const auto s1 = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(real);
    ASSERT_TRUE(s1);
    EXPECT_EQ(s1->points.size(), 60u);
    expectFix(first(), 50, -30, 27, localMs(2025, 11, 11, 8, 54, 23));
    // A camera set to Seoul time: its card's rule moves the records with it.
    RVCameraClock::setRule(dir.path(), std::nullopt, RVClockRule{"Asia/Seoul", 0});
    EXPECT_EQ(first().time().toDateTime().toString(Qt::ISODate), "2025-11-10T23:54:23Z");
    RVCameraClock::clearRules();
}

TEST(TrackReaders, EachSaysWhyItGaveNoTrack)
{
    QTemporaryDir dir;
    const auto track = [](const char* handler, const char* codec, std::vector<QByteArray> samples) {
        return Track{.handler = handler, .codec = codec, .samples = std::move(samples)};
    };
    // A Neoline record without a fix: both coordinates 4294967295.0, the flags' fix bit clear.
    QByteArray noFix(40, '\0');
    const double none = 4294967295.0;
    std::memcpy(noFix.data(), &none, 8);
    std::memcpy(noFix.data() + 8, &none, 8);
    noFix[22] = 0x7E;
    noFix[23] = 0x04;
    // A GPMF device nest with nothing inside: GoPro's, without a fix.
    const QByteArray emptyDevice = QByteArray("DEVC\0\4\0\0", 8);
    QByteArray fmas = QByteArray("FMAS", 4) + QByteArray(156, '\0');
    fmas.replace(0x50, 4, "SAMM");
    // The reader, the track, the decline's kind and the start of its detail.
    const std::tuple<const char*, Track, RVDecline::Kind, const char*> cases[] = {
        {"GoPro", track("meta", "gpmd", {emptyDevice}), RVDecline::Kind::NoFixYet,
         "1 GPMF samples"},
        {"GoPro", track("meta", "gpmd", {QByteArray(32, 'x')}), RVDecline::Kind::UnknownLayout,
         "gpmd sample at offset 0x"},
        {"Vantrue", track("meta", "gpmd", {QByteArray(32, 'x')}), RVDecline::Kind::NotMine, ""},
        {"Vantrue", track("meta", "gpmd", {fmas}), RVDecline::Kind::NoFixYet, "gpmd sample"},
        {"Thinkware", track("text", "tx3g", {subtitle("gsensori,4,0,1,2,3;CAR,0,0,0")}),
         RVDecline::Kind::NoFixYet, "timed track 1"},
        {"Thinkware", track("text", "tx3g", {subtitle("Hello")}), RVDecline::Kind::NotMine, ""},
        {"Garmin", track("text", "tx3g", {subtitle("Hello")}), RVDecline::Kind::NotMine,
         "no PNDM record"},
        {"Vueroid", track("tvxt", "mp4s", {QByteArray(10, '\0')}), RVDecline::Kind::UnknownLayout,
         "tvxt sample at offset 0x"},
        {"Vueroid", track("tvxt", "mp4s", {QByteArray(72, '\0')}), RVDecline::Kind::NoFixYet,
         "1 tvxt records"},
        {"Neoline", track("meta", "ssmd", {noFix, noFix}), RVDecline::Kind::NoFixYet,
         "2 ssmd records: no fix"},
        {"Neoline", track("meta", "ssmd", {QByteArray(40, '\0'), QByteArray(40, '\0'), noFix}),
         RVDecline::Kind::UnknownLayout, "ssmd sample at offset 0x"},
        {"Neoline", track("meta", "ssmd", {noFix.left(12)}), RVDecline::Kind::NotMine, ""},
        {"NMEA track", track("text", "tx3g", {subtitle("Hello")}), RVDecline::Kind::NotMine, ""},
    };
    int index = 0;
    for (const auto& [reader, timed, kind, detail] : cases) {
        const QString path = dir.path() + QStringLiteral("/clip%1.MP4").arg(index++);
        ASSERT_TRUE(support::writeFile(path, movie({timed})));
        std::vector<std::pair<QString, RVDecline>> declines;
        QString format;
        EXPECT_FALSE(
            RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, &format, &declines))
            << reader << " " << format.toStdString();
        const auto found = std::ranges::find(declines, QString::fromLatin1(reader),
                                             &std::pair<QString, RVDecline>::first);
        ASSERT_NE(found, declines.end()) << reader;
        EXPECT_EQ(declineKindName(found->second.kind), declineKindName(kind))
            << reader << " " << found->second.detail.toStdString();
        EXPECT_TRUE(*detail == '\0' || found->second.detail.startsWith(QLatin1String(detail)))
            << reader << " " << found->second.detail.toStdString();
    }
}

// Readers of data kept inside the video: the shared box walk, Novatek blocks, the 70mai
// records and the Navitel "gps0" box. Most files are built here to the cameras' published
// layouts; the real ones come from tests/data.
#include "metadata/RVBoxWalker.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVKenwoodMetaDataReader.h"
#include "metadata/RVLigoTrailerMetaDataReader.h"
#include "metadata/RVNavitelMetaDataReader.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"
#include "metadata/freegps/RVFreeGps.h"

#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>

using namespace TestFiles;

namespace {

void putLe(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    qToLittleEndian(value, bytes.data() + at);
}

// One 0x8000-byte "freeGPS " block at 13:45:0s UTC on 2015-02-05, 55.752060 N 37.609463 E,
// 10 knots, course 45.5. Layouts 'A' and 'B': little-endian fields from 0x30 / 0x10, B with a
// sensor sample in 1/256 g; 'Z' (Azdome): a text XORed with 0xAA from byte 18; 'E': encrypted.
QByteArray novatekBlock(char layout, int second, char status = 'A')
{
    QByteArray block = be32(0x8000) + "freeGPS " + QByteArray(0x8000 - 12, '\0');
    const QByteArray azdome = QByteArray("\0\0XKZD\xfe\xfe", 8) + "2015020513450" +
                              QByteArray::number(second) +
                              ".LABEL          N55451234E03736567800000042";
    for (qsizetype i = 0; layout == 'Z' && i < azdome.size(); ++i)
        block[18 + i] = char(azdome[i] ^ 0xAA);
    for (qsizetype i = 12; layout == 'E' && i < 0x200; ++i)
        block[i] = char(i * 37 + 11);
    const qsizetype o = layout == 'B' ? 0x10 : 0x30;
    const float floats[] = {5545.1234f, 3736.5678f, 10.0f, 45.5f};
    const std::uint32_t fields[] = {13, 45,  std::uint32_t(second), 15, 2, 5, 0, 0, 0, 0,
                                    0,  256, std::uint32_t(-128),   64};
    for (int i = 0; (layout == 'A' || layout == 'B') && i < 14; ++i)
        putLe(block, o + 4 * i,
              i < 7 || i > 10 ? fields[i] : std::bit_cast<std::uint32_t>(floats[i - 7]));
    if (layout == 'A' || layout == 'B')
        block.replace(o + 24, 3, QByteArray(1, status) + "NE");
    return layout == 'A' ? block.replace(o + 44, 12, QByteArray(12, '\0')) : block;
}

// ftyp, then mdat holding the blocks at 0x8000 boundaries, then moov with a "gps " index of
// the first `listed` blocks (negative: no moov at all), claiming `claimed` entries.
QByteArray novatekFile(const std::vector<QByteArray>& blocks, int listed, int claimed)
{
    QByteArray file = standardBox("ftyp", "avc1");
    QByteArray mdat(0x8000 - file.size() - 8, '\x11');
    QByteArray index = be32(1) + be32(std::uint32_t(claimed));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (int(i) < listed)
            index += be32(std::uint32_t(file.size() + 8 + mdat.size())) + be32(0x8000);
        mdat += blocks[i] + QByteArray(0x8000, '\x22'); // video between the blocks
    }
    file += standardBox("mdat", mdat);
    const QByteArray moov = standardBox("mvhd", QByteArray(100, '\0')) + standardBox("gps ", index);
    return listed < 0 ? file : file + standardBox("moov", moov);
}

// The real freeGPS blocks of a file in tests/data/dashcamigo, where each block lies in a
// top-level "free" box of 264 bytes, the block's size field left out: as 0x8000-byte blocks
// that start with their size, as the cameras write them.
std::vector<QByteArray> packedBlocks(const char* name)
{
    const QByteArray source = realData(QStringLiteral("dashcamigo/") + name);
    std::vector<QByteArray> blocks;
    for (qsizetype at = 28; at + 264 <= source.size(); at += 264) {
        if (source.mid(at + 4, 12) != "freefreeGPS ")
            break;
        const QByteArray block = be32(0x8000) + source.mid(at + 8, 256);
        blocks.push_back(block + QByteArray(0x8000 - block.size(), '\0'));
    }
    return blocks;
}

} // namespace

TEST(BoxWalker, SizesAndBounds)
{
    const auto ends = [](const QByteArray& bytes) {
        return readBytes(bytes, [](QIODevice& device, qint64 size) {
            RVBoxWalker walker(device, 0, size);
            std::vector<qint64> result;
            while (const auto box = walker.next())
                result.push_back(box->end);
            return result;
        });
    };
    const QByteArray ftyp = standardBox("ftyp", "isom");
    using Ends = std::vector<qint64>;
    // A 64-bit size (16-byte header, 24 bytes in all), then size 0: to the end. More than the
    // file holds: cut at its end. Sizes below the header, a 64-bit size cut off or too small, a
    // header cut short: no box.
    EXPECT_EQ(ends(ftyp + be32(1) + "wide" + be32(0) + be32(24) + QByteArray(8, 'w') +
                   box(0, "mdat", QByteArray(40, 'm'))),
              (Ends{12, 36, 84}));
    EXPECT_EQ(ends(ftyp + box(5000, "mdat", "short")), (Ends{12, 25}));
    for (const QByteArray& bad : {box(7, "mdat", "xxxxxxxx"), be32(1) + "mdat" + be32(0),
                                  be32(1) + "mdat" + be32(0) + be32(4)})
        EXPECT_EQ(ends(ftyp + bad), Ends{12});
    EXPECT_EQ(ends(QByteArray("\0\0\0\x10ud", 6)), Ends{});
    // Millions of empty boxes are not walked to the end.
    EXPECT_EQ(ends(standardBox("free", "").repeated(RVBoxWalker::kMaxBoxes + 10)).size(),
              std::size_t(RVBoxWalker::kMaxBoxes));
}

TEST(NovatekReader, BlocksByIndexOrScan)
{
    const auto readNovatek = [](const QByteArray& file) {
        return readBytes(file, RVNovatekMetaDataReader::readMetaData, "test");
    };
    // Refused and void blocks drop out, the rest keep their order.
    const std::vector<QByteArray> blocks = {novatekBlock('B', 0), novatekBlock('B', 1),
                                            novatekBlock('E', 2), novatekBlock('A', 3, 'V'),
                                            novatekBlock('B', 4)};
    std::string expected, samples;
    for (const int s : {0, 1, 4}) {
        expected +=
            "55.752060 37.609463 2015-02-05 13:45:0" + std::to_string(s) + ".000 18.52 nan 45.5\n";
        samples += "1 -0.5 0.25 1.14564392374 05-02-15 14:45:0" + std::to_string(s) + ".000\n";
    }
    const std::string points = expected;
    expected += samples + "18.52 18.52 18.52 ";
    // The whole index, read as the program reads a video (which centres the samples); none (a
    // recording cut short); an index listing two blocks of five.
    QTemporaryDir dir;
    QString format;
    const auto data = readVideo(dir.path() + "/DCIM/Movie/2015_0205_134500_001F.MP4",
                                novatekFile(blocks, 5, 5), &format);
    EXPECT_EQ(text(data).substr(0, points.size()), points);
    EXPECT_EQ(format, "Novatek");
    for (const auto& [listed, claimed] : {std::pair{5, 5}, {-1, 0}, {2, 5}})
        EXPECT_EQ(text(readNovatek(novatekFile(blocks, listed, claimed))), expected) << listed;
    // A complete index is trusted; a moov with neither index nor blocks is no Novatek video.
    EXPECT_EQ(readNovatek(novatekFile(blocks, 2, 2))->points.size(), 2u);
    EXPECT_FALSE(readNovatek(novatekFile({}, -1, 0) + standardBox("moov", "")));
    EXPECT_FALSE(readNovatek(standardBox("ftyp", "isom") + standardBox("mdat", "x")));

    const auto one = [](const QByteArray& block) {
        const auto read = RVFreeGps::read(view(block));
        return (read.fixes.empty() ? "-" : text(read.fixes[0].point)) + " " +
               num(read.fixes.empty() ? 0 : read.fixes[0].speedKmh) +
               (read.samples.empty() ? "" : " " + text(read.samples[0]));
    };
    const std::string point = "55.752060 37.609463 2015-02-05 13:45:07.000 18.52 nan 45.5 18.52";
    EXPECT_EQ(one(novatekBlock('A', 7)), point);
    EXPECT_EQ(one(novatekBlock('B', 7)),
              point + " 1 -0.5 0.25 1.14564392374 05-02-15 14:45:07.000");
    EXPECT_EQ(one(novatekBlock('Z', 7)), "55.752057 37.609463 2015-02-05 13:45:07.000 42 nan 0 42");
    // A block ending right after its record reads, a byte less does not; hour 24, minute 60,
    // a void fix, an encrypted block, a block without the mark: no point.
    const QByteArray whole = novatekBlock('A', 1);
    EXPECT_NE(one(whole.left(0x30 + 44)).substr(0, 2), "- ");
    QByteArray midnight = whole, sixty = whole, unmarked = whole, south = whole;
    putLe(midnight, 0x30, 24u);
    putLe(sixty, 0x30 + 4, 60u);
    unmarked[5] = 'X';
    for (const QByteArray& refused : {whole.left(0x30 + 43), midnight, sixty, unmarked,
                                      novatekBlock('A', 1, 'V'), novatekBlock('E', 1)})
        EXPECT_EQ(one(refused).substr(0, 2), "- ");
    EXPECT_EQ(one(south.replace(0x30 + 25, 2, "SW")).substr(0, 22), "-55.752060 -37.609463 ");
}

TEST(NovatekReader, ColdStartFixesProposeACorrectionOrFollowTheCardsZone)
{
    // A VIOFO A119 Mini 2 after a cold start writes its clock's local time as if it were UTC:
    // its fixes at 13:45:0s "UTC". Named 11:45:00 (Berlin, 10:45:00Z), its first fix lies three
    // hours after the start its name tells: the fix dates the recording, and the card is
    // offered the hours.
    QTemporaryDir dir;
    const QString card = dir.path() + "/card";
    const QByteArray bytes = novatekFile({novatekBlock('B', 0), novatekBlock('B', 1)}, 2, 2);
    const QString early = card + "/DCIM/Movie/2015_0205_114500_000001F.MP4";
    const std::optional<RVMetaData> data = readVideo(early, bytes);
    ASSERT_TRUE(data);
    const RVCameraClock::RVRecordingStart start = RVCameraClock::recordingStart(&*data, early);
    EXPECT_EQ(start.source, RVTimeSource::Gps);
    EXPECT_EQ(start.time.toDateTime().toString(Qt::ISODate), "2015-02-05T13:45:00Z");
    const std::optional<RVCameraClock::RVClockProposal> proposal =
        RVCameraClock::proposeCorrection(early, start.time);
    ASSERT_TRUE(proposal);
    EXPECT_EQ(proposal->addedSeconds, 3 * 3600);
    EXPECT_EQ(proposal->folder, card);
    EXPECT_EQ(proposal->family, RVCameraFamily::Novatek);
    // Taken, the rule makes the name and the fix agree; a name a few minutes off the fix (the
    // receiver's first fix after a while) proposes nothing.
    RVCameraClock::setRule(proposal->folder, proposal->family, proposal->rule);
    EXPECT_EQ(RVCameraClock::startFromName(early), start.time);
    RVCameraClock::clearRules();
    EXPECT_FALSE(RVCameraClock::proposeCorrection(card + "/DCIM/Movie/2015_0205_144100_000001F.MP4",
                                                  start.time));

    // Named 13:45, as its fixes: a cold start too. A warm start on the same card, named 15:45
    // in Kyiv (13:45Z), writes true UTC fixes.
    const QString cold = card + "/DCIM/Movie/2015_0205_134500_000001F.MP4";
    const QString warm = card + "/DCIM/Movie/2015_0205_154500_000002F.MP4";
    const auto firstFix = [&bytes](const QString& path) {
        const std::optional<RVMetaData> data = readVideo(path, bytes);
        return data && !data->points.empty()
                   ? data->points.front().time().toDateTime().toString(Qt::ISODate)
                   : QString();
    };
    // No zone for the card: the records cannot tell, they stay as written; the window may
    // offer this computer's zone (Berlin, an hour from UTC) for the card.
    EXPECT_EQ(firstFix(cold), "2015-02-05T13:45:00Z");
    const RVTimestamp written = utc("2015-02-05T13:45:00Z");
    const std::optional<RVCameraClock::RVClockProposal> offer =
        RVCameraClock::proposeCameraClockFixes(cold, written);
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->rule, (RVClockRule{"Europe/Berlin", 0}));
    EXPECT_EQ(offer->folder, card);
    EXPECT_FALSE(RVCameraClock::proposeCameraClockFixes(warm, written)); // two hours off its name
    EXPECT_FALSE(RVCameraClock::proposeCameraClockFixes(cold, utc("2015-02-05T13:56:00Z")));
    // The card's camera set to Kyiv (UTC+2 in February): the cold start's fixes are its clock,
    // the warm start's are UTC; a first fix minutes late still follows the clock.
    RVCameraClock::setRule(card, RVCameraFamily::Novatek, RVClockRule{"Europe/Kyiv", 0});
    EXPECT_EQ(firstFix(cold), "2015-02-05T11:45:00Z");
    EXPECT_EQ(firstFix(warm), "2015-02-05T13:45:00Z");
    EXPECT_TRUE(RVCameraClock::fixesFollowCameraClock(cold, utc("2015-02-05T13:54:00Z")));
    EXPECT_FALSE(RVCameraClock::fixesFollowCameraClock(cold, utc("2015-02-05T13:56:00Z")));
    EXPECT_FALSE(RVCameraClock::proposeCameraClockFixes(cold, written)); // a zone is set
    // A camera on UTC: its clock and UTC agree, nothing to tell apart.
    RVCameraClock::setRule(card, RVCameraFamily::Novatek, RVClockRule{"UTC", 0});
    EXPECT_FALSE(RVCameraClock::fixesFollowCameraClock(cold, written));
    RVCameraClock::clearRules();
}

TEST(NovatekReader, RealBlocksOfA2EDrive730AndASilverStoneA80)
{
    // "x.xx" at 0x10 and the record at 0x30 (coordinates replaced at the source, speeds,
    // courses and times the cameras' own): knots to km/h, UTC.
    QTemporaryDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"2e-drive-730.mp4", "2021_1013_183759_050.MP4"},
        {"silverstone-a80.mp4", "2019_0216_150750_196.MOV"}};
    QStringList read;
    for (const auto& [source, name] : cases) {
        const std::vector<QByteArray> blocks = packedBlocks(source);
        ASSERT_EQ(blocks.size(), 3u) << source;
        const std::optional<RVMetaData> data =
            readVideo(dir.path() + "/DCIM/Movie/" + name, novatekFile(blocks, 3, 3));
        ASSERT_TRUE(data && data->points.size() == 3u) << source;
        for (std::size_t i = 0; i < 3; ++i)
            read << QString::fromStdString(text(data->points[i]).substr(0, 39)) +
                        QStringLiteral(" %1 %2")
                            .arg(data->velocityData[i], 0, 'f', 2)
                            .arg(data->points[i].azimut(), 0, 'f', 2);
    }
    EXPECT_EQ(read, QStringList({"50.000000 30.000000 2021-10-13 15:37:57 89.99 7.00",
                                 "50.000099 30.000101 2021-10-13 15:37:58 90.68 6.64",
                                 "50.000202 30.000200 2021-10-13 15:37:59 91.11 6.81",
                                 "50.000000 30.000000 2019-02-16 12:07:49 4.48 0.00",
                                 "50.000099 30.000101 2019-02-16 12:07:50 3.17 0.00",
                                 "50.000202 30.000200 2019-02-16 12:07:52 5.09 0.00"}));
}

TEST(NovatekReader, AViofoMini2ColdStartsOnUtcAndJumpsByItsZoneAtTheFirstFix)
{
    // Real blocks of a VIOFO A119 Mini 2 named 20260406142122 (local, UTC+3): four without a
    // fix dated 11:22:01-04 by the camera's clock in UTC, then fixes dated 14:22:05, 14:22:06
    // (three times): the receiver's local time written as UTC. The source keeps each block in
    // a 264-byte "free" box; the camera writes 0x8000-byte blocks listed in "moov/gps ".
    const std::vector<QByteArray> blocks = packedBlocks("viofo-a119-mini2-coldstart.mp4");
    ASSERT_EQ(blocks.size(), 8u);
    QTemporaryDir dir;
    const QString path = dir.path() + "/DCIM/Movie/20260406142122_000022.MP4";
    const auto times = [&path](const std::vector<QByteArray>& list) {
        const std::optional<RVMetaData> data =
            readVideo(path, novatekFile(list, int(list.size()), int(list.size())));
        QStringList out;
        for (const RVPoint& point : data ? data->points : std::vector<RVPoint>())
            out << point.time().toDateTime().toString(u"HH:mm:ss");
        return out.join(' ');
    };
    const std::optional<RVMetaData> data = readVideo(path, novatekFile(blocks, 8, 8));
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 4u);
    EXPECT_EQ(text(data->points.front()).substr(0, 39), "50.000000 30.000000 2026-04-06 11:22:05");
    EXPECT_NEAR(data->velocityData.front(), 3.39 * 1.852, 0.01);
    EXPECT_EQ(times(blocks), "11:22:05 11:22:06 11:22:06 11:22:06");
    // Without the blocks before the fix, nothing shows the jump: the times stay as written.
    const std::vector<QByteArray> fixesOnly(blocks.begin() + 4, blocks.end());
    EXPECT_EQ(times(fixesOnly), "14:22:05 14:22:06 14:22:06 14:22:06");
    // A zone west of UTC (written 06:22, five hours behind) moves the other way; a first fix
    // 18 minutes after the last block without one is a slow receiver, not a zone.
    std::vector<QByteArray> west = blocks, slow = blocks;
    for (std::size_t i = 4; i < 8; ++i) {
        putLe(west[i], 0x10, 6);
        putLe(slow[i], 0x10, 11);
        putLe(slow[i], 0x14, 40);
    }
    EXPECT_EQ(times(west), "11:22:05 11:22:06 11:22:06 11:22:06");
    EXPECT_EQ(times(slow), "11:40:05 11:40:06 11:40:06 11:40:06");
}

TEST(SeventyMaiReader, RecordsAndStartFromName)
{
    // 36-byte records, little-endian: seconds from the start at 8, speed in m/h at 12, then
    // hemisphere letters and coordinates in 1/1000 minute.
    const auto record = [](std::uint32_t seconds, std::uint32_t speed, const char* hemispheres) {
        QByteArray r(36, '\0');
        const std::uint32_t lat = hemispheres[0] ? 5545123 : 0, lon = hemispheres[0] ? 3736568 : 0;
        for (const auto& [at, value] : {std::pair{8, seconds}, {12, speed}, {17, lat}, {22, lon}})
            putLe(r, at, value);
        return r.replace(16, 1, hemispheres, 1).replace(21, 1, hemispheres + 1, 1);
    };
    const QByteArray records =
        record(0, 50500, "NE") + record(1, 0, "\0") + record(2, 51000, "SW") + "trailing";
    QTemporaryDir dir;
    const QString video = dir.path() + "/70mai/Normal/NO20210417-120912-000123F.MP4";
    QString format;
    // The start is the name's local time (Berlin, UTC+2 in April), plus the record's seconds.
    const QByteArray file =
        standardBox("ftyp", "mp42") + standardBox("GPS ", records) + standardBox("mdat", "x");
    EXPECT_EQ(text(readVideo(video, file, &format)),
              "55.752052 37.609470 2021-04-17 10:09:12.000 50.5 nan 0\n"
              "-55.752052 -37.609470 2021-04-17 10:09:14.000 51 nan 0\n"
              "50.5 51 ");
    EXPECT_EQ(format, "70mai");
    // A single camera writes no channel letter; events and parking recordings have their own
    // prefixes. A clock rule for the card (the camera set to UTC+8) moves every point.
    const std::string points = text(readVideo(video, file));
    for (const char* name : {"NO20210417-120912-000123.MP4", "EV20210417-120912-000124.MP4",
                             "PA20210417-120912-000125B.MP4"})
        EXPECT_EQ(text(readVideo(dir.path() + "/70mai/" + name, file)), points) << name;
    RVCameraClock::setRule(dir.path() + "/70mai/", std::nullopt, {"Asia/Shanghai", 0});
    EXPECT_EQ(
        text(readVideo(dir.path() + "/70mai/NO20210417-120912-000123.MP4", file)).substr(0, 44),
        "55.752052 37.609470 2021-04-17 04:09:12.000 ");
    RVCameraClock::clearRules();
    // No name, or an impossible date: points without time.
    for (const char* name : {"NO20211317-120912-000123F.MP4", "IMG_0001.MP4"})
        EXPECT_EQ(text(readVideo(dir.path() + "/" + name, file)).substr(0, 22),
                  "55.752052 37.609470 - ")
            << name;
    // A box whose records hold no fix is declined as such, not read as a 70mai recording
    // without a track.
    writeFile(video, standardBox("ftyp", "mp42") + standardBox("GPS ", record(1, 0, "\0")));
    RVDecline why;
    EXPECT_FALSE(RVSeventyMaiMetaDataReader().readMetaDataOrDecline(video, why));
    EXPECT_EQ(why.kind, RVDecline::Kind::NoFixYet);
    EXPECT_EQ(why.detail.toStdString(), "\"GPS \" box at offset 0xc: no record holds a fix");
    // The lower-case "gps " box is not 70mai's.
    writeFile(video, standardBox("ftyp", "mp42") + standardBox("gps ", records));
    EXPECT_FALSE(RVSeventyMaiMetaDataReader().readMetaDataFromVideoFile(video));
}

TEST(NavitelReader, RealGps0RecordsWithoutTheFirmwaresLeftovers)
{
    // A real Navitel R600 recording's "gps0" box (coordinates replaced at the source by 50 N
    // 30 E and a ten-thousandth of a degree a fix, the rest as the camera wrote it): five fixes
    // a second apart, UTC, its name 16:30 Moscow time.
    const QByteArray real = realData("dashcamigo/navitel-r600.MOV");
    QTemporaryDir dir;
    QString format;
    const auto read = readVideo(dir.path() + "/2020_1104_163014.MOV", real, &format);
    EXPECT_EQ(format, "Navitel");
    ASSERT_TRUE(read && read->points.size() == 5u);
    EXPECT_EQ(text(read->points[0]), "50.000000 30.000000 2020-11-04 13:30:15.000 13 140 92");
    EXPECT_EQ(text(read->points[4]), "50.000400 30.000400 2020-11-04 13:30:19.000 13 139 126");
    EXPECT_EQ(read->velocityData, (std::vector<double>{13, 14, 15, 14, 13}));

    // The firmware's leftovers: a row dated before the last one, a row placed a kilometre back
    // (and the row of its own second after it); a row without a fix. A jump at the end, with
    // nothing after it to tell, stays.
    const qsizetype at = real.indexOf("gps0") + 4;
    const auto row = [&real, at](int i) { return real.mid(at + 32 * i, 32); };
    const auto moved = [](QByteArray r, double minutes, int seconds) {
        double latitude = 0;
        std::memcpy(&latitude, r.constData(), 8);
        latitude += minutes;
        std::memcpy(r.data(), &latitude, 8);
        r[27] = char(r[27] + seconds);
        return r;
    };
    const QByteArray noFix = QByteArray(16, '\0') + moved(row(4), 0, 5).mid(16);
    const QByteArray records = row(0) + row(1) + row(0) + row(2) + moved(row(3), 0.6, 0) + row(3) +
                               row(4) + noFix + moved(row(4), 30, 11);
    const RVMetaData edited =
        RVNavitelMetaDataReader::readRecords(std::string_view(records.constData(), 288));
    ASSERT_EQ(edited.points.size(), 5u);
    for (const auto& [i, second] : {std::pair{2, 17}, {3, 19}, {4, 30}})
        EXPECT_EQ(edited.points[std::size_t(i)].time().msecsSinceEpoch() / 1000 % 60, second);
    EXPECT_NEAR(edited.points[4].latitudeValue(), 50.5004, 1e-6);

    // The Lamax S9's text records, a second apart, by the camera's clock; a record without the
    // mark ends the run.
    const QByteArray first = TestFiles::ambarellaTextRecord();
    QByteArray next = first;
    next[0x15] = char('2' ^ 0xaa);
    const QByteArray texts = first + next + QByteArray(311, '\0') + first;
    const RVMetaData lamax = RVNavitelMetaDataReader::readTextRecords(TestFiles::view(texts));
    ASSERT_EQ(lamax.points.size(), 2u);
    EXPECT_TRUE(lamax.localClock);
    EXPECT_EQ(text(lamax.points[1]), "55.751945 37.716735 2019-11-16 10:09:02.000 0 157 0");
    ASSERT_EQ(lamax.gSensorData.size(), 2u);
    EXPECT_EQ(lamax.gSensorData[0].y(), -0.23);
}

TEST(LigoTrailerReader, RealBeferichJ18TrailersInPlainText)
{
    // A real Beferich J18 recording's two trailers after its movie (coordinates replaced at the
    // source by 48.1 N 2.1 W plus a millionth of a degree a record, the scrambled directory's
    // records zeroed): 180 plain records a second apart from its name's second, by its clock.
    const QByteArray real = realData("dashcamigo/beferich-j18-trailers.mp4");
    QTemporaryDir dir;
    const QString path = dir.path() + "/2026-08-03_11_34_53_f.mp4";
    QString format;
    const auto read = readVideo(path, real, &format);
    EXPECT_EQ(format, "LIGOGPSINFO trailer");
    ASSERT_TRUE(read && read->points.size() == 180u);
    EXPECT_EQ(text(read->points[0]), "48.100000 -2.100000 2026-08-03 09:34:53.000 19 173 212");
    EXPECT_EQ(text(read->points[179]), "48.100179 -2.100179 2026-08-03 09:37:52.000 29 159 230");

    // Without the plain trailer, the zeroed one gives no fix, and says so; a last trailer cut
    // short or without its mark is no trailer.
    RVDecline why;
    EXPECT_FALSE(readBytes(real.left(real.size() - 0x5cf4),
                           RVLigoTrailerMetaDataReader::readMetaData, &why));
    EXPECT_NE(why.kind, RVDecline::Kind::NotMine);
    for (const QByteArray& broken :
         {real.left(real.size() - 1), QByteArray(real).replace(real.size() - 8, 1, "+")}) {
        EXPECT_FALSE(readBytes(broken, RVLigoTrailerMetaDataReader::readMetaData, &why));
        EXPECT_EQ(why.kind, RVDecline::Kind::NotMine);
    }
}

TEST(KenwoodReader, TrailerAndUserDataAsExifToolsNotesShowThem)
{
    // A trailer's run of "C"s and its first record, as ExifTool's notes dump them from a real
    // file; a second record a second later. The camera's clock, kept as written.
    const QByteArray first = QByteArray::fromHex(
        "4343434343434343434343434343475053444154412d2d32303234303731313132303431324e35302e36"
        "31323338363036373745382e373032373138303938393533332e3030303030303030303030302e303030"
        "303030303030303030302e3031393939393939393535332d302e30393030303030303335372d302e3134"
        "303030303030303539");
    QByteArray record = first.mid(14, 121);
    record.replace(21, 2, "13");
    QByteArray file = TrackFiles::movie({}) + first + record;
    QString format;
    QTemporaryDir dir;
    EXPECT_TRUE(readVideo(dir.path() + "/MOVI0001.MP4", file, &format));
    EXPECT_EQ(format, "Kenwood");
    const auto trailer = readBytes(file, RVKenwoodMetaDataReader::readMetaData);
    ASSERT_TRUE(trailer && trailer->points.size() == 2u && trailer->gSensorData.size() == 2u);
    EXPECT_TRUE(trailer->localClock);
    EXPECT_EQ(text(trailer->points[0]), "50.612386 8.702718 2024-07-11 12:04:12.000 33 nan 0");
    EXPECT_EQ(text(trailer->gSensorData[1]).substr(0, 35), "0.019999999553 -0.09000000357 -0.14");
    EXPECT_NEAR(trailer->gSensorData[1].common(), 0.1676305, 1e-6);

    // A "udta" box, its first record as the notes dump it (cut short after two samples), and
    // a record a second later at 123 km/h.
    const QByteArray udta =
        QByteArray("VIDEO") + QByteArray(22, 'U') + "\xfe\xfe" +
        "20230107111914.20230107111915\x03N47377053W122099014+0058000+006+009+004+002+009+005+0";
    const RVMetaData user = RVKenwoodMetaDataReader::readUserData(
        view(udta.mid(5 + 22) +
             "\xfe\xfe"
             "20230107111915.20230107111916\x03N47377053W122099014+0058123+006+009+004"));
    ASSERT_EQ(user.points.size(), 2u);
    EXPECT_EQ(text(user.points[0]), "47.628422 -122.165023 2023-01-07 11:19:14.000 0 58 0");
    EXPECT_EQ(user.velocityData[1], 123);
    ASSERT_EQ(user.gSensorData.size(), 3u);
    EXPECT_EQ(text(user.gSensorData[1]).substr(0, 18), "0.002 0.009 0.005 ");
    file = TrackFiles::movie({}) + TrackFiles::box("udta", udta);
    EXPECT_TRUE(readBytes(file, RVKenwoodMetaDataReader::readMetaData));
    // Records without a fix: no hemisphere letter, or no date.
    EXPECT_TRUE(RVKenwoodMetaDataReader::readUserData(
                    view(QByteArray("\xfe\xfe") + udta.mid(29, 29) + "x47377053W1"))
                    .points.empty());
    record.replace(23, 1, "X");
    EXPECT_TRUE(RVKenwoodMetaDataReader::readTrailer(view(record)).points.empty());
}

// The freeGPS layouts, each on a real block: the bytes are the hexdumps of camera blocks
// published in ExifTool's QuickTimeStream notes (the Azdome and EEEkit blocks rebuilt from
// the notes' decoded text, the Nextbase 512G's second record moved first), and the
// expected values are what ExifTool 13 reads from the same bytes, so none restates the
// decoders here.
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/freegps/RVFreeGps.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <random>
#include <tuple>

using namespace TestFiles;
using Status = RVFreeGps::Block::Status;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A camera's block, the layout that reads it (part of its name) and what ExifTool reads there.
struct RealBlock
{
    const char* camera;
    const char* layout;
    const char* bytes;
    double latitude, longitude;
    const char* time;
    double kmh, course;
    const char* samples;
};
const RealBlock kRealBlocks[] = {
    {"Kenwood DRV-A510W", "Kenwood",
     "000040006672656547505320f00300004d4e3a4452562d41353130574056312e375f42445a49435a5f4300000000"
     "000000000000000000003a3a7374617274400c0000001000000016000000ea070000020000001c000000414e5700"
     "55e7a545d784524352b8d84148219a43f9ffffffffffffff010000000000000000000000",
     53.1486083984375, -2.17531509399414, "2026-02-28 12:16:22.000", 50.1706802825928,
     308.260009765625, "-0.02734375 -0.00390625 0.00390625"},
    {"Viofo A119 V3", "record at 0x10",
     "000040006672656547505320f0030000050000002f0000000300000013000000090000001b000000414e570025d1"
     "9945f14740466666d24185eb834100000000",
     49.3690511067708, -123.099755859375, "2019-09-27 05:47:03.000", 48.7075985870361,
     16.4899997711182, ""},
    {"E-ACE B44", "E-ACE",
     "000040006672656547505320f0030000080000002200000001000000180000000800000010000000414e4500674e"
     "69695a384a54744863613674773d00000000687475695a4d4a5373585558374e6f3d00000000643bac41e13a1d43"
     "2b010000fdffffff43000000324a37315070554837696866000000000000000000000000",
     43.7121093833333, 20.6945800833333, "2024-08-16 08:34:01.000", 39.8717067565918,
     157.229995727539, ""},
    {"Akaso", "Akaso",
     "00008000667265654750532060000000782e78780000000000000000000000003030303030000000000000000000"
     "0000120000002f000000190000004100000013b3ca444e0000002992fb4545000000d9eeb441ecd1d342e4070000"
     "010000000c000000010000000500000000000000",
     16.3599344889323, 80.8378336588542, "2020-01-12 18:47:25.000", 22.6166248321533,
     285.910003662109, ""},
    {"Anticlock 2", "Akaso",
     "000080006672656547505320680000003230313330333235410000000000000041707220203620323031362c2031"
     "363a0e0000003800000022000000410000008a632445530000009fe642454500000059c0043f52b8424114000000"
     "0b000000190000000600000005000000f6ffffff03000000040000000000000000000000",
     -26.5036865234375, 31.3068969726563, "2020-11-25 14:56:34.000", 0.518559992313385,
     12.1700000762939, "0.006 0.005 -0.01"},
    {"EACHPAI", "EACHPAI",
     "000080006672656547505320ac000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000345760625d533c4147454542423e4040403c513c444244403e484643453c5e3c"
     "40484341423e464247483c673c403e40423c433e43413c4042404642403c3c3c513a4746002a3635000000000000"
     "000000000000",
     42.6810583333333, -83.2104633333333, "2020-06-02 17:55:22.000", 0.03704, 3.31, ""},
    {"Vantrue S1", "Vantrue S1",
     "00008000667265654750532078000000000000000000000000000000000000000000000000000000000000000000"
     "0000686f72736f6e74656368000000000000414e4500150000000700000002000000030000003500000005000000"
     "4f744c44e277a04589c1984271bdac4202ab0d43050000007f0000000701000000000000",
     51.5830891927083, 8.29695536295573, "2021-07-02 03:53:05.000", 141.452052947998,
     86.370002746582, "0.005 0.127 0.263"},
    {"Vantrue N4", "Vantrue N4",
     "000040006672656547505320f00300000d000000160000001e000000410000002cb7b41a5a71b2404e0000000000"
     "0000fbae08fe77f689404500000000000000be9f1a2fdd8436405c8fc2f528fc6840160000000c0000000e000000"
     "f2fbffff42000000020000002024474e524d432c3133323233302e3030302c412c343732312e33353139372c4e2c"
     "30303833302e38303835392c452c32322e3531392c3139392e38382c3134313232322c2c2c412a37350d0a000000"
     "0000000000000000",
     47.3558661666667, 8.5134765, "2022-12-14 13:22:30.000", 41.705188, 199.88,
     "-1.038 0.066 0.002"},
    {"Viofo A119S", "record at 0x30",
     "0000800066726565475053204c000000000000000000000000000000000000000000000000000000000000000000"
     "0000100000002d00000014000000110000000c0000001f000000414e45005d9aa945ab1ee544ec51f040b85ea543"
     "00000000",
     54.4549235026042, 18.549306233724, "2017-12-31 16:45:20.000", 13.9085204238892,
     330.739990234375, ""},
    {"Transcend Drive Body 70", "record at 0x30",
     "0000400066726565475053204c000000000000000000000000000000000000000000000000000000000000000000"
     "0000090000002600000015000000e90700000500000010000000415345006c59ee419f1af7413c6b0f419a999943"
     "00000000",
     -29.7936630249023, 30.8879985809326, "2025-05-16 09:38:21.000", 8.96368026733398,
     307.200012207031, ""},
    {"XGODY", "XGODY",
     "000000a86672656547505320980000006e6f726d616c3a323032342f30352f32322030323a35343a3239204e3a34"
     "322e33383234373020573a38332e3338393537302035332e36206b6d2f6820783a2d302e303220793a302e393920"
     "7a3a302e313020413a3236392e3220483a3234352e350000000000000000000000000000",
     42.38247, -83.38957, "2024-05-22 02:54:29.000", 99.2672, 269.2, "-0.02 0.99 0.1"},
    {"70mai A810", "70mai",
     "000040006672656547505320ed0100000300ed010000000f0000700800004166137d1e3c11dc035d010000010000"
     "00230000005656000000000000000000000000000000000000000000000000000000",
     51.1513446, 6.4754012, "-", std::numeric_limits<double>::quiet_NaN(), 349.0, ""},
    {"Nextbase 512G", "512G",
     "00008000667265654750532078010000782e78780000000000000000000000003030303030000000000000000000"
     "000024530279d48507e20a08062a01d102201498ffff216797100000000000000000245302a2d44207e20a08062a"
     "01d202201498e3ff21673b100000000000000000",
     53.8220799, -1.4588009, "2018-10-08 06:42:46.500", 22.788, 248.69, ""},
    {"Nextbase 512GW", "512GW",
     "00008000667265654750532040010000000000000000000000000000000000000000000000000000000000000000"
     "000000000000323031383039313931303039353900001c01000006000000efffffff20244750524d432c30383039"
     "35312e3030302c412c353230372e393039372c4e2c30303530352e353137352c452c35352e31312c3132352e3538"
     "2c3139303931382c2c2c412a35390d0a000000000000",
     52.1318283333333, 5.09195833333333, "2018-09-19 08:09:51.000", 102.06372, 125.58,
     "1.109375 0.0234375 -0.06640625"},
    {"INNOVV", "INNOVV",
     "000040006672656547505320f0030000414e4500e456964586b1ca445c8fe24033335843c300000030000000a0fe"
     "ffff414e4500e356964582b1ca445c8ffa40c37556438cffffff8c000000c3fdffff",
     48.1810221354167, 16.3591267903646, "-", 13.1121598587036, 216.199996948242, ""},
    {"Azdome GS63H", "Azdome",
     "000080006672656547505320050100000103aaaaf2e1f0ee5454989a9b929a93989e98989e939892a69f9f9c9ded"
     "fa8a8a8aaaaaaaaaaaa9e49e9a9e9c9e999f9afd9a9a9d9a9e9a999a929a9a9a9a9a9a9a9daaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaa819a9399879a9a99879a9a9faaaaaaaaaaaaaa",
     40.7739166666667, -7.06718, "2018-09-24 22:49:28.000", 7.0, 0.0, "0.93 -0.03 -0.05"},
    {"EEEkit", "Azdome",
     "000004006672656547505320f00300000103aaaaf2e1f0ee5454989a989a9a9f9b939b9c9899999fa69a9a989a9a"
     "9f9b939b9c9899999ca9e4999d9e9f989e9b9cfd9b9898989f9f9a9a93819a9b9d9f9a9b9b819a9b9e819a9a9881"
     "9a989c819a9b",
     37.7540266666667, -122.425015, "2020-05-19 16:23:35.000", 11.0, 0.0, "0.14 0.02 0.26"},
};

QByteArray realBlock(std::string_view camera)
{
    for (const RealBlock& b : kRealBlocks) {
        if (b.camera == camera)
            return hex(b.bytes);
    }
    ADD_FAILURE() << camera;
    return {};
}

// Blocks of encrypted doubles (the Redtiger's with its fix in the clear too).
const char* const kRedtigerF7N =
    "000040006672656547505320f00100000a00000000000000000000000000000001000000b05650017b1868451702"
    "3f46130000000100000006000000150000000c0000001c000000414e57000000000080d4264e3611b54074b5157b"
    "cd7bf3400ad7a33dcd4c4e433834374145483136333630383234353759534b4a01000000ecffffff000000000e00"
    "0000010000000a000000e50700000c0000001c000000";
const char* const kAkasoV1 =
    "00008000667265654750532078000000596e64416b61736f43617200000000003030303030000000000000000000"
    "00000e000000270000002c000000e3070000050000001d000000414e450000000000f14e3e3d90dfca40e350bf0b"
    "0b31a0404bdcc8419a79a743345843314f3731353531323636353735594e44530de7ccf900000000050000000000"
    "000000000000";

std::string samples(const RVFreeGps::Block& b)
{
    std::string out;
    for (const RVSensorData& s : b.samples)
        out += (out.empty() ? "" : " / ") + num(s.x()) + ' ' + num(s.y()) + ' ' + num(s.z());
    return out;
}

std::string utc(const RVPoint& p)
{
    return text(p).substr(p.latitude().size() + p.longitude().size() + 2, 23);
}

// A LIGOGPSINFO block at 0x10 holding one record of text, scrambled in its simplest form
// (a 0x00 steering byte before each character); flag is the byte that tells whether the
// coordinates are offset, sizeField the block's bytes 12-15.
QByteArray ligoBlock(const QByteArray& text, char flag = 5,
                     const QByteArray& sizeField = QByteArray("\x98\0\0\0", 4),
                     bool zeroAt20 = false)
{
    QByteArray scrambled;
    for (const char c : text)
        scrambled += QByteArray(1, '\0') + c;
    QByteArray record =
        "####" + QByteArray(1, char(scrambled.size())) + QByteArray(3, '\0') + scrambled;
    record += QByteArray(0x84 - record.size(), '\0');
    return be32(0x4000) + "freeGPS " + sizeField + QByteArray("LIGOGPSINFO\0\0\0\0", 15) + flag +
           (zeroAt20 ? QByteArray(4, '\0') : QByteArray("\x0a\0\0\0", 4)) + record;
}

} // namespace

TEST(FreeGpsLayouts, RealBlocksReadAsTheCameraMeantThem)
{
    for (const RealBlock& c : kRealBlocks) {
        SCOPED_TRACE(c.camera);
        const RVFreeGps::Block b = RVFreeGps::read(view(hex(c.bytes)));
        ASSERT_EQ(b.status, Status::Fix);
        ASSERT_TRUE(b.layout);
        EXPECT_NE(std::string(b.layout->name).find(c.layout), std::string::npos) << b.layout->name;
        ASSERT_GE(b.fixes.size(), 1u);
        const RVPoint& p = b.fixes[0].point;
        // Single-precision records are converted in single precision: a few metres.
        EXPECT_NEAR(p.latitudeValue(), c.latitude, 2e-5);
        EXPECT_NEAR(p.longitudeValue(), c.longitude, 2e-5);
        EXPECT_EQ(p.time().isValid() ? utc(p) : "-", c.time);
        // Speeds below 0.1 km/h are standing still; NaN: the block holds none in a known unit.
        if (std::isnan(c.kmh))
            EXPECT_TRUE(std::isnan(b.fixes[0].speedKmh) && !b.fixes[0].speedKnown);
        else
            EXPECT_NEAR(b.fixes[0].speedKmh, c.kmh, c.kmh < 0.1 ? 0.1 : 1e-4);
        EXPECT_NEAR(p.azimut(), c.course, 1e-4);
        EXPECT_EQ(samples(b), c.samples);
    }
}

TEST(FreeGpsLayouts, SeveralRecordsClocksAndAbsentSensors)
{
    // 70mai: both coordinates zero, no fix yet.
    const QByteArray seventyMai = realBlock("70mai A810").replace(0x1f, 8, QByteArray(8, '\0'));
    EXPECT_EQ(RVFreeGps::read(view(seventyMai)).status, Status::NoFix);
    // INNOVV: the block's second record, metres on; the run ends at the first slot that is no
    // record.
    const RVFreeGps::Block innovv = RVFreeGps::read(view(realBlock("INNOVV") + QByteArray(32, 1)));
    ASSERT_EQ(innovv.fixes.size(), 2u);
    EXPECT_NEAR(innovv.fixes[1].point.latitudeValue(), 48.181014, 2e-6);
    EXPECT_NEAR(innovv.fixes[1].speedKmh, 14.5011593, 1e-5);
    EXPECT_NEAR(innovv.fixes[1].point.azimut(), 214.46, 1e-4);

    // Nextbase 512G: both records of the block, the second as ExifTool reads it alone.
    const RVFreeGps::Block n = RVFreeGps::read(view(realBlock("Nextbase 512G")));
    ASSERT_EQ(n.fixes.size(), 2u);
    EXPECT_NEAR(n.fixes[1].point.latitudeValue(), 53.8220771, 1e-6);
    EXPECT_NEAR(n.fixes[1].point.longitudeValue(), -1.4588101, 1e-6);
    EXPECT_EQ(utc(n.fixes[1].point), "2018-10-08 06:42:46.600");
    EXPECT_NEAR(n.fixes[1].speedKmh, 24.264, 1e-6);
    EXPECT_NEAR(n.fixes[1].point.azimut(), 248.02, 1e-6);

    // Kenwood writes the full year with the camera clock's local time, the year less 2000
    // with UTC; a Viofo record never says local.
    QByteArray kenwood = realBlock("Kenwood DRV-A510W");
    EXPECT_TRUE(RVFreeGps::read(view(kenwood)).localClock);
    kenwood[0x4c] = 26;
    kenwood[0x4d] = 0;
    const RVFreeGps::Block utcKenwood = RVFreeGps::read(view(kenwood));
    EXPECT_FALSE(utcKenwood.localClock);
    EXPECT_EQ(utc(utcKenwood.fixes.at(0).point), "2026-02-28 12:16:22.000");

    // Viofo's acceleration words: all zero, or the counter 1-6, mean no sensor; others are
    // 1/256 g.
    const QByteArray viofo = realBlock("Viofo A119 V3");
    const auto withWords = [&viofo](const QByteArray& words) {
        return samples(RVFreeGps::read(view(viofo.left(0x3c) + words + QByteArray(8, '\0'))));
    };
    EXPECT_EQ(withWords(QByteArray(12, '\0')), "");
    EXPECT_EQ(withWords(QByteArray("\1\0\2\0\3\0\4\0\5\0\6\0", 12)), "");
    EXPECT_EQ(withWords(QByteArray("\0\1\0\0\0\xff\xff\xff\x80\0\0\0", 12)), "1 -1 0.5");

    // The first and last days of the year are days like any other.
    for (const auto& [month, day, date] :
         {std::tuple{1, 1, "2019-01-01"}, {12, 31, "2019-12-31"}}) {
        QByteArray edge = viofo;
        edge[0x20] = char(month);
        edge[0x24] = char(day);
        const RVFreeGps::Block b = RVFreeGps::read(view(edge));
        ASSERT_EQ(b.fixes.size(), 1u) << date;
        EXPECT_EQ(utc(b.fixes[0].point).substr(0, 10), date);
    }
}

TEST(FreeGpsLayouts, RexingV14kScaledCoordinatesAreToldByTheFile)
{
    // The Rexing V1-4k block of ExifTool's notes: the common record at 0x30, whose coordinates
    // (288.99, 2423.39) read as NMEA would put the car in the Atlantic. The camera's "frea" box
    // ("ver " 3.01.054) tells the scaling: 33.6698 N 112.0969 W, Phoenix; 50 knots.
    const QByteArray block =
        hex("0000800066726565475053204c00000000000000000000000000000000000000"
            "000000000000000000000000000000000e000000220000002800000014000000"
            "0200000016000000414e5700e97e9043487617450c024842146e854300000000");
    const RVFreeGps::Block plain = RVFreeGps::read(view(block));
    ASSERT_EQ(plain.fixes.size(), 1u);
    EXPECT_LT(plain.fixes[0].point.latitudeValue(), 4);
    const RVFreeGps::Block scaled = RVFreeGps::read(view(block), {true});
    ASSERT_EQ(scaled.fixes.size(), 1u);
    const RVPoint& p = scaled.fixes[0].point;
    EXPECT_NEAR(p.latitudeValue(), 33.669774, 2e-5);
    EXPECT_NEAR(p.longitudeValue(), -112.096920, 2e-5);
    EXPECT_EQ(utc(p), "2020-02-22 14:34:40.000");
    EXPECT_NEAR(scaled.fixes[0].speedKmh, 92.6037, 1e-3);
    EXPECT_NEAR(p.azimut(), 266.86, 1e-3);

    // Through the reader: the file with its "frea" box is read scaled, without it as NMEA.
    const auto readFile = [&block](const QByteArray& frea) {
        QByteArray file = standardBox("ftyp", "avc1") + frea;
        file += standardBox("mdat", QByteArray(0x8000 - file.size() - 8, '\0') + block +
                                        QByteArray(0x100, '\0'));
        return readBytes(file, RVNovatekMetaDataReader::readMetaData, "test");
    };
    const auto rexing = readFile(standardBox("frea", standardBox("ver ", "3.01.054")));
    ASSERT_TRUE(rexing && rexing->points.size() == 1u);
    EXPECT_NEAR(rexing->points[0].latitudeValue(), 33.669774, 2e-5);
    const auto other = readFile(standardBox("frea", standardBox("ver ", "3.01.055")));
    ASSERT_TRUE(other && other->points.size() == 1u);
    EXPECT_LT(other->points[0].latitudeValue(), 4);
}

TEST(FreeGpsLayouts, EncryptedAndScrambled)
{
    // Akaso V1 keeps its coordinates only as encrypted doubles: named, never a point.
    const RVFreeGps::Block akaso = RVFreeGps::read(view(hex(kAkasoV1)));
    EXPECT_EQ(akaso.status, Status::Encrypted);
    EXPECT_TRUE(akaso.fixes.empty() && akaso.samples.empty());
    // The Redtiger F7N keeps such doubles too (ExifTool reads 5393.2 and -79804.8 "degrees"
    // there), and the fix in the clear before its record: parked near Kings Mountain,
    // California, at 11 a.m. local time. The F7NP marks its blocks with a banner instead of
    // the serial number's "YSKJ"; a block with nothing in the clear is encrypted.
    QByteArray f7np = hex(kRedtigerF7N);
    f7np.replace(0x10, 10, "YOUQINGGPS").replace(0x78, 4, "ABCD");
    for (const QByteArray& bytes : {hex(kRedtigerF7N), f7np}) {
        const RVFreeGps::Block b = RVFreeGps::read(view(bytes));
        ASSERT_EQ(b.fixes.size(), 1u);
        EXPECT_NE(std::string(b.layout->name).find("Redtiger"), std::string::npos);
        const RVPoint& p = b.fixes[0].point;
        EXPECT_NEAR(p.latitudeValue(), 37.2255005, 2e-5);
        EXPECT_NEAR(p.longitudeValue(), -122.4087077, 2e-5);
        EXPECT_EQ(utc(p), "2021-12-28 19:01:06.000");
        EXPECT_NEAR(b.fixes[0].speedKmh, 0.148, 1e-3);
        EXPECT_NEAR(p.azimut(), 206.3, 1e-4);
    }
    f7np.replace(0x28, 8, QByteArray(8, '\0'));
    EXPECT_EQ(RVFreeGps::read(view(f7np)).status, Status::Encrypted);
    f7np[0x48] = 'V';
    const RVFreeGps::Block waiting = RVFreeGps::read(view(f7np));
    EXPECT_EQ(waiting.status, Status::NoFix);
    EXPECT_EQ(waiting.written.toDateTime().toString(Qt::ISODate), "2021-12-28T19:01:06Z");
    // E-ACE B44 texts that no key opens.
    QByteArray eace = realBlock("E-ACE B44");
    eace[0x2c] = 'Q';
    EXPECT_EQ(RVFreeGps::read(view(eace)).status, Status::Encrypted);

    // LIGOGPSINFO scrambling on real XGODY bytes (the 19 of them the notes show, of 0x6D):
    // the counter the block also keeps at 0x20, then the date its labelled text blocks show.
    QByteArray xgody = hex("000000a86672656547505320980000004c49474f475053494e464f0000000005"
                           "cd610000232323236d000000c1ec412020f012101224e50e10112f92101200f6") +
                       QByteArray(0x80, '\0');
    xgody[0x28] = 19;
    const std::optional<std::string> open = RVFreeGpsLigo::unscramble(view(xgody.mid(0x24, 0x84)));
    ASSERT_TRUE(open);
    EXPECT_EQ(open->substr(0, 16), std::string("\xcd\x61\0\0"
                                               "2024/05/22 0",
                                               16));

    // Whole records, offset and not, as ExifTool reads them.
    const QByteArray counter("\1\0\0\0", 4);
    const QByteArray text = counter + "2022/09/19 12:45:24 N:31.285065 W:124.759483 46.93 km/h";
    const QByteArray nmea = counter + "2024/05/22 02:54:29 N:4222.9482 W:08323.3742 53.6 km/h";
    const std::tuple<QByteArray, double, double, double> ligos[] = {
        {ligoBlock(text), 37.2575221020142, -121.959537966629, 87.0116613769},
        {ligoBlock(text, 5, QByteArray("\xf0\x03\0\0", 4), true), 35.49092034744, -121.4825537892,
         87.0116613769},
        {ligoBlock(text, 1), 31.285065, -124.759483, 86.91436},
        {ligoBlock(nmea), 45.1686032267211, -83.6329216182484, 53.6},
    };
    for (const auto& [block, latitude, longitude, kmh] : ligos) {
        const RVFreeGps::Block b = RVFreeGps::read(view(block));
        ASSERT_EQ(b.fixes.size(), 1u) << latitude;
        EXPECT_NEAR(b.fixes[0].point.latitudeValue(), latitude, 1e-6);
        EXPECT_NEAR(b.fixes[0].point.longitudeValue(), longitude, 1e-6);
        EXPECT_NEAR(b.fixes[0].speedKmh, kmh, 1e-6);
    }
    // A "####" record whose steering bytes do not add up is the cipher form.
    QByteArray cipher = ligoBlock(text);
    cipher[0x24 + 8] = char(0x20);
    EXPECT_EQ(RVFreeGps::read(view(cipher)).status, Status::Encrypted);
}

TEST(FreeGpsLayouts, RejectedBlocksYieldNothing)
{
    // Random bytes behind the mark, and real blocks with random bytes over their records:
    // whatever no layout reads gives neither a point nor a sample, and every point that does
    // come out lies on the globe.
    std::mt19937 random(23);
    const QByteArray seeds[] = {realBlock("Viofo A119 V3"), realBlock("Vantrue N4")};
    int refused = 0;
    for (int i = 0; i < 4000; ++i) {
        QByteArray block = i % 2 ? be32(0x8000) + "freeGPS " + QByteArray(500, '\0')
                                 : seeds[(i / 2) % 2] + QByteArray(300, '\0');
        const int changes = 1 + int(random() % 40);
        for (int c = 0; c < changes; ++c)
            block[12 + qsizetype(random() % std::uint32_t(block.size() - 12))] = char(random());
        const RVFreeGps::Block b = RVFreeGps::read(view(block));
        if (b.status == Status::Unknown || b.status == Status::Encrypted) {
            ++refused;
            EXPECT_TRUE(b.fixes.empty() && b.samples.empty()) << block.toHex().toStdString();
        }
        for (const RVFreeGps::Fix& f : b.fixes) {
            const double lat = f.point.latitudeValue(), lon = f.point.longitudeValue();
            EXPECT_TRUE(std::fabs(lat) <= 90 && std::fabs(lon) <= 180 && (lat != 0 || lon != 0) &&
                        (!f.speedKnown || (f.speedKmh >= 0 && f.speedKmh < 1000)) &&
                        f.point.azimut() >= 0 && f.point.azimut() <= 360)
                << block.toHex().toStdString();
        }
    }
    EXPECT_GT(refused, 1000);
    // A block cut short anywhere (the last one of a recording cut by power loss) is read
    // without fault.
    for (const QByteArray& seed : seeds) {
        for (qsizetype n = 0; n <= seed.size(); ++n)
            EXPECT_NO_THROW(RVFreeGps::read(view(seed.left(n)))) << n;
    }

    // A video of blocks no layout reads is declined as such, with the first block's place,
    // never a Novatek recording without a track; encrypted blocks say so.
    const auto readVideo = [](const QByteArray& block, RVDecline& why) {
        QByteArray file = standardBox("ftyp", "avc1");
        QByteArray mdat(0x8000 - file.size() - 8, '\x11');
        mdat += block + QByteArray(0x8000 - block.size(), '\0');
        file += standardBox("mdat", mdat);
        return readBytes(file, RVNovatekMetaDataReader::readMetaData, "test", &why);
    };
    RVDecline why;
    EXPECT_FALSE(readVideo(be32(0x8000) + "freeGPS " + QByteArray(200, '\x7f'), why));
    EXPECT_EQ(why.kind, RVDecline::Kind::UnknownLayout);
    EXPECT_EQ(why.detail.toStdString(), "1 freeGPS block: unknown layout at offset 0x8000");
    EXPECT_FALSE(readVideo(hex(kAkasoV1), why));
    EXPECT_EQ(why.kind, RVDecline::Kind::Encrypted);
    EXPECT_TRUE(readVideo(realBlock("Viofo A119S"), why));
}

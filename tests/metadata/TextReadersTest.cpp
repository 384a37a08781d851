// Readers of metadata texts and records: BlackVue's track and sensor files, Mini logs and
// Korvela texts, beside the video or in its "udat" box.
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace TestFiles;

const QByteArray kGga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,150,M,14.0,M,,\n";
const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kRmc2 = "$GPRMC,134502.000,A,5545.1300,N,03736.5700,E,11.0,46.0,050215,,,A\n";
const QByteArray kPrefix = "[1499552090960]";
const QByteArray kMini = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";

TEST(BlackVueReader, TrackLinesSensorRecordsAndCameraModel)
{
    // Raw receiver bytes or a second prefix before the sentence: the last "$" starts it.
    // A 16-character line hands one character on, which is no sentence.
    const QByteArray binary = "\x1d\x15\xff\xaa garbage";
    QByteArray track;
    for (const QByteArray& line :
         {kRmc, QByteArray("\n"),
          QByteArray("$GPGGA,191450.00,5357.14375,N,02740.86226,E,1,11,0.81,222.3,M,,M,,\r\n"),
          kRmc, QByteArray("$\n"), binary + "\n", binary + kPrefix + kRmc,
          "xx$GPGSA,A,3$GPXX" + kRmc})
        track += kPrefix + line;
    const std::string p = "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 ";
    const std::string v = "18.5199999809 ";
    EXPECT_EQ(text(RVBlackVueMetaDataReader::readMetaDataFromText(view(track + kRmc.left(15)))),
              p + "nan 45.5\n" + p + "222.3 45.5\n" + p + "222.3 45.5\n" + p + "222.3 45.5\n" + v +
                  v + v + v);
    EXPECT_TRUE(RVBlackVueMetaDataReader::readMetaDataFromText(view(kPrefix + "$")).points.empty());

    // Ten bytes a record: big-endian 32-bit milliseconds, then z, x, y in 1/128 g (z less 1 g).
    const auto blackVueSamples = [](const QByteArray& bytes) {
        RVMetaData data;
        data.gSensorData = RVBlackVueMetaDataReader::readGSensorFromText(view(bytes));
        return text(data);
    };
    EXPECT_EQ(blackVueSamples(QByteArray("\x00\x00\x00\x2a\x00\x80\x00\x40\xff\xe0", 10) + "rest"),
              "0.5 -0.25 0 0.559016994375 42\n");
    EXPECT_EQ(blackVueSamples(QByteArray("\x80\x00\x00\x00\x80\x00\x7f\xff\x00\x00", 10)),
              "255.9921875 0 -257 362.740954485 -2147483648\n");
    EXPECT_EQ(blackVueSamples(QByteArray(9, '\1')), "");
    EXPECT_EQ(blackVueSamples(QByteArray(20, '\1')).size(),
              2 * blackVueSamples(QByteArray(10, '\1')).size());

    // The camera model from its text, in fields or JSON.
    const auto model = &RVBlackVueMetaDataReader::readCameraModel;
    EXPECT_EQ(model(std::string_view("Pittasoft;DR750S-2CH;1.008;English;\0\0", 38)), "DR750S-2CH");
    EXPECT_EQ(model(R"( {"company":"Pittasoft","model":"DR970X-2CH","fw_ver":"1.002"})"),
              "DR970X-2CH");
    EXPECT_EQ(model("a;\x01model\x7f\n;b"), "model");
    EXPECT_EQ(model("no fields") + model(" {broken json"), "");
}

// "status,ddMMyy,HHmmss.sss,lat,N,lon,E,knots,x,y,z" in local time (Berlin, UTC+1), the sensor
// in 1/10 g, y less 1 g. No speed threshold, no altitude; the course follows the positions.
// Lines without a position are samples labelled as the previous fix, "0" before any; a point
// without time has unlabelled samples. Too few fields: nothing; date and time may run together.
TEST(MiniReader, LinesGivePointsSpeedsAndSamples)
{
    const auto mini = [](const QByteArray& lines) {
        return text(RVMiniMetaDataReader::readMetaDataFromFile("/gps0001.log", view(lines)));
    };
    EXPECT_EQ(mini(kMini + "V,050215,134502.000,,,,,0.0,0,-10,0\n"
                           "A,050215,134503.5,5545.1234,S,03736.5678,W,1.0,0,0,0\r\n"),
              "55.752060 37.609463 2015-02-05 12:45:01.000 -1 0 0\n"
              "-55.752060 -37.609463 2015-02-05 12:45:03.500 -1 0 214.002983237\n"
              "0.1 0 0.3 0.316227766017 05-02-15 13:45:01.000\n"
              "0 0 0 0 05-02-15 13:45:01.000\n"
              "0 1 0 1 05-02-15 13:45:03.500\n"
              "18.5199999809 1.85199999809 ");
    EXPECT_EQ(mini("V,050180,235950.003,+,,+,,0.00,-00.61,-07.96,-78.40;\r\n"
                   "V,050215,134502.000,,,,,0.0,0,-10,0\n"
                   "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10\n"
                   "a,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n"
                   "X,050215\n\x1a\n"
                   "A,320215,134501.000,+5545.1234,N,+03736.5678,E,10.0,1,-10,3\n"
                   "A,05021,5134501,5545.1234,N,03736.5678,E,1,0,0,0\n"),
              "55.752060 37.609463 - -1 0 0\n"
              "55.752060 37.609463 2015-02-05 12:45:01.000 -1 0 90\n"
              "-0.061 0.204 -7.84 7.84289085733 0\n"
              "0 0 0 0 0\n"
              "0.1 0 0.3 0.316227766017 -\n"
              "0 1 0 1 05-02-15 13:45:01.000\n"
              "18.5199999809 1.85199999809 ");
    const RVMetaData empty = RVMiniMetaDataReader::readMetaDataFromFile("/gps0001.log", "none\n");
    EXPECT_EQ(text(empty) + empty.relatedFiles.join(' ').toStdString(), "/gps0001.log");
    // The course to the next position: north-east, south, west; no movement gives 90.
    const auto course = [](const QByteArray& to) {
        const QByteArray lines = "A,050215,134501.000,5500.0000,N,03700.0000,E,1,0,0,0\n"
                                 "A,050215,134502.000," +
                                 to + ",E,1,0,0,0\n";
        return RVMiniMetaDataReader::readMetaDataFromFile("", view(lines)).points.at(1).azimut();
    };
    EXPECT_NEAR(course("5500.0600,N,03700.0600"), 45, 1e-9);
    EXPECT_EQ(course("5459.0000,N,03700.0000"), 180);
    EXPECT_EQ(course("5500.0000,N,03659.0000"), -90);
    EXPECT_EQ(course("5500.0000,N,03700.0000"), 90);
}

// "$GS,x,y,z" in 1/1000 g, z less 1 g, labelled with the last fix's local time (UTC+1), "0"
// before any fix, none after a fix without time. Short sentences, bytes above 127 and empty
// lines touch only their line; "$GSA" is a "$GS" line too.
TEST(KorvelaReader, TextGivesPointsAndLabelledSamples)
{
    const auto korvela = [](const QByteArray& lines) {
        return text(RVKorvelaMetaDataReader::readMetaDataFromText(view(lines)));
    };
    EXPECT_EQ(korvela(kGga + kRmc + "$GS,12,-40,1020\n$GS,8,-36,995\n" + kRmc2),
              "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 150 45.5\n"
              "55.752163 37.609501 2015-02-05 13:45:02.000 20.371999979 150 46\n"
              "0.012 -0.04 0.02 0.0463033476112 05-02-15 14:45:01.000\n"
              "0.008 -0.036 -0.005 0.0372155881319 05-02-15 14:45:01.000\n"
              "18.5199999809 20.371999979 ");
    EXPECT_EQ(korvela("$GS,0,0,1000\n$GS,1,2\ngarbage \xff\xfe line\n\n"
                      "$GPRMC,1345,A,5545.1234,N,03736.5678,E,1,2,050215,,,A\n"
                      "$GS,5,5,1005,extra,fields\r\n$GSA,1,2,3\n"),
              "55.752060 37.609463 - 0 nan 2\n"
              "0 0 0 0 0\n"
              "0.005 0.005 0.005 0.00866025403784 -\n"
              "0.001 0.002 -0.997 0.997002507519 -\n"
              "0 ");
    EXPECT_EQ(korvela(""), "none");
    EXPECT_EQ(korvela("\n\n"), "");

    const auto walk = [](const QByteArray& file) {
        return readBytes(file, RVKorvelaMetaDataReader::findUdatPayload);
    };
    const QByteArray fixes = kRmc + kRmc2;
    const QByteArray ftyp = standardBox("ftyp", "isom\0\0\0\0");
    const QByteArray mdat = standardBox("mdat", QByteArray(1000, '\x55'));
    // The payload is "size" bytes after the header: a header-counting size takes 8 bytes of the
    // next box; a size beyond the file stops at its end. Cameras pad with NUL bytes.
    const QByteArray free = standardBox("free", "12345678");
    const QByteArray padded = kRmc + kRmc2.chopped(1) + QByteArray(16, '\0');
    const std::pair<QByteArray, QByteArray> found[] = {
        {ftyp + mdat + payloadSizedBox("udat", fixes), fixes},
        {ftyp + standardBox("udat", fixes) + free, fixes + free.left(8)},
        {ftyp + box(0x7FFFFFF0, "udat", fixes), fixes},
        {ftyp + payloadSizedBox("udat", padded), padded}};
    for (const auto& [file, payload] : found) {
        EXPECT_EQ(walk(file), payload);
        EXPECT_EQ(RVKorvelaMetaDataReader::readMetaDataFromText(view(payload))->points.size(), 2u);
    }
    // Not the standard "udta", not nested; sizes that cannot move the walk forward (0, 1 for a
    // 64-bit size, 7, negative), a box past the end, a cut header, an empty file: nothing.
    for (const QByteArray& file : {ftyp + standardBox("udta", fixes),
                                   ftyp + standardBox("moov", payloadSizedBox("udat", fixes)),
                                   ftyp + box(5000, "mdat", "short"),
                                   ftyp + QByteArray("\0\0\0\x10ud", 6), QByteArray(), ftyp + mdat})
        EXPECT_FALSE(walk(file)) << file.size();
    for (const std::uint32_t size : {0u, 1u, 7u, 0xFFFFFFF8u, 0x80000000u})
        EXPECT_FALSE(
            walk(ftyp + box(size, "mdat", QByteArray(64, 'x')) + payloadSizedBox("udat", fixes)))
            << size;
    // Sizes are signed 32-bit big-endian; fewer than four bytes are no size.
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength(std::string_view("\xff\xff\xff\xfe", 4)), -2);
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength(std::string_view("\0\0\1\0", 4)), 256);
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength("\x01"), 0);

    // An empty udat: the 8 bytes of the box after it are the text; none at the end: nothing.
    // Long files are read in blocks: lines cut at a block's end, "\r\n" and a last line without
    // newline read as the same text given whole.
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/FILE0002.MOV";
    writeFile(video, ftyp + box(8, "udat") + mdat);
    EXPECT_EQ(text(RVKorvelaMetaDataReader().readMetaDataFromVideoFile(video)), "");
    writeFile(video, ftyp + box(8, "udat"));
    EXPECT_EQ(text(RVKorvelaMetaDataReader().readMetaDataFromVideoFile(video)), "none");
    QByteArray lines;
    for (int i = 0; lines.size() < 3 * 1024 * 1024; ++i) {
        lines += i % 3 == 0 ? kGga : QByteArray("$GS,12,-40,1020\r\n");
        lines += QByteArray(kRmc).replace("134501", QByteArray::number(100000 + i % 50000));
        lines += QByteArray(i % 7, ' ') + "\n"; // moves the block boundaries
    }
    lines += "$GPRMC,134503.000,A,5545.1400,N,03736.5800,E,12.0,47.0,050215,,,A";
    writeFile(dir.path() + "/VIDEO/FILE0002.txt", lines);
    writeFile(video, standardBox("ftyp", "isom") + payloadSizedBox("udat", lines));
    const std::string whole = korvela(lines);
    EXPECT_NE(whole.find("55.752335 37.609669 2015-02-05 13:45:03.000 22.2239999771 150 47\n0.012"),
              std::string::npos);
    EXPECT_EQ(text(RVKorvelaMetaDataReader().readMetaDataFromVideoFile(video)), whole);
    QFile::remove(dir.path() + "/VIDEO/FILE0002.txt");
    EXPECT_EQ(text(RVKorvelaMetaDataReader().readMetaDataFromVideoFile(video)), whole);
}

#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using TestFiles::box;
using TestFiles::payloadSizedBox;
using TestFiles::standardBox;
using TestFiles::write;

namespace {

const QByteArray kGga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,150,M,14.0,M,,\n";
const QByteArray kRmc1 = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kRmc2 = "$GPRMC,134502.000,A,5545.1300,N,03736.5700,E,11.0,46.0,050215,,,A\n";
const QByteArray kText = kGga + kRmc1 + "$GS,12,-40,1020\n$GS,8,-36,995\n" + kRmc2;

std::optional<RVMetaData> readVideo(const QString& path)
{
    return RVKorvelaMetaDataReader().readMetaDataFromVideoFile(path);
}

// Point by point and sample by sample.
void expectSameData(const RVMetaData& read, const RVMetaData& want)
{
    ASSERT_EQ(read.points.size(), want.points.size());
    ASSERT_EQ(read.velocityData, want.velocityData);
    for (std::size_t i = 0; i < want.points.size(); ++i) {
        const RVPoint& a = read.points[i];
        const RVPoint& b = want.points[i];
        ASSERT_EQ(a.time(), b.time()) << i;
        ASSERT_EQ(a.latitudeText(), b.latitudeText()) << i;
        ASSERT_EQ(a.azimut(), b.azimut()) << i;
        ASSERT_EQ(a.altitude(), b.altitude()) << i;
    }
    ASSERT_EQ(read.gSensorData.size(), want.gSensorData.size());
    for (std::size_t i = 0; i < want.gSensorData.size(); ++i) {
        ASSERT_EQ(read.gSensorData[i].time(), want.gSensorData[i].time()) << i;
        ASSERT_EQ(read.gSensorData[i].x(), want.gSensorData[i].x()) << i;
    }
}

std::optional<QByteArray> walk(const QByteArray& file)
{
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return RVKorvelaMetaDataReader::findUdatPayload(buffer, copy.size());
}

} // namespace

TEST(KorvelaReader, TextGivesPointsAndLabelledSamples)
{
    const auto data = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(kText));
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 2u);
    ASSERT_EQ(data->velocityData.size(), 2u);
    EXPECT_EQ(data->points[0].altitude(), 150);
    EXPECT_EQ(data->points[1].altitude(), 150);
    EXPECT_TRUE(data->relatedFiles.isEmpty());
    ASSERT_EQ(data->gSensorData.size(), 2u);
    const RVSensorData& a = data->gSensorData[0];
    EXPECT_DOUBLE_EQ(a.x(), 0.012);
    EXPECT_DOUBLE_EQ(a.y(), -0.04);
    EXPECT_NEAR(a.z(), 0.02, 1e-12);
    EXPECT_DOUBLE_EQ(a.common(), std::sqrt(a.x() * a.x() + a.y() * a.y() + a.z() * a.z()));
    const RVSensorData& b = data->gSensorData[1];
    EXPECT_NEAR(b.z(), -0.005, 1e-12);
    // Both samples carry the first point's time, in local time (Berlin, UTC+1 in February).
    EXPECT_EQ(a.time().text(), "05-02-15 14:45:01.000");
    EXPECT_EQ(b.time(), a.time());
}

TEST(KorvelaReader, SensorLinesBeforeAnyFixAndOddLines)
{
    const QByteArray text = "$GS,0,0,1000\n"          // before any fix: label "0"
                            "$GS,1,2\n"               // three fields: no sample
                            "garbage \xff\xfe line\n" // bytes above 127 only touch their line
                            "\n"
                            "$GPRMC,1345,A,5545.1234,N,03736.5678,E,1,2,050215,,,A\n" // no time
                            "$GS,5,5,1005,extra,fields\r\n"
                            "$GSA,1,2,3\n"; // a GSA sentence is a "$GS" line too
    const auto data = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(text));
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 1u);
    ASSERT_EQ(data->gSensorData.size(), 3u);
    EXPECT_EQ(data->gSensorData[0].z(), 0);
    EXPECT_EQ(data->gSensorData[0].time().text(), "0");
    // A point without time gives samples without a label.
    EXPECT_TRUE(data->gSensorData[1].time().isNull());
    EXPECT_NEAR(data->gSensorData[1].z(), 0.005, 1e-12);
    EXPECT_NEAR(data->gSensorData[2].z(), -0.997, 1e-12);

    EXPECT_FALSE(RVKorvelaMetaDataReader::readMetaDataFromText(""));
    const auto nothingUsable = RVKorvelaMetaDataReader::readMetaDataFromText("\n\n");
    ASSERT_TRUE(nothingUsable);
    EXPECT_TRUE(nothingUsable->points.empty());
}

TEST(KorvelaReader, SideFilesAreFoundInOrder)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/CARD";
    const QString video = card + "/VIDEO/FILE0001.MOV";
    const QByteArray oneFix = kRmc1;
    const QByteArray twoFixes = kRmc1 + kRmc2;
    write(video, standardBox("ftyp", "isom") + payloadSizedBox("udat", kText + kRmc2));

    // The box alone: three points.
    auto data = readVideo(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 3u);

    // A side file beside the video hides the box.
    write(card + "/VIDEO/FILE0001.txt", twoFixes);
    data = readVideo(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);

    // The INFO file hides both.
    write(card + "/INFO/FILE0001.txt", oneFix);
    data = readVideo(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 1u);
    EXPECT_TRUE(data->relatedFiles.isEmpty());

    // An empty INFO file still hides the box: nothing at all.
    write(card + "/INFO/FILE0001.txt", QByteArray());
    EXPECT_FALSE(readVideo(video));

    // A name with dots keeps all but its last extension.
    write(card + "/VIDEO/TRIP.2015.txt", oneFix);
    EXPECT_TRUE(readVideo(card + "/VIDEO/TRIP.2015.MOV"));
    // No side file and no video file: nothing.
    EXPECT_FALSE(readVideo(card + "/VIDEO/MISSING.MOV"));
}

TEST(KorvelaReader, BoxWalkFindsTopLevelUdat)
{
    const QByteArray text = kRmc1 + kRmc2;
    const QByteArray ftyp = standardBox("ftyp", "isom\0\0\0\0");
    const QByteArray mdat = standardBox("mdat", QByteArray(1000, '\x55'));

    // ftyp, mdat, udat: the walk skips two boxes by their sizes.
    auto payload = walk(ftyp + mdat + payloadSizedBox("udat", text));
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, text);

    // The payload is read as "size" bytes after the header: a header-inclusive size pulls in
    // 8 bytes of the next box, at the end of the last line.
    const QByteArray free = standardBox("free", "12345678");
    payload = walk(ftyp + standardBox("udat", text) + free);
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, text + free.left(8));
    const auto data = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(*payload));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);

    // A size larger than the rest of the file reads up to its end only.
    payload = walk(ftyp + box(0x7FFFFFF0, "udat", text));
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, text);

    // The standard user-data box "udta" is not the camera's box.
    EXPECT_FALSE(walk(ftyp + standardBox("udta", text)));
    // A udat nested in another box is not searched.
    EXPECT_FALSE(walk(ftyp + standardBox("moov", payloadSizedBox("udat", text))));
    // Sizes that cannot move the walk forward end it: 0, 1 (64-bit size), 7, negative.
    for (const std::uint32_t size : {0u, 1u, 7u, 0xFFFFFFF8u, 0x80000000u})
        EXPECT_FALSE(
            walk(ftyp + box(size, "mdat", QByteArray(64, 'x')) + payloadSizedBox("udat", text)))
            << size;
    // A box that runs past the end, a header cut short, an empty file.
    EXPECT_FALSE(walk(ftyp + box(5000, "mdat", "short")));
    EXPECT_FALSE(walk(ftyp + QByteArray("\0\0\0\x10ud", 6)));
    EXPECT_FALSE(walk(QByteArray()));
    // A box that ends exactly at the end of the file ends the walk there.
    EXPECT_FALSE(walk(ftyp + mdat));

    // A udat box with an empty payload: the text is empty, so no metadata.
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/EMPTY.MOV";
    write(video, ftyp + box(8, "udat") + mdat);
    const auto emptyBox = readVideo(video);
    ASSERT_TRUE(emptyBox) << "8 bytes of the next box are the text";
    EXPECT_TRUE(emptyBox->points.empty());
    write(video, ftyp + box(8, "udat"));
    EXPECT_FALSE(readVideo(video));

    // Sizes are signed 32-bit big-endian; fewer than four bytes are no size.
    const auto getBlockLength = &RVKorvelaMetaDataReader::getBlockLength;
    EXPECT_EQ(getBlockLength(std::string_view("\xff\xff\xff\xfe", 4)), -2);
    EXPECT_EQ(getBlockLength(std::string_view("\x00\x00\x01\x00", 4)), 256);
    EXPECT_EQ(getBlockLength("\x01"), 0);
}

TEST(KorvelaReader, NulPaddedBoxTextKeepsItsFixes)
{
    // Cameras pad the box with NUL bytes; they stay in the last line, which still reads.
    const QByteArray text = kRmc1 + kRmc2.chopped(1) + QByteArray(16, '\0');
    const auto payload = walk(standardBox("ftyp", "isom") + payloadSizedBox("udat", text));
    ASSERT_TRUE(payload);
    const auto data = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(*payload));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);
}

// Files are scanned in blocks: lines cut at a block's end, "\r\n" endings and a
// last line without a newline read exactly as the same text given whole.
TEST(KorvelaReader, LongFilesReadInBlocksMatchTheWholeText)
{
    QByteArray text;
    for (int i = 0; text.size() < 3 * 1024 * 1024; ++i) {
        text += i % 3 == 0 ? kGga : QByteArray("$GS,12,-40,1020\r\n");
        text += QByteArray(kRmc1).replace("134501", QByteArray::number(100000 + i % 50000));
        text += QByteArray(i % 7, ' ') + "\n"; // shifts where the block boundaries fall
    }
    text += "$GPRMC,134503.000,A,5545.1400,N,03736.5800,E,12.0,47.0,050215,,,A";
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/FILE0002.MOV";
    write(dir.path() + "/VIDEO/FILE0002.txt", text);
    write(video, standardBox("ftyp", "isom") + payloadSizedBox("udat", text));

    const auto whole = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(text));
    ASSERT_TRUE(whole);
    const auto fromSide = readVideo(video);
    ASSERT_TRUE(fromSide);
    QFile::remove(dir.path() + "/VIDEO/FILE0002.txt");
    const auto fromBox = readVideo(video);
    ASSERT_TRUE(fromBox);
    for (const RVMetaData* read : {&*fromSide, &*fromBox}) {
        expectSameData(*read, *whole);
        EXPECT_EQ(read->points.back().latitude(), whole->points.back().latitude());
    }
    // The unterminated last line is the last fix.
    EXPECT_TRUE(whole->points.back().latitude().startsWith("55.7523"));
    EXPECT_GT(whole->points.size(), 20000u);
}

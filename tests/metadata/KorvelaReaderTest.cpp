#include "metadata/RVKorvelaMetaDataReader.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace TestFiles;

namespace {

const QByteArray kGga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,150,M,14.0,M,,\n";
const QByteArray kRmc1 = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kRmc2 = "$GPRMC,134502.000,A,5545.1300,N,03736.5700,E,11.0,46.0,050215,,,A\n";

std::string read(const QByteArray& lines)
{
    return text(RVKorvelaMetaDataReader::readMetaDataFromText(view(lines)));
}

std::optional<RVMetaData> readVideo(const QString& path)
{
    return RVKorvelaMetaDataReader().readMetaDataFromVideoFile(path);
}

std::optional<QByteArray> walk(QByteArray file)
{
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    return RVKorvelaMetaDataReader::findUdatPayload(buffer, file.size());
}

} // namespace

// "$GS,x,y,z" in 1/1000 g, z less 1 g, labelled with the last fix's local time (UTC+1), "0"
// before any fix, none after a fix without time. Short sentences, bytes above 127 and empty
// lines touch only their line; "$GSA" is a "$GS" line too.
TEST(KorvelaReader, TextGivesPointsAndLabelledSamples)
{
    EXPECT_EQ(read(kGga + kRmc1 + "$GS,12,-40,1020\n$GS,8,-36,995\n" + kRmc2),
              "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 150 45.5\n"
              "55.752163 37.609501 2015-02-05 13:45:02.000 20.371999979 150 46\n"
              "0.012 -0.04 0.02 0.0463033476112 05-02-15 14:45:01.000\n"
              "0.008 -0.036 -0.005 0.0372155881319 05-02-15 14:45:01.000\n"
              "18.5199999809 20.371999979 ");
    EXPECT_EQ(read("$GS,0,0,1000\n$GS,1,2\ngarbage \xff\xfe line\n\n"
                   "$GPRMC,1345,A,5545.1234,N,03736.5678,E,1,2,050215,,,A\n"
                   "$GS,5,5,1005,extra,fields\r\n$GSA,1,2,3\n"),
              "55.752060 37.609463 - 0 nan 2\n"
              "0 0 0 0 0\n"
              "0.005 0.005 0.005 0.00866025403784 -\n"
              "0.001 0.002 -0.997 0.997002507519 -\n"
              "0 ");
    EXPECT_EQ(read(""), "none");
    EXPECT_EQ(read("\n\n"), "");
}

// A text beside the video hides the box, one in INFO hides both, even when empty.
TEST(KorvelaReader, SideFilesAreFoundInOrder)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/CARD";
    const auto points = [&](const char* video) {
        const auto data = readVideo(card + video);
        return data ? QString::number(data->points.size()) + data->relatedFiles.join(' ')
                    : QStringLiteral("none");
    };
    writeFile(card + "/VIDEO/FILE0001.MOV",
              standardBox("ftyp", "isom") + payloadSizedBox("udat", kRmc1 + kRmc2 + kRmc2));
    EXPECT_EQ(points("/VIDEO/FILE0001.MOV"), "3");
    writeFile(card + "/VIDEO/FILE0001.txt", kRmc1 + kRmc2);
    EXPECT_EQ(points("/VIDEO/FILE0001.MOV"), "2");
    writeFile(card + "/INFO/FILE0001.txt", kRmc1);
    EXPECT_EQ(points("/VIDEO/FILE0001.MOV"), "1");
    writeFile(card + "/INFO/FILE0001.txt", QByteArray());
    EXPECT_EQ(points("/VIDEO/FILE0001.MOV"), "none");
    writeFile(card + "/VIDEO/TRIP.2015.txt", kRmc1); // all but the last extension
    EXPECT_EQ(points("/VIDEO/TRIP.2015.MOV"), "1");
    EXPECT_EQ(points("/VIDEO/MISSING.MOV"), "none");
}

TEST(KorvelaReader, BoxWalkFindsTopLevelUdat)
{
    const QByteArray fixes = kRmc1 + kRmc2;
    const QByteArray ftyp = standardBox("ftyp", "isom\0\0\0\0");
    const QByteArray mdat = standardBox("mdat", QByteArray(1000, '\x55'));
    // The payload is "size" bytes after the header: a header-counting size takes 8 bytes of the
    // next box; a size beyond the file stops at its end. Cameras pad with NUL bytes.
    const QByteArray free = standardBox("free", "12345678");
    const QByteArray padded = kRmc1 + kRmc2.chopped(1) + QByteArray(16, '\0');
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

    // An empty udat: the 8 bytes of the box after it are the text; none at the end: nothing.
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/EMPTY.MOV";
    writeFile(video, ftyp + box(8, "udat") + mdat);
    EXPECT_EQ(text(readVideo(video)), "");
    writeFile(video, ftyp + box(8, "udat"));
    EXPECT_EQ(text(readVideo(video)), "none");
    // Sizes are signed 32-bit big-endian; fewer than four bytes are no size.
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength(std::string_view("\xff\xff\xff\xfe", 4)), -2);
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength(std::string_view("\0\0\1\0", 4)), 256);
    EXPECT_EQ(RVKorvelaMetaDataReader::getBlockLength("\x01"), 0);
}

// Files are read in blocks: lines cut at a block's end, "\r\n" and a last line without newline
// read as the same text given whole.
TEST(KorvelaReader, LongFilesReadInBlocksMatchTheWholeText)
{
    QByteArray lines;
    for (int i = 0; lines.size() < 3 * 1024 * 1024; ++i) {
        lines += i % 3 == 0 ? kGga : QByteArray("$GS,12,-40,1020\r\n");
        lines += QByteArray(kRmc1).replace("134501", QByteArray::number(100000 + i % 50000));
        lines += QByteArray(i % 7, ' ') + "\n"; // moves the block boundaries
    }
    lines += "$GPRMC,134503.000,A,5545.1400,N,03736.5800,E,12.0,47.0,050215,,,A";
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/FILE0002.MOV";
    writeFile(dir.path() + "/VIDEO/FILE0002.txt", lines);
    writeFile(video, standardBox("ftyp", "isom") + payloadSizedBox("udat", lines));
    const std::string whole = read(lines);
    EXPECT_GT(whole.size(), 20000u * 60);
    EXPECT_NE(whole.find("55.752335 37.609669 2015-02-05 13:45:03.000 22.2239999771 150 47\n0.012"),
              std::string::npos);
    EXPECT_EQ(text(readVideo(video)), whole);
    QFile::remove(dir.path() + "/VIDEO/FILE0002.txt");
    EXPECT_EQ(text(readVideo(video)), whole);
}

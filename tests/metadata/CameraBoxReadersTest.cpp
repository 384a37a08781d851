// Readers of data kept inside the video: the shared box walk, Novatek blocks, 70mai records and
// BlackVue's embedded boxes. No real Novatek or 70mai recording is at hand: the files are
// built here to the cameras' published layouts.
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using TestFiles::standardBox;
using TestFiles::write;

namespace {

void putLe(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

QByteArray be32(std::uint32_t value)
{
    return QByteArray(1, char(value >> 24)) + char(value >> 16) + char(value >> 8) + char(value);
}

enum class Layout
{
    A,
    B,
    Azdome,
    Encrypted
};

// One 0x8000-byte "freeGPS " block at 13:45:0s UTC on 2015-02-05 (55.752060 N 37.609463 E,
// 10 knots, course 45.5).
QByteArray novatekBlock(Layout layout, int second, char status = 'A')
{
    QByteArray block(0x8000, '\0');
    std::memcpy(block.data(), be32(0x8000).constData(), 4);
    std::memcpy(block.data() + 4, "freeGPS ", 8);
    if (layout == Layout::Azdome) {
        const QByteArray text = QByteArray("\0\0XKZD\xfe\xfe", 8) + "2015020513450" +
                                QByteArray::number(second) + "." + "LABEL          " + "N" +
                                "55451234" + "E" + "037365678" + "00000042";
        for (qsizetype i = 0; i < text.size(); ++i)
            block[18 + i] = char(text[i] ^ 0xAA);
        return block;
    }
    if (layout == Layout::Encrypted) {
        for (qsizetype i = 12; i < 0x200; ++i)
            block[i] = char(i * 37 + 11);
        return block;
    }
    const qsizetype o = layout == Layout::B ? 0x10 : 0x30;
    const std::uint32_t fields[] = {13, 45, std::uint32_t(second), 15, 2, 5};
    for (int i = 0; i < 6; ++i)
        putLe(block, o + 4 * i, fields[i]);
    block[o + 24] = status;
    block[o + 25] = 'N';
    block[o + 26] = 'E';
    const float floats[] = {5545.1234f, 3736.5678f, 10.0f, 45.5f};
    for (int i = 0; i < 4; ++i)
        putLe(block, o + 28 + 4 * i, std::bit_cast<std::uint32_t>(floats[i]));
    if (layout == Layout::B) {
        putLe(block, o + 44, std::uint32_t(256));
        putLe(block, o + 48, std::uint32_t(-128));
        putLe(block, o + 52, std::uint32_t(64));
    }
    return block;
}

// ftyp, then mdat holding the blocks at 0x8000 boundaries, then moov with a "gps " index of
// the first `listed` blocks (none: no moov at all), claiming `claimed` entries.
QByteArray novatekFile(const std::vector<QByteArray>& blocks, int listed, int claimed)
{
    QByteArray file = standardBox("ftyp", "avc1");
    QByteArray mdat;
    mdat.append(QByteArray(0x8000 - file.size() - 8, '\x11'));
    std::vector<std::uint32_t> offsets;
    for (const QByteArray& block : blocks) {
        offsets.push_back(std::uint32_t(file.size() + 8 + mdat.size()));
        mdat.append(block);
        mdat.append(QByteArray(0x8000, '\x22')); // video between the blocks
    }
    file += standardBox("mdat", mdat);
    if (listed < 0)
        return file;
    QByteArray index = be32(1) + be32(std::uint32_t(claimed));
    for (int i = 0; i < listed; ++i)
        index += be32(offsets[std::size_t(i)]) + be32(0x8000);
    return file + standardBox("moov", standardBox("mvhd", QByteArray(100, '\0')) +
                                          standardBox("gps ", index));
}

std::optional<RVMetaData> readNovatek(const QByteArray& file)
{
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return RVNovatekMetaDataReader::readMetaData(buffer, copy.size(), "test");
}

} // namespace

TEST(BoxWalker, SizesAndBounds)
{
    // The end of every box the walk gives.
    const auto ends = [](QByteArray bytes) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        RVBoxWalker walker(buffer, 0, bytes.size());
        std::vector<qint64> result;
        while (const auto box = walker.next())
            result.push_back(box->end);
        return result;
    };
    const QByteArray ftyp = standardBox("ftyp", "isom");
    using Ends = std::vector<qint64>;
    // A 64-bit size (16-byte header, 24 bytes in all), then size 0: to the end.
    EXPECT_EQ(ends(ftyp + be32(1) + "wide" + be32(0) + be32(24) + QByteArray(8, 'w') +
                   TestFiles::box(0, "mdat", QByteArray(40, 'm'))),
              (Ends{12, 36, 84}));
    // More than the file holds: cut at its end, and the last box.
    EXPECT_EQ(ends(ftyp + TestFiles::box(5000, "mdat", "short")), (Ends{12, 25}));
    // Sizes below the header, a 64-bit size cut off or too small, a header cut short: no box.
    EXPECT_EQ(ends(ftyp + TestFiles::box(7, "mdat", "xxxxxxxx")), Ends{12});
    EXPECT_EQ(ends(ftyp + be32(1) + "mdat" + be32(0)), Ends{12});
    EXPECT_EQ(ends(ftyp + be32(1) + "mdat" + be32(0) + be32(4)), Ends{12});
    EXPECT_EQ(ends(QByteArray("\0\0\0\x10ud", 6)), Ends{});
    // Millions of empty boxes are not walked to the end.
    EXPECT_EQ(ends(standardBox("free", "").repeated(RVBoxWalker::kMaxBoxes + 10)).size(),
              std::size_t(RVBoxWalker::kMaxBoxes));
}

TEST(NovatekReader, IndexAndScanGiveTheSameTrack)
{
    std::vector<QByteArray> blocks;
    for (int s = 0; s < 5; ++s)
        blocks.push_back(novatekBlock(Layout::B, s));
    struct Case
    {
        const char* what;
        int listed;
        int claimed;
    };
    // The whole index; none (no moov: a recording cut short); an index that lists two blocks
    // but claims five; one that lists two and claims two (complete as far as it says).
    for (const Case& c : {Case{"index", 5, 5}, Case{"no moov", -1, 0}, Case{"partial", 2, 5}}) {
        const auto data = readNovatek(novatekFile(blocks, c.listed, c.claimed));
        ASSERT_TRUE(data) << c.what;
        ASSERT_EQ(data->points.size(), 5u) << c.what;
        ASSERT_EQ(data->velocityData.size(), 5u);
        ASSERT_EQ(data->gSensorData.size(), 5u);
        for (int s = 0; s < 5; ++s) {
            const RVPoint& p = data->points[std::size_t(s)];
            EXPECT_EQ(p.latitude(), "55.752060");
            EXPECT_EQ(p.longitude(), "37.609463");
            EXPECT_EQ(p.azimut(), 45.5);
            EXPECT_NEAR(data->velocityData[std::size_t(s)], 18.52, 1e-9);
            EXPECT_EQ(p.time().toDateTime(),
                      QDateTime(QDate(2015, 2, 5), QTime(13, 45, s), Qt::UTC))
                << c.what;
        }
        EXPECT_EQ(data->gSensorData[0].x(), 1.0);
        EXPECT_EQ(data->gSensorData[0].y(), -0.5);
        EXPECT_EQ(data->gSensorData[0].z(), 0.25);
    }
    // A complete index is trusted: the blocks it does not list are not looked for.
    EXPECT_EQ(readNovatek(novatekFile(blocks, 2, 2))->points.size(), 2u);
    // A video with a moov and neither index nor blocks is not a Novatek recording.
    EXPECT_FALSE(readNovatek(novatekFile({}, -1, 0) + standardBox("moov", "")));
    EXPECT_FALSE(readNovatek(standardBox("ftyp", "isom") + standardBox("mdat", "x")));
}

TEST(NovatekReader, LayoutsAndRefusedBlocks)
{
    const auto one = [](const QByteArray& block) {
        return RVNovatekMetaDataReader::readBlock(
            std::string_view(block.constData(), std::size_t(block.size())));
    };
    for (const Layout layout : {Layout::A, Layout::B, Layout::Azdome}) {
        const auto block = one(novatekBlock(layout, 7));
        ASSERT_TRUE(block.point) << int(layout);
        EXPECT_EQ(block.point->latitude(), "55.752060");
        EXPECT_EQ(block.point->longitude(), "37.609463");
        EXPECT_EQ(block.point->time().toDateTime(),
                  QDateTime(QDate(2015, 2, 5), QTime(13, 45, 7), Qt::UTC));
        EXPECT_NEAR(block.speedKmh, layout == Layout::Azdome ? 42.0 : 18.52, 1e-9);
        EXPECT_EQ(block.sample.has_value(), layout == Layout::B);
        if (block.sample) { // 1/256 g per unit
            EXPECT_EQ(block.sample->x(), 1.0);
            EXPECT_EQ(block.sample->y(), -0.5);
            EXPECT_EQ(block.sample->z(), 0.25);
        }
    }
    // A block that ends right after its record still reads; a byte less does not. An hour of
    // 24 is no time.
    const QByteArray whole = novatekBlock(Layout::A, 1);
    EXPECT_TRUE(one(whole.left(0x30 + 44)).point);
    EXPECT_FALSE(one(whole.left(0x30 + 43)).point);
    QByteArray midnight = whole;
    putLe(midnight, 0x30, 24u);
    EXPECT_FALSE(one(midnight).point);
    QByteArray sixtyMinutes = whole;
    putLe(sixtyMinutes, 0x30 + 4, 60u);
    EXPECT_FALSE(one(sixtyMinutes).point);
    // A void fix, an encrypted block, a block without the mark: no point.
    EXPECT_FALSE(one(novatekBlock(Layout::A, 1, 'V')).point);
    EXPECT_FALSE(one(novatekBlock(Layout::Encrypted, 1)).point);
    EXPECT_FALSE(one(novatekBlock(Layout::Encrypted, 1)).sample);
    QByteArray unmarked = novatekBlock(Layout::A, 1);
    unmarked[5] = 'X';
    EXPECT_FALSE(one(unmarked).point);
    // Southern and western hemispheres.
    QByteArray south = novatekBlock(Layout::A, 1);
    south[0x30 + 25] = 'S';
    south[0x30 + 26] = 'W';
    EXPECT_EQ(one(south).point->latitude(), "-55.752060");
    EXPECT_EQ(one(south).point->longitude(), "-37.609463");

    // A video on the card: refused and void blocks drop out, the rest keep their order.
    QTemporaryDir dir;
    const QString video = dir.path() + "/DCIM/Movie/2015_0205_134500_001F.MP4";
    write(video, novatekFile({novatekBlock(Layout::A, 0), novatekBlock(Layout::Encrypted, 1),
                              novatekBlock(Layout::A, 2, 'V'), novatekBlock(Layout::A, 3)},
                             4, 4));
    QString format;
    const auto data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video, &format);
    ASSERT_TRUE(data);
    EXPECT_EQ(format, "Novatek");
    ASSERT_EQ(data->points.size(), 2u);
    EXPECT_EQ(data->points[1].time().toDateTime().time(), QTime(13, 45, 3));
}

TEST(SeventyMaiReader, RecordsAndStartFromName)
{
    const auto record = [](std::uint32_t seconds, std::uint32_t speed, char ns, std::int32_t lat,
                           char ew, std::int32_t lon) {
        QByteArray r(36, '\0');
        putLe(r, 8, seconds);
        putLe(r, 12, speed);
        r[16] = ns;
        putLe(r, 17, std::uint32_t(lat));
        r[21] = ew;
        putLe(r, 22, std::uint32_t(lon));
        return r;
    };
    const QByteArray records = record(0, 50500, 'N', 5545123, 'E', 3736568) +
                               record(1, 0, '\0', 0, '\0', 0) + // no fix yet
                               record(2, 51000, 'S', 5545123, 'W', 3736568) + "trailing";
    QTemporaryDir dir;
    const QString video = dir.path() + "/70mai/Normal/NO20210417-120912-000123F.MP4";
    write(video,
          standardBox("ftyp", "mp42") + standardBox("GPS ", records) + standardBox("mdat", "x"));
    QString format;
    const auto data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video, &format);
    ASSERT_TRUE(data);
    EXPECT_EQ(format, "70mai");
    ASSERT_EQ(data->points.size(), 2u);
    // 5545.123 and 3736.568 minutes, computed in single precision as every reader does.
    EXPECT_EQ(data->points[0].latitude(), "55.752052");
    EXPECT_EQ(data->points[0].longitude(), "37.609470");
    EXPECT_EQ(data->points[1].latitude(), "-55.752052");
    EXPECT_EQ(data->velocityData, (std::vector<double>{50.5, 51.0}));
    // Local time (the tests run in Europe/Berlin), plus the record's seconds.
    EXPECT_EQ(data->points[1].time().toDateTime(),
              QDateTime(QDate(2021, 4, 17), QTime(12, 9, 14), Qt::LocalTime));
    EXPECT_FALSE(
        RVSeventyMaiMetaDataReader::startFromName("NO20211317-120912-000123F.MP4").isValid());
    EXPECT_FALSE(RVSeventyMaiMetaDataReader::startFromName("IMG_0001.MP4").isValid());
    // The lower-case "gps " box is not 70mai's.
    write(video, standardBox("ftyp", "mp42") + standardBox("gps ", records));
    EXPECT_FALSE(RVSeventyMaiMetaDataReader().readMetaDataFromVideoFile(video));
}

TEST(BlackVueReader, EmbeddedBoxesReadLikeSideFiles)
{
    const QString realData = QStringLiteral(KORVELA_REALDATA_DIR "/blackvue-dr650s");
    if (!QDir(realData).exists())
        GTEST_SKIP() << "no real data in " << realData.toStdString();
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record/";
    for (const char* clip : {"20170708_221449_N", "20170709_084737_E", "20170709_085648_N"}) {
        const QByteArray text = TestFiles::realData(
            QStringLiteral("blackvue-dr650s/%1.gps").arg(clip).toUtf8().constData());
        const QByteArray sensor = TestFiles::realData(
            QStringLiteral("blackvue-dr650s/%1.3gf").arg(clip).toUtf8().constData());
        const QString side = record + clip + "F.mp4";
        write(side, standardBox("ftyp", "mp42") + standardBox("mdat", "x"));
        write(record + clip + "F.gps", text);
        write(record + clip + "F.3gf", sensor);
        // The embedded form: NUL-padded text, records ended by ten 0xFF bytes.
        const QByteArray embedded =
            standardBox("gps ", text + QByteArray(100, '\0')) +
            standardBox("3gf ", sensor + QByteArray(10, '\xff') + QByteArray(30, '\0')) +
            standardBox("cprt", "Pittasoft Co., Ltd.;DR900S-2CH;1.010;English;");
        const QString inside = record + clip + "R.mp4";
        write(inside, standardBox("ftyp", "mp42") + standardBox("free", QByteArray(64, '\0')) +
                          standardBox("free", embedded) + standardBox("mdat", "x") +
                          standardBox("moov", ""));

        QString sideFormat, insideFormat;
        const auto& gps = RVGpsProcessor::sharedInstance();
        const auto a = gps.readMetaDataFromVideoFile(side, &sideFormat);
        const auto b = gps.readMetaDataFromVideoFile(inside, &insideFormat);
        ASSERT_TRUE(a && b) << clip;
        EXPECT_EQ(insideFormat, "BlackVue");
        EXPECT_EQ(sideFormat, insideFormat);
        ASSERT_EQ(a->points.size(), b->points.size()) << clip;
        EXPECT_GT(a->points.size(), 0u);
        for (std::size_t i = 0; i < a->points.size(); ++i) {
            EXPECT_EQ(a->points[i].latitude(), b->points[i].latitude());
            EXPECT_EQ(a->points[i].time(), b->points[i].time());
        }
        EXPECT_EQ(a->velocityData, b->velocityData);
        ASSERT_EQ(a->gSensorData.size(), std::size_t(sensor.size() / 10)) << clip;
        ASSERT_EQ(a->gSensorData.size(), b->gSensorData.size()) << clip;
        for (std::size_t i = 0; i < a->gSensorData.size(); ++i)
            EXPECT_EQ(a->gSensorData[i].z(), b->gSensorData[i].z());
        EXPECT_TRUE(b->relatedFiles.isEmpty());
        EXPECT_EQ(b->cameraModel, "DR900S-2CH");
    }
}

TEST(BlackVueReader, CameraModelTexts)
{
    const auto model = &RVBlackVueMetaDataReader::readCameraModel;
    EXPECT_EQ(model(std::string_view("Pittasoft;DR750S-2CH;1.008;English;\0\0", 38)), "DR750S-2CH");
    EXPECT_EQ(model(R"( {"company":"Pittasoft","model":"DR970X-2CH","fw_ver":"1.002"})"),
              "DR970X-2CH");
    EXPECT_EQ(model("no fields"), "");
    EXPECT_EQ(model(" {broken json"), "");
    EXPECT_EQ(model("a;\x01model\x7f\n;b"), "model");
}

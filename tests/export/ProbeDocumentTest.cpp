// The probe document of a real clip made by ffmpeg (a video and a sound track), with a camera's
// data added as a camera writes it: an encrypted freeGPS block (real Redtiger F7N bytes) and a
// block of no known layout at 0x8000 boundaries inside a second "mdat", and a 70mai "GPS " box
// without a fix.
#include "export/RVProbeDocument.h"
#include "metadata/TrackFiles.h"
#include "support/Support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using TrackFiles::be32;
using TrackFiles::box;

// Every box of the tree, depth first.
void collect(const QJsonArray& boxes, std::vector<QJsonObject>& into)
{
    for (const QJsonValue& b : boxes) {
        into.push_back(b.toObject());
        collect(b.toObject().value("children").toArray(), into);
    }
}

} // namespace

TEST(ProbeFormat, NamesTheTracksTheDeclinesAndWhereTheDataLies)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const QString clip = dir.filePath("clip.mp4");
    ASSERT_TRUE(
        support::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=1", "-f",
                            "lavfi", "-i", "sine=duration=1", "-c:a", "aac", "-shortest", clip}));
    QByteArray file = support::readFile(clip);
    ASSERT_FALSE(file.isEmpty());
    const QByteArray seventyMai = box("GPS ", QByteArray(36, '\0'));
    file += seventyMai;
    const QByteArray unknown = be32(0x4000) + "freeGPS " + QByteArray(0x3ff4, '\x11');
    const qint64 boundary = support::appendEncryptedFreeGps(file, unknown);
    const QString video = dir.filePath("2021_1228_190106_001F.MP4");
    ASSERT_TRUE(support::writeFile(video, file));

    QStringList errors;
    const QByteArray out = QByteArray::fromStdString(RVProbeDocument::forFiles({video}, errors));
    EXPECT_TRUE(errors.isEmpty());
    const QJsonObject probe = QJsonDocument::fromJson(out).array().at(0).toObject();

    // No folder in the report, only the name, and the rule that read the name.
    EXPECT_EQ(probe.value("file").toString(), "2021_1228_190106_001F.MP4");
    EXPECT_FALSE(out.contains(dir.path().toUtf8()));
    EXPECT_EQ(probe.value("nameRule").toObject().value("family").toString(), "Novatek");
    EXPECT_TRUE(probe.value("format").isNull());

    // Every reader declined, each saying why.
    std::map<QString, QString> declines;
    for (const QJsonValue& r : probe.value("readers").toArray())
        declines[r.toObject().value("reader").toString()] =
            r.toObject().value("decline").toString();
    EXPECT_EQ(declines["Novatek"], "encrypted");
    EXPECT_EQ(declines["70mai"], "no fix yet");
    EXPECT_EQ(declines["BlackVue"], "not mine");

    // The tree with offsets; the unknown box shows its first bytes, the frames never.
    std::vector<QJsonObject> boxes;
    collect(probe.value("boxes").toArray(), boxes);
    std::map<QString, QJsonObject> byType;
    for (const QJsonObject& b : boxes)
        byType.emplace(b.value("type").toString(), b);
    for (const char* type : {"ftyp", "moov", "trak", "stsd", "mdat", "GPS "})
        EXPECT_TRUE(byType.count(type)) << type;
    EXPECT_EQ(byType["GPS "].value("head").toString().toStdString(), std::string(72, '0'));
    EXPECT_EQ(byType["GPS "].value("offset").toDouble(), double(file.indexOf("GPS ") - 4));
    for (const QJsonObject& b : boxes)
        EXPECT_FALSE(b.value("type").toString() == "mdat" && b.contains("head"));

    // The tracks: video without a sample shown, sound with its first sample's bytes.
    const QJsonArray tracks = probe.value("tracks").toArray();
    ASSERT_EQ(tracks.size(), 2);
    for (const QJsonValue& t : tracks) {
        const QJsonObject track = t.toObject();
        if (track.value("handler").toString() == "vide") {
            EXPECT_FALSE(track.contains("firstSample"));
            continue;
        }
        EXPECT_EQ(track.value("handler").toString(), "soun");
        EXPECT_EQ(track.value("codec").toString(), "mp4a");
        const QJsonObject sample = track.value("firstSample").toObject();
        const qint64 at = qint64(sample.value("offset").toDouble());
        const qint64 size = std::min<qint64>(256, qint64(sample.value("size").toDouble()));
        EXPECT_GT(size, 0);
        EXPECT_EQ(sample.value("head").toString().toUtf8(), file.mid(at, size).toHex());
    }

    // Where the camera's data lies, and what the block table made of it: the first bytes of
    // the block no layout read, none of the one that was read.
    const QJsonObject freeGps = probe.value("freeGPS").toObject();
    EXPECT_EQ(freeGps.value("blocks").toInt(), 2);
    std::map<QString, QJsonObject> layouts;
    for (const QJsonValue& l : freeGps.value("layouts").toArray())
        layouts.emplace(l.toObject().value("status").toString(), l.toObject());
    EXPECT_EQ(layouts["encrypted"].value("firstOffset").toDouble(), double(boundary));
    EXPECT_FALSE(layouts["encrypted"].contains("head"));
    EXPECT_EQ(layouts["unknown"].value("head").toString().toUtf8(), unknown.left(256).toHex());
    EXPECT_EQ(probe.value("dataAt").toString(),
              QStringLiteral("freeGPS blocks from offset 0x%1").arg(boundary, 0, 16));
    EXPECT_FALSE(probe.contains("boxesTruncated"));

    // Without the blocks, the camera's box is where the data lies; a tree of over 2,000 boxes
    // is cut and says so. A file that cannot be opened is named.
    QByteArray many = file.left(file.indexOf("GPS ") - 4 + seventyMai.size());
    for (int i = 0; i < 2100; ++i)
        many += box("free", {});
    const QString plain = dir.filePath("plain.mp4");
    ASSERT_TRUE(support::writeFile(plain, many));
    const QJsonArray two =
        QJsonDocument::fromJson(QByteArray::fromStdString(RVProbeDocument::forFiles(
                                    {plain, dir.filePath("gone.mp4")}, errors)))
            .array();
    ASSERT_EQ(two.size(), 1);
    EXPECT_EQ(two[0]["dataAt"].toString(),
              QStringLiteral("\"GPS \" box at offset 0x%1").arg(file.indexOf("GPS ") - 4, 0, 16));
    EXPECT_TRUE(two[0]["boxesTruncated"].toBool());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("gone.mp4"));
}

#include "ClipFactory.h"
#include "ClipReadback.h"
#include "support/Support.h"
#include "support/WriteLimit.h"

#include "clip/RVClipExporter.h"
#include "clip/RVClipManifest.h"
#include "clip/RVReadoutPainter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkDiskCache>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// The rear view of the factory's trip: the same three 3-second recordings, numbered from 500
// so that a composed picture shows which view is where.
const ClipFactory::Clip kRear{.firstFrameNumber = 500};

RVClipRequest tripRequest(const QString& output, double from, double to, bool rear = false)
{
    RVClipRequest request;
    for (int i = 0; i < 3; ++i) {
        QStringList views{ClipFactory::tripClip(i)};
        if (rear)
            views.append(ClipFactory::tripClip(i, kRear));
        request.sources.push_back({views, 3.0 * i});
    }
    request.fromSeconds = from;
    request.toSeconds = to;
    request.outputPath = output;
    request.sound = false;
    request.series.cameraStart = QDateTime(QDate(2026, 5, 16), QTime(10, 0), QTimeZone(3 * 3600));
    return request;
}

std::vector<int> numbers(const std::vector<ShownFrame>& frames, QRect region = {})
{
    std::vector<int> out;
    for (const ShownFrame& frame : frames) {
        const QImage image = region.isNull() ? frame.image : frame.image.copy(region);
        out.push_back(ClipFactory::frameNumber(image).value_or(-1));
    }
    return out;
}

// Each number one more than the one before: nothing lost or repeated (joins included).
void expectRun(const std::vector<int>& shown, int first, int last)
{
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), first);
    EXPECT_EQ(shown.back(), last);
    for (std::size_t i = 1; i < shown.size(); ++i)
        ASSERT_EQ(shown[i], shown[i - 1] + 1) << "at picture " << i;
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

TEST(ClipExport, CopiedOrReencodedFromTheMarkAcrossJoinsKeepingEveryFrame)
{
    av_log_set_level(AV_LOG_ERROR);
    // 2.44 s is frame 61 (key frames at 50 and 75); 7.0 s is frame 175 of the third file.
    for (const bool copy : {true, false}) {
        SCOPED_TRACE(copy ? "copied" : "re-encoded");
        QTemporaryDir out;
        RVClipRequest request = tripRequest(out.filePath("clip.mp4"), 2.44, 7.0);
        if (!copy) {
            request.quality = RVClipQuality::Original;
            request.readouts = unsigned(RVReadout::Time); // drawn: no longer a copy
            // A "render device" that is a plain file: VAAPI cannot open it, whatever this
            // computer has, and the software encoder makes the clip.
            request.hardwareDevice = out.filePath("renderD128");
            ASSERT_TRUE(support::writeFile(request.hardwareDevice, QByteArray()));
        }
        const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.streamCopied, copy);
        const std::vector<ShownFrame> frames = shownFrames(request.outputPath);
        // Players begin at the mark: a copy's edit list hides the pictures from the key frame on.
        expectRun(numbers(frames), 61, 175);
        if (copy) {
            EXPECT_NEAR(frames.front().seconds, 0.0, 0.04);
            continue;
        }
        EXPECT_FALSE(result.hardwareEncoded);
        EXPECT_EQ(result.videoFrames, std::int64_t(frames.size()));
        EXPECT_TRUE(support::readFile(RVClipManifest::manifestPath(request.outputPath))
                        .contains("\nencoder: libx264 (software)\n"));
    }
}

TEST(ClipExport, PictureInPictureShowsBothViewsInStep)
{
    QTemporaryDir out;
    RVClipRequest request = tripRequest(out.filePath("pip.mp4"), 2.5, 3.5, true);
    request.layout = RVClipLayout::PictureInPicture;
    const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    const std::vector<ShownFrame> frames = shownFrames(request.outputPath);
    ASSERT_FALSE(frames.empty());
    // The inset: a third of 320 x 240 in the top right corner, 8 pixels from the edges.
    const QRect inset(320 - 106 - 8, 8, 106, 80);
    const std::vector<int> rear = numbers(frames, inset);
    expectRun(rear, 562, 587);
    // The main picture, read from the low bits left of the inset (columns 16 .. 176 of 320).
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QImage& image = frames[i].image;
        int low = 0;
        for (int bit = 0; bit < 6; ++bit)
            low |= int(qGray(image.pixel((2 * bit + 1) * 16, 60)) > 190) << bit;
        EXPECT_EQ(low, (rear[i] - 500) & 63) << "front and rear out of step at " << i;
    }
}

TEST(ClipExport, ReadoutsAreBurnedInAsPainted)
{
    QTemporaryDir out;
    RVClipRequest request = tripRequest(out.filePath("readouts.mp4"), 1.0, 3.0);
    request.readouts = RVReadout::Time | RVReadout::Speed;
    request.quality = RVClipQuality::Hd720; // letters large enough to compare
    for (int s = 0; s < 10; ++s) {
        RVClipSample sample;
        sample.tripSeconds = s;
        sample.speedKmh = 40 + 7 * s;
        request.series.samples.push_back(sample);
    }
    const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    const std::vector<ShownFrame> frames = shownFrames(request.outputPath);
    ASSERT_EQ(frames.size(), 51u);

    ASSERT_EQ(frames[0].image.size(), QSize(960, 720));
    RVReadoutPainter painter(request.series, request.readouts, 960, 720, 1.0, 3.0);
    const QSize strip = painter.size();
    // Where the strips painted for two moments disagree (both opaque, one white text and the
    // other dark outline), how far the burned-in picture is from each of them.
    const auto distances = [&](const QImage& picture, double right, double wrong) {
        const QImage a = painter.paint(right).copy();
        const QImage b = painter.paint(wrong).copy();
        const QImage burned = picture.copy(0, 720 - strip.height(), strip.width(), strip.height());
        double toA = 0, toB = 0;
        int count = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x) {
                const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
                if (qAlpha(pa) < 200 || qAlpha(pb) < 200 || std::abs(qGray(pa) - qGray(pb)) < 100)
                    continue;
                toA += std::abs(qGray(pa) - qGray(burned.pixel(x, y)));
                toB += std::abs(qGray(pb) - qGray(burned.pixel(x, y)));
                ++count;
            }
        EXPECT_GT(count, 20) << "the two moments should read differently";
        return std::pair(toA / std::max(1, count), toB / std::max(1, count));
    };
    // Picture 25 is trip second 2.0: clock 10:00:02 and 54 km/h, not 10:00:01 and 47 km/h.
    for (const auto& [picture, right, wrong] :
         {std::tuple(25, 2.0, 1.0), std::tuple(0, 1.0, 2.0), std::tuple(50, 3.0, 2.0)}) {
        const auto [toRight, toWrong] = distances(frames[picture].image, right, wrong);
        EXPECT_LT(toRight, 50.0) << picture;
        EXPECT_GT(toWrong, 3 * toRight) << picture;
    }
}

TEST(ClipExport, ManifestHashesAndTrackOfTheRangeBesideTheClip)
{
    QTemporaryDir out;
    RVClipRequest request = tripRequest(out.filePath("g.mp4"), 1.2, 4.3);
    request.gpx = true;
    // A point every half second, moving north; the one at 3.0 s has no fix.
    int inRange = 0;
    for (int i = 0; i <= 18; ++i) {
        RVClipSample sample;
        sample.tripSeconds = 0.5 * i;
        if (i != 6) {
            sample.point.setLatitude(QByteArray::number(52.5 + i * 1e-4, 'f', 6).toStdString());
            sample.point.setLongitude("13.4");
            inRange += sample.tripSeconds >= 1.2 && sample.tripSeconds <= 4.3;
        }
        sample.speedKmh = 10 * i;
        request.series.samples.push_back(sample);
    }
    ASSERT_TRUE(RVClipExporter::exportClip(request, std::atomic<bool>(false)).ok);
    const auto hashOf = [](const QByteArray& bytes) {
        return QString(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    };
    const QString text =
        QString::fromUtf8(support::readFile(RVClipManifest::manifestPath(request.outputPath)));
    EXPECT_TRUE(text.contains("clip sha256: " + hashOf(support::readFile(request.outputPath))))
        << text.toStdString();
    // The range crosses the first join: both files, nothing else.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(text.contains(hashOf(support::readFile(ClipFactory::tripClip(i)))), i < 2) << i;
    EXPECT_TRUE(text.contains("from (camera time): 2026-05-16T10:00:01.200+03:00"));
    EXPECT_TRUE(text.contains("from (UTC): 2026-05-16T07:00:01.200Z"));

    const QByteArray bytes = support::readFile(request.outputPath + ".gpx");
    QXmlStreamReader xml(bytes);
    std::vector<QDateTime> times;
    QStringList latitudes;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("trkpt"))
            latitudes.append(xml.attributes().value("lat").toString());
        else if (xml.name() == QLatin1String("time") && !latitudes.isEmpty()) // not the document's
            times.push_back(QDateTime::fromString(xml.readElementText(), Qt::ISODateWithMs));
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // Points 3 .. 8 less the one without a fix, each at its own moment in UTC.
    EXPECT_EQ(latitudes.size(), inRange);
    ASSERT_EQ(int(times.size()), inRange);
    const QDateTime from(QDate(2026, 5, 16), QTime(7, 0, 1, 200), QTimeZone::utc());
    EXPECT_EQ(times.front(), from.addMSecs(300));
    EXPECT_EQ(times.back(), from.addMSecs(2800));
    EXPECT_EQ(latitudes.front(), "52.500300");
    for (const QDateTime& time : times)
        EXPECT_TRUE(time >= from && time <= from.addMSecs(3100)) << time.toString().toStdString();
    EXPECT_TRUE(text.contains("track sha256: " + hashOf(bytes))) << text.toStdString();

    // A track that cannot be written (a folder holds its name) takes the clip with it.
    QTemporaryDir failing;
    request.outputPath = failing.filePath("f.mp4");
    ASSERT_TRUE(QDir().mkpath(request.outputPath + ".gpx"));
    const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(leftovers(failing.path()), QStringList()) << result.error.toStdString();
}

TEST(ClipExport, MapDrawsTheCachedTilesUnderTheRoute)
{
    // A short route in the middle of one tile at the closest zoom, and that tile, a flat
    // green, in a cache filed as the map page files it (by its server address).
    const int zoom = RVReadoutPainter::kMaxMapZoom;
    const qint64 column = 70406, row = 42987;
    const double world = 256.0 * double(qint64(1) << zoom);
    const auto position = [&](double x, double y) {
        RVPoint point;
        const double lat = std::atan(std::sinh(M_PI * (1 - 2 * y / world))) * 180 / M_PI;
        point.setLatitude(QByteArray::number(lat, 'f', 7).toStdString());
        point.setLongitude(QByteArray::number(x / world * 360 - 180, 'f', 7).toStdString());
        return point;
    };
    const QColor green(40, 200, 90);
    QTemporaryDir cache;
    {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(green);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        ASSERT_TRUE(tile.save(&png, "PNG"));
        QNetworkDiskCache disk;
        disk.setCacheDirectory(cache.path());
        QNetworkCacheMetaData meta;
        meta.setUrl(QUrl(QString::asprintf("https://tiles.example.invalid/%d/%lld/%lld.png", zoom,
                                           column, row)));
        meta.setSaveToDisk(true);
        meta.setAttributes({{QNetworkRequest::HttpStatusCodeAttribute, 200}});
        meta.setRawHeaders({{"Content-Type", "image/png"}});
        QIODevice* body = disk.prepare(meta);
        ASSERT_NE(body, nullptr);
        body->write(png.data());
        disk.insert(body);
    }
    for (const bool cached : {true, false}) {
        QTemporaryDir out;
        RVClipRequest request = tripRequest(out.filePath("map.mp4"), 1.0, 1.5);
        request.readouts = unsigned(RVReadout::Map);
        request.quality = RVClipQuality::Hd720;
        request.mapTiles = {cached ? cache.path() : out.filePath("no-cache"),
                            "https://tiles.example.invalid/{z}/{x}/{y}.png"};
        for (int s = 0; s < 4; ++s) {
            RVClipSample sample;
            sample.tripSeconds = s;
            sample.point = position((column + 0.45 + 0.03 * s) * 256, (row + 0.5) * 256);
            request.series.samples.push_back(sample);
        }
        const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        const std::vector<ShownFrame> frames = shownFrames(request.outputPath);
        ASSERT_FALSE(frames.empty());
        // The map square of a 960 x 720 clip: 130 pixels a side at the right of the strip
        // over the bottom fifth; its inside, clear of the frame's rounded corners.
        const QImage& picture = frames.front().image;
        ASSERT_EQ(picture.size(), QSize(960, 720));
        int near = 0, count = 0;
        for (int y = 596; y < 700; ++y)
            for (int x = 836; x < 940; ++x, ++count) {
                const QColor c = picture.pixelColor(x, y);
                near += std::abs(c.red() - green.red()) + std::abs(c.green() - green.green()) +
                            std::abs(c.blue() - green.blue()) <
                        60;
            }
        if (cached)
            EXPECT_GT(near, count * 7 / 10) << "the tile under the route";
        else
            EXPECT_LT(near, count / 20) << "no tile: the plain background";
    }
}

TEST(ClipExport, CancelAndFullDiskLeaveNoFile)
{
    // Cancelled at the first progress report, or on a disk that fills up after 16 KiB.
    for (const bool cancelled : {true, false}) {
        for (const bool copy : {true, false}) {
            SCOPED_TRACE(std::to_string(cancelled) + std::to_string(copy));
            QTemporaryDir out;
            RVClipRequest request = tripRequest(out.filePath("c.mp4"), 0.0, 8.0);
            request.gpx = true;
            if (!copy)
                request.quality = RVClipQuality::Hd720;
            std::atomic<bool> cancel(false);
            RVClipResult result;
            if (cancelled) {
                result = RVClipExporter::exportClip(request, cancel,
                                                    [&](double, double) { cancel = true; });
                EXPECT_TRUE(result.cancelled) << result.error.toStdString();
            } else {
                const support::WriteLimit limit(16 * 1024);
                result = RVClipExporter::exportClip(request, cancel);
            }
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(leftovers(out.path()), QStringList()) << result.error.toStdString();
        }
    }
}

TEST(ClipExport, SoundKeepsItsPlaceAcrossJoins)
{
    // Cameras' files carry a little more sound than pictures, so each file's sound runs past
    // the next file's start; a re-encoded clip over the joins keeps one continuous sound as
    // long as its pictures.
    QTemporaryDir dir;
    RVClipRequest request;
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("s%1.mp4").arg(i));
        ASSERT_TRUE(
            support::runFfmpeg({"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                "testsrc2=size=160x120:rate=25:duration=2", "-f", "lavfi", "-i",
                                "sine=frequency=440:sample_rate=44100:duration=2.05", "-c:v",
                                "libx264", "-preset", "ultrafast", "-c:a", "aac", path}));
        request.sources.push_back({{path}, 2.0 * i});
    }
    request.fromSeconds = 0.5;
    request.toSeconds = 5.5;
    request.readouts = unsigned(RVReadout::Time);
    request.outputPath = dir.filePath("sound.mp4");
    const RVClipResult result = RVClipExporter::exportClip(request, std::atomic<bool>(false));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries",
                            "stream=duration", "-of", "csv=p=0", request.outputPath});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_NEAR(probe.readAllStandardOutput().trimmed().toDouble(), 5.0, 0.06);
}

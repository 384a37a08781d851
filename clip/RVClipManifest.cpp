#include "clip/RVClipManifest.h"

#include "clip/RVClipEngines.h"
#include "clip/RVClipGpx.h"
#include "clip/RVClipGraph.h"
#include "core/RVAtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include "korvela_version.h"

#include <cmath>
#include <memory>

#include <openssl/evp.h>

namespace {

const char* layoutName(RVClipLayout layout)
{
    switch (layout) {
    case RVClipLayout::Front:
        return "front";
    case RVClipLayout::Rear:
        return "rear";
    case RVClipLayout::PictureInPicture:
        return "pip";
    case RVClipLayout::SideBySide:
        return "side";
    case RVClipLayout::Grid:
        return "grid";
    }
    return "front";
}

QString readoutNames(unsigned readouts)
{
    static const std::pair<RVReadout, const char*> names[] = {
        {RVReadout::Time, "time"},         {RVReadout::Speed, "speed"},
        {RVReadout::Position, "position"}, {RVReadout::Heading, "heading"},
        {RVReadout::Map, "map"},           {RVReadout::Acceleration, "acceleration"}};
    QStringList chosen;
    for (const auto& [readout, name] : names)
        if (hasReadout(readouts, readout))
            chosen.append(QString::fromLatin1(name));
    return chosen.isEmpty() ? QStringLiteral("none") : chosen.join(QStringLiteral(","));
}

QString cameraTime(const QDateTime& start, double seconds)
{
    const QDateTime at = start.addMSecs(std::llround(seconds * 1000));
    const int offset = at.offsetFromUtc();
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
               .arg(std::abs(offset) / 60 % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString RVClipManifest::manifestPath(const QString& clipPath)
{
    return clipPath + QStringLiteral(".manifest.txt");
}

QString RVClipManifest::sha256(const QString& path, QString* error)
{
    // OpenSSL's SHA-256 uses the processor's SHA instructions: hashing a long clip and its
    // sources takes a fraction of the time Qt's portable code needs.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        *error = QStringLiteral("%1: cannot start SHA-256").arg(path);
        return {};
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0) {
            *error = QStringLiteral("%1: cannot be read").arg(path);
            return {};
        }
        if (got == 0)
            break;
        if (EVP_DigestUpdate(context.get(), buffer.constData(), std::size_t(got)) != 1) {
            *error = QStringLiteral("%1: cannot hash").arg(path);
            return {};
        }
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        *error = QStringLiteral("%1: cannot hash").arg(path);
        return {};
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

QStringList RVClipManifest::filesInRange(const RVClipRequest& request)
{
    int viewCount = 1;
    for (const RVClipSource& source : request.sources)
        viewCount = std::max(viewCount, int(source.viewPaths.size()));
    const std::vector<int> views = layoutViews(request.layout, viewCount);
    QStringList files;
    for (std::size_t i = 0; i < request.sources.size(); ++i) {
        const double start = request.sources[i].tripOffsetSeconds;
        const bool last = i + 1 == request.sources.size();
        if (start > request.toSeconds)
            break;
        if (!last && request.sources[i + 1].tripOffsetSeconds <= request.fromSeconds)
            continue;
        for (int view : views) {
            const QString path = sourceViewPath(request, i, view);
            if (!path.isEmpty() && !files.contains(path))
                files.append(path);
        }
    }
    return files;
}

bool RVClipManifest::compose(const RVClipRequest& request, const RVClipResult& result,
                             QString* text, QString* error)
{
    QString out;
    const auto line = [&out](const QString& key, const QString& value) {
        out += key + QStringLiteral(": ") + value + QLatin1Char('\n');
    };
    out += QStringLiteral("Korvela Player clip manifest\n");
    line(QStringLiteral("program"), QStringLiteral("Korvela Player " KORVELA_VERSION));
    const QString clipHash = sha256(request.outputPath, error);
    if (clipHash.isEmpty())
        return false;
    line(QStringLiteral("clip"), QFileInfo(request.outputPath).fileName());
    line(QStringLiteral("clip size"), QString::number(QFileInfo(request.outputPath).size()));
    line(QStringLiteral("clip sha256"), clipHash);
    const QDateTime start = request.series.cameraStart;
    if (start.isValid()) {
        line(QStringLiteral("from (camera time)"), cameraTime(start, request.fromSeconds));
        line(QStringLiteral("to (camera time)"), cameraTime(start, request.toSeconds));
        const QDateTime utc = start.toUTC();
        line(QStringLiteral("from (UTC)"),
             utc.addMSecs(std::llround(request.fromSeconds * 1000))
                 .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
        line(QStringLiteral("to (UTC)"), utc.addMSecs(std::llround(request.toSeconds * 1000))
                                             .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
    }
    line(QStringLiteral("from (trip seconds)"), QString::number(request.fromSeconds, 'f', 3));
    line(QStringLiteral("to (trip seconds)"), QString::number(request.toSeconds, 'f', 3));
    line(QStringLiteral("layout"), QString::fromLatin1(layoutName(request.layout)));
    line(QStringLiteral("read-outs"), readoutNames(request.readouts));
    line(QStringLiteral("quality"),
         request.quality == RVClipQuality::Full1080 ? QStringLiteral("1080p")
         : request.quality == RVClipQuality::Hd720  ? QStringLiteral("720p")
                                                    : QStringLiteral("original"));
    line(QStringLiteral("video"), result.streamCopied
                                      ? QStringLiteral("copied from the camera's files")
                                      : QStringLiteral("re-encoded (H.264)"));
    if (!result.streamCopied)
        line(QStringLiteral("encoder"),
             result.encoder + (result.hardwareEncoded ? QStringLiteral(" (VAAPI hardware)")
                                                      : QStringLiteral(" (software)")));
    line(QStringLiteral("sound"), request.sound ? QStringLiteral("on") : QStringLiteral("off"));
    if (request.gpx) {
        const QString gpx = RVClipGpx::gpxPath(request.outputPath);
        const QString gpxHash = sha256(gpx, error);
        if (gpxHash.isEmpty())
            return false;
        line(QStringLiteral("track"), QFileInfo(gpx).fileName());
        line(QStringLiteral("track sha256"), gpxHash);
    }
    out += QStringLiteral("source files (name, bytes, sha256):\n");
    for (const QString& path : filesInRange(request)) {
        if (result.skipped.contains(path))
            continue;
        const QString hash = sha256(path, error);
        if (hash.isEmpty())
            return false;
        out += QStringLiteral("  %1  %2  %3\n")
                   .arg(QFileInfo(path).fileName())
                   .arg(QFileInfo(path).size())
                   .arg(hash);
    }
    for (const QString& path : result.skipped)
        out += QStringLiteral("skipped (unreadable): %1\n").arg(QFileInfo(path).fileName());
    *text = out;
    return true;
}

bool RVClipManifest::write(const RVClipRequest& request, const RVClipResult& result, QString* error)
{
    QString text;
    if (!compose(request, result, &text, error))
        return false;
    return RVAtomicFile::writeAll(manifestPath(request.outputPath), text.toUtf8(), error);
}

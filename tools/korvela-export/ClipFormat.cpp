// --format mp4: a clip of the trip the FILEs make.
//
// The FILEs (video files, or folders whose video files are taken in name order) are joined
// into recordings by the cameras' name rules (front, rear, ... views of one moment) and played
// one after the other, each from the end of the one before, as the player's time line does.
// The camera's clock at the trip's start comes from the first file's name read by the card's
// clock rule (see cameraClock), so the clip's read-outs and manifest give the camera's time
// with its zone and the instant in UTC. --from and --to are parsed by parseClipTime. The clip
// goes to --output DIR (default: the current folder) under a name no file has yet, its path
// on standard output. Exit status: 0 written, 1 not (the reason on standard error).

#include "tools/korvela-export/RVClipTime.h"
#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVRecordingReader.h"

#include "clip/RVClipExporter.h"
#include "core/RVMapTiles.h"
#include "core/RVSettings.h"
#include "library/RVAVUtil.h"
#include "library/RVRecordingViews.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVRecordingName.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimeZone>

#include <cmath>
#include <memory>

extern "C" {
#include <libavutil/log.h>
}

namespace {

void report(const RVExportContext& context, const QString& message)
{
    std::fprintf(context.err, "korvela-export: %s\n", qPrintable(message));
    std::fflush(context.err);
}

QStringList videoFiles(const RVExportContext& context, bool* failed)
{
    static const QStringList patterns{"*.mp4", "*.MP4", "*.mov", "*.MOV", "*.avi",
                                      "*.AVI", "*.ts",  "*.TS",  "*.mkv", "*.MKV"};
    QStringList files;
    for (const QString& path : context.files) {
        const QFileInfo info(path);
        if (info.isDir()) {
            for (const QString& name : QDir(path).entryList(patterns, QDir::Files, QDir::Name))
                files.append(QDir(path).filePath(name));
        } else if (info.isFile()) {
            files.append(path);
        } else {
            report(context, QStringLiteral("%1: no such file or folder").arg(path));
            *failed = true;
        }
    }
    return files;
}

std::optional<RVClipLayout> parseLayout(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String("front"))
        return RVClipLayout::Front;
    if (name == QLatin1String("rear"))
        return RVClipLayout::Rear;
    if (name == QLatin1String("pip"))
        return RVClipLayout::PictureInPicture;
    if (name == QLatin1String("side"))
        return RVClipLayout::SideBySide;
    if (name == QLatin1String("grid"))
        return RVClipLayout::Grid;
    return std::nullopt;
}

std::optional<RVClipQuality> parseQuality(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String("original"))
        return RVClipQuality::Original;
    if (name == QLatin1String("1080p"))
        return RVClipQuality::Full1080;
    if (name == QLatin1String("720p"))
        return RVClipQuality::Hd720;
    return std::nullopt;
}

std::optional<unsigned> parseOverlay(const QString& list)
{
    unsigned readouts = 0;
    for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        static const std::pair<const char*, RVReadout> names[] = {
            {"time", RVReadout::Time},         {"speed", RVReadout::Speed},
            {"position", RVReadout::Position}, {"heading", RVReadout::Heading},
            {"map", RVReadout::Map},           {"acceleration", RVReadout::Acceleration}};
        bool known = false;
        for (const auto& [text, readout] : names)
            if (name.trimmed() == QLatin1String(text))
                readouts |= unsigned(readout), known = true;
        if (!known)
            return std::nullopt;
    }
    return readouts;
}

// The camera's clock at the first recording's start, read as the rest of the program reads it:
// the start its name tells under the card's clock rule (--clock-offset and --camera-zone, or
// the rules the player keeps per card); without a time in the name, its first GPS time less
// that point's share of the file; else the file's date. Shown in the rule's zone (this
// computer's when the rule names none), so the read-outs, the clip's name and --from/--to all
// give the corrected clock, and the manifest's UTC is the instant.
QDateTime cameraClock(const QString& firstFile, const RVMetaData* data, double durationSeconds)
{
    const std::optional<RVRecordingName> name = parseRecordingName(firstFile);
    const RVClockRule rule =
        RVCameraClock::ruleFor(firstFile, name ? std::optional(name->family) : std::nullopt);
    RVTimestamp start = name ? RVCameraClock::instantOf(name->start, rule) : RVTimestamp();
    if (!start.isValid() && data && durationSeconds > 0) {
        const auto& points = data->points;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!points[i].time().isValid())
                continue;
            start = RVTimestamp::fromMSecsSinceEpoch(
                points[i].time().msecsSinceEpoch() -
                std::llround(1000.0 * durationSeconds * double(i) / double(points.size())));
            break;
        }
    }
    if (!start.isValid())
        start = RVTimestamp::fromDateTime(
            QFileInfo(firstFile).lastModified().addMSecs(-std::llround(durationSeconds * 1000)));
    const QTimeZone zone = rule.zone.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(rule.zone);
    return QDateTime::fromMSecsSinceEpoch(start.msecsSinceEpoch(), zone);
}

// The read-outs' series of one recording, its points spread evenly over its length as the
// player shows them.
void appendSeries(RVClipSeries& series, const RVMetaData& data, double offset, double duration)
{
    const std::size_t n = data.points.size();
    const std::size_t g = data.gSensorData.size();
    for (std::size_t i = 0; i < n; ++i) {
        RVClipSample sample;
        sample.tripSeconds = offset + duration * double(i) / double(n);
        sample.point = data.points[i];
        sample.speedKmh =
            i < data.velocityData.size() ? data.velocityData[i] : data.points[i].velocity();
        if (g > 0) {
            const RVSensorData& s = data.gSensorData[std::min(g - 1, i * g / n)];
            sample.accelerationG = std::sqrt(s.x() * s.x() + s.y() * s.y() + s.z() * s.z());
        }
        series.samples.push_back(sample);
    }
}

// Progress on stderr: rewritten in place on a terminal, a line per tenth otherwise.
class ClipProgress final
{
public:
    explicit ClipProgress(const RVExportContext& context) : m_context(context) {}
    void operator()(double fraction, double secondsLeft)
    {
        const int percent = int(fraction * 100);
        if (m_context.progress == RVProgressStyle::Off || percent == m_percent)
            return;
        m_percent = percent;
        const QString left = secondsLeft < 0
                                 ? QString()
                                 : QStringLiteral(", %1:%2 left")
                                       .arg(int(secondsLeft) / 60)
                                       .arg(int(secondsLeft) % 60, 2, 10, QLatin1Char('0'));
        if (m_context.progress == RVProgressStyle::InPlace) {
            std::fprintf(m_context.err, "\rkorvela-export: clip %3d%%%s   ", percent,
                         qPrintable(left));
        } else if (percent / 10 != m_tenth) {
            m_tenth = percent / 10;
            std::fprintf(m_context.err, "korvela-export: clip %d%%%s\n", percent, qPrintable(left));
        }
        std::fflush(m_context.err);
    }
    void finish()
    {
        if (m_context.progress == RVProgressStyle::InPlace && m_percent >= 0)
            std::fputc('\n', m_context.err);
    }

private:
    const RVExportContext& m_context;
    int m_percent = -1;
    int m_tenth = -1;
};

} // namespace

int runMp4Format(const RVExportContext& context)
{
    // Text is painted with Qt's fonts, which need a GUI application; no window is shown.
    std::unique_ptr<QGuiApplication> app;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "korvela-export";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            app = std::make_unique<QGuiApplication>(argc, argv);
    }

    // The encoders' statistics and notes would bury the progress and the errors.
    av_log_set_level(AV_LOG_ERROR);

    const auto layout = parseLayout(context.layout);
    const auto quality = parseQuality(context.quality);
    const auto readouts = parseOverlay(context.overlay);
    if (!layout || !quality || !readouts) {
        report(context,
               !layout ? QStringLiteral("unknown --layout \"%1\"").arg(context.layout)
               : !quality
                   ? QStringLiteral("unknown --quality \"%1\"").arg(context.quality)
                   : QStringLiteral("unknown read-out in --overlay \"%1\"").arg(context.overlay));
        return 1;
    }
    if (context.from.isEmpty() || context.to.isEmpty()) {
        report(context, QStringLiteral("--format mp4 needs --from TIME and --to TIME"));
        return 1;
    }

    bool failed = false;
    std::vector<RVFoundVideo> found;
    for (const QString& path : videoFiles(context, &failed))
        found.push_back(
            {path, RVTimestamp::fromDateTime(QFileInfo(path).lastModified()), false, {}});
    const RVVideoFileList recordings = combineViews(found);
    if (recordings.empty()) {
        report(context, QStringLiteral("no video files given"));
        return 1;
    }

    RVClipRequest request;
    request.layout = *layout;
    request.quality = *quality;
    request.readouts = *readouts;
    request.sound = context.sound;
    request.gpx = context.gpx;
    // The map read-out uses the tiles the player's map page has cached; nothing is fetched.
    request.mapTiles = {RVMapTiles::cacheDirectory(),
                        RVMapTiles::usableTemplate(RVSettings::mapTileUrl())};
    double offset = 0;
    for (const RVVideoFilePtr& recording : recordings) {
        RVClipSource source;
        source.tripOffsetSeconds = offset;
        for (const RVVideoView& view : recording->views()) {
            const int index = int(view.channel);
            while (source.viewPaths.size() <= index)
                source.viewPaths.append(QString());
            source.viewPaths[index] = view.filePath;
        }
        const QString main = recording->views().front().filePath;
        const float duration = RVAVUtil::getDurationOfFile(main);
        if (!std::isfinite(duration) || duration <= 0) {
            report(context, QStringLiteral("%1: not a readable video; left out").arg(main));
            failed = true;
            continue;
        }
        const RVRecordingMetaData data = readRecordingMetaData(main);
        if (request.sources.empty())
            request.series.cameraStart =
                cameraClock(main, data.metaData ? &*data.metaData : nullptr, duration);
        if (data.metaData)
            appendSeries(request.series, *data.metaData, offset, duration);
        request.sources.push_back(source);
        offset += duration;
    }
    if (request.sources.empty())
        return 1;

    const auto from = parseClipTime(context.from, request.series.cameraStart);
    const auto to = parseClipTime(context.to, request.series.cameraStart);
    if (!from || !to) {
        report(context, QStringLiteral("cannot read the time \"%1\" (give 2026-05-16T10:00:07 "
                                       "or +1:05.5)")
                            .arg(!from ? context.from : context.to));
        return 1;
    }
    request.fromSeconds = std::max(0.0, *from);
    request.toSeconds = std::min(offset, *to);
    if (request.toSeconds <= request.fromSeconds) {
        report(context, QStringLiteral("the range %1 .. %2 holds no part of the trip (%3 s long)")
                            .arg(context.from, context.to)
                            .arg(offset, 0, 'f', 1));
        return 1;
    }
    const QString folder = context.outputDir.isEmpty() ? QDir::currentPath() : context.outputDir;
    if (!QFileInfo(folder).isDir()) {
        report(context, QStringLiteral("%1: no such folder").arg(folder));
        return 1;
    }
    const QDateTime clipStart =
        request.series.cameraStart.addMSecs(std::llround(request.fromSeconds * 1000));
    request.outputPath = RVClipExporter::freePath(
        folder, RVClipExporter::clipFileName(recordings.front()->fileName(), clipStart));

    ClipProgress progress(context);
    const std::atomic<bool> cancel(false);
    const RVClipResult result = RVClipExporter::exportClip(
        request, cancel, [&progress](double f, double left) { progress(f, left); });
    progress.finish();
    for (const QString& skipped : result.skipped)
        report(context, QStringLiteral("%1: could not be read; left out").arg(skipped));
    if (!result.ok) {
        report(context, result.error);
        if (!QFileInfo::exists(request.outputPath))
            return 1;
    }
    std::fprintf(context.out, "%s\n", qPrintable(request.outputPath));
    std::fflush(context.out);
    return result.ok && !failed && result.skipped.isEmpty() ? 0 : 1;
}

#include "tools/korvela-export/RVExportFormats.h"

#include "core/RVNativePath.h"

namespace {

constexpr RVExportFormat kFormats[] = {
    {"json",
     "a JSON array with one object per FILE, in argument order: file, format (\"BlackVue\", "
     "\"Mini\", \"Korvela\", \"Novatek\", \"70mai\", \"NMEA log\", \"70mai log\", "
     "\"Tesla\", or null when no reader recognises it), points, gSensorData, "
     "velocityData, relatedFiles, and cameraModel when the recording names its camera, "
     "events when the camera marked moments, extraSeries when it recorded more",
     RVOutputDirUse::None, &runJsonFormat},
    {"tree",
     "the player's library tree for the FILEs (video files or folders): a JSON array of "
     "top-level nodes (name, duration, created, files, locked, children), trips grouped by "
     "the recordings' GPS times",
     RVOutputDirUse::None, &runTreeFormat},
    {"kml", "one KML file per trip or single recording, NAME.kml", RVOutputDirUse::Required,
     &runKmlFormat},
    {"gpx", "one GPX file per trip or single recording, NAME.gpx", RVOutputDirUse::Required,
     &runGpxFormat},
    {"csv",
     "two spreadsheet tables per trip or single recording, NAME.gps.csv (track) and "
     "NAME.gsensor.csv (acceleration), UTF-16",
     RVOutputDirUse::Required, &runCsvFormat},
    {"probe",
     "for a camera the player does not read: a JSON array with, per FILE, its box tree, "
     "tracks, name rule, the readers tried and why each declined, and where the camera's "
     "data lies (no positions decoded, no video frames)",
     RVOutputDirUse::None, &runProbeFormat},
    {"mp4",
     "a video clip of the trip the FILEs (recordings or a folder) make, from --from to --to, "
     "named after the trip and its start, with NAME.mp4.manifest.txt beside it; the clip's "
     "path is printed",
     RVOutputDirUse::Optional, &runMp4Format},
};

} // namespace

std::span<const RVExportFormat> exportFormats()
{
    return kFormats;
}

const RVExportFormat* findExportFormat(const QString& name)
{
    for (const RVExportFormat& format : kFormats) {
        if (name == QLatin1String(format.name.data(), qsizetype(format.name.size())))
            return &format;
    }
    return nullptr;
}

void RVProgressReporter::report(int done, int total)
{
    // Several pool threads report; only the one that advances the shown count prints.
    int before = m_shown.load();
    while (done > before && !m_shown.compare_exchange_weak(before, done)) {
    }
    if (done <= before)
        return;
    switch (m_context.progress) {
    case RVProgressStyle::Off:
        return;
    case RVProgressStyle::InPlace:
        std::fprintf(m_context.err, "\rkorvela-export: reading recordings %d/%d", done, total);
        break;
    case RVProgressStyle::Lines: {
        const int tenth = total > 0 ? done * 10 / total : 10;
        int previous = m_lastTenth.load();
        while (tenth > previous && !m_lastTenth.compare_exchange_weak(previous, tenth)) {
        }
        if (tenth <= previous)
            return;
        std::fprintf(m_context.err, "korvela-export: read %d of %d recordings\n", done, total);
        break;
    }
    }
    std::fflush(m_context.err);
}

void RVProgressReporter::finish()
{
    if (m_context.progress == RVProgressStyle::InPlace && m_shown.load() > 0)
        std::fputc('\n', m_context.err);
}

QByteArray nativeText(const QString& text)
{
    return RVNativePath::encode(text);
}

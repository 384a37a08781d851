// --format json: every recording's metadata as the dispatcher returns it, streamed.
//
//   [
//    {"file":"…","format":"Korvela"|"Mini"|"BlackVue"|"Novatek"|"70mai"|"GoPro"|...|"NMEA log"|
//              "70mai log"|"Tesla"|null,
//     "timeSource":"gps"|"name"|"file",
//     "points":[
//      {"latitude":"55.752060","longitude":"37.609463","altitude":145.3|null,"azimut":45.5,
//       "velocity":18.519999980926514,"time":"2015-02-05T13:45:01.000Z"|null},
//      …],
//     "gSensorData":[
//      {"x":0.012,"y":-0.04,"z":0.02,"common":0.0463,"time":"05-02-15 14:45:01.000"|"42"|null},
//      …],
//     "velocityData":[18.519999980926514,…],
//     "relatedFiles":["…",…],
//     "cameraModel":"DR900S-2CH",
//     "events":[{"time":…,"seconds":2.0,"kind":"hard-braking","strength":0.71,…},…],
//     "stats":{"distanceMetres":…,"drivingSeconds":…,…},
//     "extraSeries":{"steering angle":[-1.5,…],…}},
//    …
//   ]
//
// Units as read: degrees as six-decimal text, metres, degrees, km/h, g. Numbers read back to
// the same double; NaN and infinite values are null (altitude is NaN when no altitude was
// known). "timeSource" says what dates the recording: its first fix with a time ("gps"; "name"
// for cameras whose records take their times from the name), else its name, else only the
// file's date. "cameraModel" is there only when the recording names its camera, "extraSeries"
// (one value per point) only when it recorded more than the track. "events" (what the camera
// marked and what the series show) and "stats" (the trip figures) are described in
// RVFiguresJson.h. A recording no reader recognises has null for format and the four lists. A
// FILE that does not exist or cannot be opened, or whose data a reader knows but could not read
// (an I/O error, a file over its limit), is reported on stderr and left out; the exit status is
// then 1.

#include "export/RVJsonWriter.h"
#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVFiguresJson.h"
#include "tools/korvela-export/RVRecordingReader.h"

#include "core/RVNativePath.h"
#include "core/platform/RVPlatformFile.h"
#include "library/RVEventDetector.h"
#include "library/RVMp4Header.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVMetaPath.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <chrono>
#include <cstdio>

namespace {

// "YYYY-MM-DDTHH:MM:SS.mmmZ" of an instant in milliseconds since the epoch, UTC.
std::string isoTime(std::int64_t msecsSinceEpoch)
{
    using namespace std::chrono;
    const sys_time<milliseconds> instant{milliseconds{msecsSinceEpoch}};
    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss clock{instant - day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return text;
}

// Whether the video file itself can be opened; the message says why not.
bool checkReadable(const QString& path, QString& message)
{
    // By the name's bytes on disk, which need not be UTF-8. Opened without waiting, so a pipe
    // given by mistake is no hang.
    if (const int error = RVPlatformFile::checkReadable(path)) {
        message = QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    return true;
}

void writePoints(RVJsonWriter& json, const std::vector<RVPoint>& points)
{
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const RVPoint& point : points) {
        json.beginObject();
        json.key("latitude");
        json.string(point.latitudeText());
        json.key("longitude");
        json.string(point.longitudeText());
        json.key("altitude");
        json.number(point.altitude());
        json.key("azimut");
        json.number(point.azimut());
        json.key("velocity");
        json.number(point.velocity());
        json.key("time");
        if (point.time().isValid())
            json.string(isoTime(point.time().msecsSinceEpoch()));
        else
            json.null();
        json.endObject();
    }
    json.endArray();
}

void writeSamples(RVJsonWriter& json, const std::vector<RVSensorData>& samples)
{
    // Runs of samples share the label of the latest track point; render each label once.
    std::optional<RVSensorLabel> lastLabel;
    std::string lastLabelJson;
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const RVSensorData& sample : samples) {
        json.beginObject();
        json.key("x");
        json.number(sample.x());
        json.key("y");
        json.number(sample.y());
        json.key("z");
        json.number(sample.z());
        json.key("common");
        json.number(sample.common());
        json.key("time");
        if (!lastLabel || !(*lastLabel == sample.time())) {
            lastLabel = sample.time();
            const QString text = sample.time().text();
            lastLabelJson = text.isNull() ? std::string("null")
                                          : RVJsonWriter::quoted(text.toUtf8().toStdString());
        }
        json.raw(lastLabelJson);
        json.endObject();
    }
    json.endArray();
}

// The recording's events and figures, as the player's list computes them. The length comes
// from the movie header (FFmpeg stays unloaded here), else from the track's times; the start
// is the recording's, as the list dates it.
void writeFigures(RVJsonWriter& json, const QString& path, const RVMetaData& data)
{
    RVRecordingSeries recording;
    recording.points = &data.points;
    recording.samples = &data.gSensorData;
    recording.speeds = &data.velocityData;
    recording.videoPath = path;
    RVRegularFile video;
    if (RVMetaPath::openRegularFile(video, path))
        recording.durationSeconds = RVMp4Header::movieDurationSeconds(video).value_or(0.0);
    recording.start = RVCameraClock::recordingStart(&data, path).time;
    static const RVEventThresholds thresholds = RVEventThresholds::fromSettings();
    json.key("events");
    writeEvents(
        json,
        std::make_shared<const std::vector<RVEvent>>(RVEventDetector(thresholds).detect(recording)),
        {RVDescribedEvents{data.events, recording.start, 0.0}});
    json.key("stats");
    writeStats(json, std::make_shared<const RVTripStats>(
                         computeTripStats(data.points, data.velocityData)));
}

void writeRecording(RVJsonWriter& json, const QString& path, const RVRecordingMetaData& read)
{
    json.beginObject();
    json.key("file");
    json.string(path);
    json.key("format");
    json.stringOrNull(read.format);
    json.key("timeSource");
    json.string(std::string_view(timeSourceName(
        RVCameraClock::recordingStart(read.metaData ? &*read.metaData : nullptr, path).source)));
    const char* lists[] = {"points", "gSensorData", "velocityData", "relatedFiles"};
    if (!read.metaData) {
        for (const char* name : lists) {
            json.key(name);
            json.null();
        }
        json.endObject();
        return;
    }
    const RVMetaData& data = *read.metaData;
    json.key("points");
    writePoints(json, data.points);
    json.key("gSensorData");
    writeSamples(json, data.gSensorData);
    json.key("velocityData");
    json.beginArray();
    for (const double kmh : data.velocityData)
        json.number(kmh);
    json.endArray();
    json.key("relatedFiles");
    json.beginArray();
    for (const QString& file : data.relatedFiles)
        json.string(file);
    json.endArray();
    if (!data.cameraModel.isEmpty()) {
        json.key("cameraModel");
        json.string(data.cameraModel);
    }
    writeFigures(json, path, data);
    if (!data.extraSeries.empty()) {
        json.key("extraSeries");
        json.beginObject();
        for (const auto& [name, values] : data.extraSeries) {
            json.key(name.toStdString());
            json.beginArray();
            for (const double value : values)
                json.number(value);
            json.endArray();
        }
        json.endObject();
    }
    json.endObject();
}

} // namespace

int runJsonFormat(const RVExportContext& context)
{
    int status = 0;
    RVJsonWriter json(context.out);
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const QString& path : context.files) {
        QString message;
        if (!checkReadable(path, message)) {
            // What is written so far goes out first, so the two streams stay in order.
            json.flush();
            std::fprintf(context.err, "korvela-export: %s: %s\n", nativeText(path).constData(),
                         nativeText(message).constData());
            status = 1;
            continue;
        }
        const RVRecordingMetaData read = readRecordingMetaData(path);
        if (!read.readError.isEmpty()) {
            json.flush();
            std::fprintf(context.err, "korvela-export: %s: could not read its data: %s\n",
                         nativeText(path).constData(), nativeText(read.readError).constData());
            status = 1;
            continue;
        }
        writeRecording(json, path, read);
    }
    json.endArray();
    json.newline();
    if (!json.flush()) {
        std::fprintf(context.err, "korvela-export: cannot write the output\n");
        return 1;
    }
    return status;
}

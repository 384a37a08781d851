#include "tools/korvela-export/RVFiguresJson.h"

#include "export/RVJsonWriter.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

void writeTime(RVJsonWriter& json, RVTimestamp time)
{
    if (time.isValid())
        json.string(time.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
    else
        json.null();
}

void writePlace(RVJsonWriter& json, const std::optional<RVTripPlace>& place)
{
    if (!place) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("time");
    writeTime(json, place->time);
    json.key("latitude");
    json.number(place->latitude);
    json.key("longitude");
    json.number(place->longitude);
    json.endObject();
}

// One line of the list, found or described.
struct Row
{
    double seconds = kUnknown;
    RVTimestamp time;
    QString kind;
    double strength = kUnknown;
    const RVCameraEvent* described = nullptr;
    double latitude = kUnknown;
    double longitude = kUnknown;
};

bool isCameraMark(RVEventKind kind)
{
    return kind == RVEventKind::CameraEvent || kind == RVEventKind::CameraManual ||
           kind == RVEventKind::CameraParkingImpact || kind == RVEventKind::CameraOverSpeed;
}

} // namespace

void writeEvents(RVJsonWriter& json, const RVEventSeries& found,
                 const std::vector<RVDescribedEvents>& describedPerFile)
{
    std::vector<Row> rows;
    const auto describes = [&describedPerFile](int fileIndex) {
        return fileIndex >= 0 && std::size_t(fileIndex) < describedPerFile.size() &&
               !describedPerFile[std::size_t(fileIndex)].events.empty();
    };
    if (found) {
        for (const RVEvent& event : *found) {
            if (isCameraMark(event.kind) && describes(event.fileIndex))
                continue;
            rows.push_back({event.seconds, event.time, eventKindName(event.kind), event.strength,
                            nullptr, event.latitude, event.longitude});
        }
    }
    for (const RVDescribedEvents& file : describedPerFile) {
        for (const RVCameraEvent& event : file.events) {
            Row row{kUnknown, event.time,     event.kind,     kUnknown,
                    &event,   event.latitude, event.longitude};
            if (event.time.isValid() && file.fileStart.isValid())
                row.seconds = file.fileStartSeconds + double(event.time.msecsSinceEpoch() -
                                                             file.fileStart.msecsSinceEpoch()) /
                                                          1000.0;
            rows.push_back(row);
        }
    }
    if (!found && rows.empty()) {
        json.null();
        return;
    }
    // Unknown seconds last, in the order given.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (std::isnan(a.seconds) || std::isnan(b.seconds))
            return !std::isnan(a.seconds) && std::isnan(b.seconds);
        return a.seconds < b.seconds;
    });
    json.beginArray();
    for (const Row& row : rows) {
        json.beginObject();
        json.key("time");
        writeTime(json, row.time);
        json.key("seconds");
        json.number(row.seconds);
        json.key("kind");
        json.string(row.kind);
        json.key("strength");
        json.number(row.strength);
        if (row.described) {
            json.key("reason");
            json.string(row.described->reason);
            json.key("city");
            json.string(row.described->city);
        }
        json.key("latitude");
        json.number(row.latitude);
        json.key("longitude");
        json.number(row.longitude);
        json.endObject();
    }
    json.endArray();
}

void writeStats(RVJsonWriter& json, const RVTripStatsPtr& stats)
{
    if (!stats) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("distanceMetres");
    json.number(stats->distanceMetres);
    json.key("drivingSeconds");
    json.number(stats->drivingSeconds);
    json.key("stoppedSeconds");
    json.number(stats->stoppedSeconds);
    json.key("topSpeedKmh");
    json.number(stats->topSpeedKmh);
    json.key("averageMovingSpeedKmh");
    json.number(stats->averageMovingSpeedKmh);
    json.key("start");
    writePlace(json, stats->start);
    json.key("end");
    writePlace(json, stats->end);
    json.endObject();
}

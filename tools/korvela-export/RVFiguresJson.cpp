#include "tools/korvela-export/RVFiguresJson.h"

#include "tools/korvela-export/RVJsonWriter.h"

#include <QDateTime>

namespace {

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

} // namespace

void writeEvents(RVJsonWriter& json, const RVEventSeries& events)
{
    if (!events) {
        json.null();
        return;
    }
    json.beginArray();
    for (const RVEvent& event : *events) {
        json.beginObject();
        json.key("time");
        writeTime(json, event.time);
        json.key("seconds");
        json.number(event.seconds);
        json.key("kind");
        json.string(eventKindName(event.kind));
        json.key("strength");
        json.number(event.strength);
        json.key("latitude");
        json.number(event.latitude);
        json.key("longitude");
        json.number(event.longitude);
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

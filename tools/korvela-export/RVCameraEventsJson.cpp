#include "tools/korvela-export/RVCameraEventsJson.h"

#include <QDateTime>

void writeCameraEvents(RVJsonWriter& json, const std::vector<RVCameraEvent>& events)
{
    if (events.empty())
        return;
    json.key("events");
    json.beginArray();
    for (const RVCameraEvent& event : events) {
        json.beginObject();
        json.key("time");
        if (event.time.isValid())
            json.string(event.time.toDateTime()
                            .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
                            .toStdString());
        else
            json.null();
        json.key("kind");
        json.string(event.kind);
        json.key("reason");
        json.string(event.reason);
        json.key("city");
        json.string(event.city);
        json.key("latitude");
        json.number(event.latitude);
        json.key("longitude");
        json.number(event.longitude);
        json.endObject();
    }
    json.endArray();
}

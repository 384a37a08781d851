#pragma once

#include "clip/RVClipRequest.h"

#include <QString>

// The clip's range of the track as GPX ("<clip>.gpx"), for whoever receives the clip to see
// the route on a map of their own: the series' points inside the range that have a position,
// each with its own moment in UTC (the camera's clock at trip second 0 plus the point's trip
// second), its speed where known and its heading.
class RVClipGpx final
{
public:
    RVClipGpx() = delete;

    static QString gpxPath(const QString& clipPath);
    // The document's text; `pointCount` (optional) gets the number of points written.
    static QByteArray compose(const RVClipRequest& request, int* pointCount = nullptr);
    // compose() into gpxPath(request.outputPath) through the atomic writer.
    static bool write(const RVClipRequest& request, QString* error);
};

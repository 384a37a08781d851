#include "clip/RVClipGpx.h"

#include "core/RVAtomicFile.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportPosition.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVGpxWriter.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

QString RVClipGpx::gpxPath(const QString& clipPath)
{
    return clipPath + QStringLiteral(".gpx");
}

QByteArray RVClipGpx::compose(const RVClipRequest& request, int* pointCount)
{
    // Only points the writer keeps (a position that is not the zero point), so that every
    // point carries its own time and the count is what the document holds.
    std::vector<RVPoint> points;
    std::vector<double> speeds;
    std::vector<std::int64_t> times;
    const QDateTime start = request.series.cameraStart;
    const std::int64_t startMs = start.isValid() ? start.toMSecsSinceEpoch() : 0;
    for (const RVClipSample& sample : request.series.samples) {
        if (sample.tripSeconds < request.fromSeconds || sample.tripSeconds > request.toSeconds ||
            RVGpsProcessor::isZeroPoint(sample.point) ||
            !RVExportPosition::hasFiniteCoordinates(sample.point))
            continue;
        points.push_back(sample.point);
        speeds.push_back(sample.speedKmh >= 0 ? sample.speedKmh
                                              : std::numeric_limits<double>::quiet_NaN());
        times.push_back(startMs + std::llround(sample.tripSeconds * 1000));
    }
    if (pointCount)
        *pointCount = int(points.size());
    RVGpxTrack track;
    track.name = QFileInfo(request.outputPath).completeBaseName();
    if (start.isValid()) {
        track.created =
            RVTimestamp::fromMSecsSinceEpoch(startMs + std::llround(request.fromSeconds * 1000));
        track.times = times; // without the camera's clock, no point has a time
    }
    track.points = points;
    track.speeds = speeds;
    RVExportSink sink;
    RVGpxWriter::write(sink, track);
    return sink.takeText();
}

bool RVClipGpx::write(const RVClipRequest& request, QString* error)
{
    return RVAtomicFile::writeAll(gpxPath(request.outputPath), compose(request), error);
}

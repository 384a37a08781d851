#include "export/RVExportUtil.h"

#include "export/RVKmlWriter.h"
#include "library/RVVideoData.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVGpxWriter.h"

namespace {

// The GPX writer's view of a node; the series stay alive through `series`.
RVGpxTrack gpxTrack(const RVVideoData& node, const RVSeries& series)
{
    RVGpxTrack track{node.name(), node.created(), node.duration(), *series.points, {}};
    if (series.velocityData)
        track.speeds = *series.velocityData;
    return track;
}

const RVDateFormatter& exportDates()
{
    return RVGpsProcessor::sharedInstance().exportDateFormatter();
}

} // namespace

std::optional<RVWriteResult> RVExportUtil::writeKml(const RVVideoData& node, const QString& path)
{
    const RVPointSeries points = node.points();
    if (!points)
        return std::nullopt;
    return RVExportFileUtil::write(path, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
        RVKmlWriter::write(sink, node.name(), *points);
    });
}

std::optional<RVWriteResult> RVExportUtil::writeGpx(const RVVideoData& node, const QString& path)
{
    const RVSeries series = node.series();
    if (!series.points)
        return std::nullopt;
    return RVExportFileUtil::write(path, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
        RVGpxWriter::write(sink, gpxTrack(node, series));
    });
}

std::optional<RVWriteResult> RVExportUtil::writeGpsTable(const RVVideoData& node,
                                                         const QString& path)
{
    const RVPointSeries points = node.points();
    if (!points)
        return std::nullopt;
    return RVExportFileUtil::write(
        path, RVExportSink::Encoding::Utf16LittleEndian, [&](RVExportSink& sink) {
            RVExcelWriter::writeGpsTable(sink, *points, RVExcelTitles::localized(),
                                         RVExcelNumberFormat(), exportDates());
        });
}

std::optional<RVWriteResult> RVExportUtil::writeSensorTable(const RVVideoData& node,
                                                            const QString& path)
{
    const RVSensorSeries samples = node.gSensorData();
    if (!samples)
        return std::nullopt;
    return RVExportFileUtil::write(
        path, RVExportSink::Encoding::Utf16LittleEndian, [&](RVExportSink& sink) {
            RVExcelWriter::writeSensorTable(sink, *samples, RVExcelTitles::localized(),
                                            RVExcelNumberFormat());
        });
}

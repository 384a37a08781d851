// The reading of a node's series.
#include "library/RVVideoList.h"

#include "library/RVNodeFigures.h"
#include "library/RVTrackImports.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVGpsProcessor.h"

#include <QDebug>
#include <QMetaMethod>
#include <QMetaObject>

#include <algorithm>
#include <exception>

namespace {

template <typename T>
void appendSeries(std::vector<T>& joined, const std::shared_ptr<const std::vector<T>>& part)
{
    if (part)
        joined.insert(joined.end(), part->begin(), part->end());
}

// Appends a child's points and their speeds, leaving out points dated before the latest time
// already joined: overlapping recordings (seconds kept from before an event, a fix repeated by
// a restarting receiver) must not make the read-outs run backwards at the join.
void appendTrack(std::vector<RVPoint>& points, std::vector<double>& speeds, RVTimestamp& latest,
                 const RVSeries& part)
{
    if (!part.points)
        return;
    const bool paired = part.velocityData && part.velocityData->size() == part.points->size();
    for (std::size_t i = 0; i < part.points->size(); ++i) {
        const RVPoint& point = (*part.points)[i];
        if (point.time().isValid()) {
            if (latest.isValid() && point.time() < latest)
                continue;
            latest = point.time();
        }
        points.push_back(point);
        if (paired)
            speeds.push_back((*part.velocityData)[i]);
    }
    if (!paired)
        appendSeries(speeds, part.velocityData);
}

// Whether a camera's track holds a position at all (void fixes hold none).
bool hasPosition(const std::vector<RVPoint>& points)
{
    return std::any_of(points.begin(), points.end(),
                       [](const RVPoint& point) { return !RVGpsProcessor::isZeroPoint(point); });
}

// Puts the share of an imported track that covers the recording in place of the camera's
// track, where the import applies: for a recording without a position of its own, or for any
// when the user preferred the import. True when it did.
bool applyImport(const RVVideoFile& file, RVTimestamp start, std::vector<RVPoint>& points,
                 std::vector<double>& speeds)
{
    const RVTrackImports::Applicable applicable = RVTrackImports::importFor(file.filePath());
    if (!applicable.import)
        return false;
    if (applicable.import->preference == RVImportPreference::CameraFirst && hasPosition(points))
        return false;
    RVMatchedTrack matched =
        matchTrackToRecording(applicable.import->fixes, start, file.knownDuration());
    if (matched.points.empty())
        return false;
    points = std::move(matched.points);
    speeds = std::move(matched.speeds);
    return true;
}

} // namespace

RVMetaDataReading RVVideoList::readMetaData(const QString& videoPath) const
{
    // One recording that cannot be read (memory exhausted by a damaged side file, say) must
    // not end the scan of the others, nor the program: it counts as one without metadata.
    try {
        return m_metaDataSource(videoPath);
    } catch (const std::exception& error) {
        qWarning().noquote()
            << QStringLiteral("Could not read the metadata of %1: %2").arg(videoPath, error.what());
        RVMetaDataReading failed;
        failed.readError = QString::fromLocal8Bit(error.what());
        return failed;
    }
}

void RVVideoList::readGpsInfo(const RVVideoDataPtr& node, bool publish)
{
    if (!node)
        return;
    readSeries(node);
    if (!publish)
        return;
    {
        std::lock_guard lock(m_publishMutex);
        m_publishedSeries = node->series();
    }
    // Queued through the signal itself rather than a lambda: a lambda's slot object would be
    // built here and destroyed on the list's thread, a hand-over made through Qt's event queue,
    // whose lock ThreadSanitizer cannot see. The signal's queued call is made and freed inside
    // Qt alone.
    static const QMetaMethod signal = QMetaMethod::fromSignal(&RVVideoList::metaInfoUpdated);
    signal.invoke(this, Qt::QueuedConnection);
}

void RVVideoList::readGpsInfoInBackground(const RVVideoDataPtr& node, bool publish)
{
    start([this, node, publish] { readGpsInfo(node, publish); });
}

void RVVideoList::readSeries(const RVVideoDataPtr& node)
{
    // One read per node: a second reader waits here and then finds the series published.
    std::lock_guard readLock(node->readMutex());
    if (node->points())
        return;

    auto points = std::make_shared<std::vector<RVPoint>>();
    auto samples = std::make_shared<std::vector<RVSensorData>>();
    auto speeds = std::make_shared<std::vector<double>>();
    const RVVideoFileList& files = node->files();

    if (!node->children().empty()) {
        // A trip joins its children's series as they stand, end to end. A child not read yet
        // is read now (or its running read awaited), so the trip never keeps a track with
        // pieces missing.
        RVTimestamp latest;
        bool imported = false;
        for (const RVVideoDataPtr& child : node->children()) {
            readSeries(child);
            imported = imported || child->trackImported();
            const RVSeries part = child->series();
            appendTrack(*points, *speeds, latest, part);
            appendSeries(*samples, part.gSensorData);
        }
        node->setTrackImported(imported);
    } else if (!files.empty() && m_metaDataSource) {
        const QString& path = files.front()->filePath();
        RVMetaDataReading reading = readMetaData(path);
        node->setReadError(reading.readError);
        std::optional<RVMetaData>& meta = reading.metaData;
        // The first dated fix, else the camera's name for the recording; only without either
        // does the file's date stay.
        const RVCameraClock::RVRecordingStart start =
            RVCameraClock::recordingStart(meta ? &*meta : nullptr, path);
        if (meta) {
            *points = std::move(meta->points);
            *samples = std::move(meta->gSensorData);
            *speeds = std::move(meta->velocityData);
            node->setRelatedFiles(std::move(meta->relatedFiles));
            node->setCameraModel(std::move(meta->cameraModel));
            node->setEvents(std::move(meta->events));
        }
        // The recording's start as the library dates it: with the card's clock correction
        // when its name tells it.
        const RVTimestamp startsAt = start.time.isValid() ? start.time : files.front()->created();
        const bool imported = applyImport(*files.front(), startsAt, *points, *speeds);
        node->setTrackImported(imported);
        if (imported)
            node->setTrackMissing(std::nullopt);
        else if (!meta)
            node->setTrackMissing(reading.decline);
        else if (points->empty())
            node->setTrackMissing(RVDecline{RVDecline::Kind::NoFixYet, {}});
        else
            node->setTrackMissing(std::nullopt);
        if (start.time.isValid()) {
            files.front()->setCreated(start.time);
            files.front()->setTimeSource(start.source);
        }
    }
    if (!files.empty())
        node->setCreated(files.front()->created());
    RVSeries series{std::move(points), std::move(samples), std::move(speeds)};
    computeNodeFigures(*node, series, eventThresholds());
    // Published last and all at once: whoever sees the points sees the finished series.
    node->setSeries(std::move(series));
}

// The reading of a node's series.
#include "library/RVVideoList.h"

#include <QDebug>
#include <QMetaMethod>
#include <QMetaObject>

#include <exception>

namespace {

template <typename T>
void appendSeries(std::vector<T>& joined, const std::shared_ptr<const std::vector<T>>& part)
{
    if (part)
        joined.insert(joined.end(), part->begin(), part->end());
}

} // namespace

std::optional<RVMetaData> RVVideoList::readMetaData(const QString& videoPath) const
{
    // One recording that cannot be read (memory exhausted by a damaged side file, say) must
    // not end the scan of the others, nor the program: it counts as one without metadata.
    try {
        return m_metaDataSource(videoPath);
    } catch (const std::exception& error) {
        qWarning().noquote()
            << QStringLiteral("Could not read the metadata of %1: %2").arg(videoPath, error.what());
    }
    return std::nullopt;
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
        for (const RVVideoDataPtr& child : node->children()) {
            readSeries(child);
            const RVSeries part = child->series();
            appendSeries(*points, part.points);
            appendSeries(*samples, part.gSensorData);
            appendSeries(*speeds, part.velocityData);
        }
    } else if (!files.empty() && m_metaDataSource) {
        if (std::optional<RVMetaData> meta = readMetaData(files.front()->filePath())) {
            *points = std::move(meta->points);
            *samples = std::move(meta->gSensorData);
            *speeds = std::move(meta->velocityData);
            node->setRelatedFiles(std::move(meta->relatedFiles));
            node->setCameraModel(std::move(meta->cameraModel));
            // A camera without a fix writes points without time: the recording starts at the
            // first point that has one, and keeps its file date when none has.
            for (const RVPoint& point : *points) {
                if (point.time().isValid()) {
                    files.front()->setCreated(point.time());
                    break;
                }
            }
        }
    }
    if (!files.empty())
        node->setCreated(files.front()->created());
    // Published last and all at once: whoever sees the points sees the finished series.
    node->setSeries({std::move(points), std::move(samples), std::move(speeds)});
}

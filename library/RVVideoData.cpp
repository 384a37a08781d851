#include "library/RVVideoData.h"

RVVideoData::RVVideoData(QString name, float durationSeconds, RVTimestamp created,
                         RVVideoFileList files)
    : m_name(std::move(name)), m_duration(durationSeconds), m_files(std::move(files)),
      m_created(created)
{}

RVVideoDataPtr RVVideoData::create(QString name, float durationSeconds, RVTimestamp created,
                                   RVVideoFileList files, RVVideoDataList children,
                                   const RVVideoDataPtr& parent)
{
    const bool trip = files.size() >= 2;
    RVVideoDataPtr node(
        new RVVideoData(std::move(name), durationSeconds, created, std::move(files)));
    node->m_parent = parent;
    if (trip) {
        node->m_children = std::move(children);
        for (const RVVideoDataPtr& child : node->m_children) {
            if (child)
                child->setParent(node);
        }
    }
    return node;
}

RVVideoDataPtr RVVideoData::parent() const
{
    std::lock_guard lock(m_mutex);
    return m_parent.lock();
}

void RVVideoData::setParent(const RVVideoDataPtr& parent)
{
    std::lock_guard lock(m_mutex);
    m_parent = parent;
}

RVTimestamp RVVideoData::created() const
{
    std::lock_guard lock(m_mutex);
    return m_created;
}

void RVVideoData::setCreated(RVTimestamp created)
{
    std::lock_guard lock(m_mutex);
    m_created = created;
}

std::optional<QStringList> RVVideoData::relatedFiles() const
{
    std::lock_guard lock(m_mutex);
    return m_relatedFiles;
}

void RVVideoData::setRelatedFiles(std::optional<QStringList> paths)
{
    std::lock_guard lock(m_mutex);
    m_relatedFiles = std::move(paths);
}

QString RVVideoData::readError() const
{
    std::lock_guard lock(m_mutex);
    return m_readError;
}

void RVVideoData::setReadError(QString why)
{
    std::lock_guard lock(m_mutex);
    m_readError = std::move(why);
}

std::optional<RVDecline> RVVideoData::trackMissing() const
{
    std::lock_guard lock(m_mutex);
    return m_trackMissing;
}

void RVVideoData::setTrackMissing(std::optional<RVDecline> why)
{
    std::lock_guard lock(m_mutex);
    m_trackMissing = std::move(why);
}

QString RVVideoData::cameraModel() const
{
    std::lock_guard lock(m_mutex);
    return m_cameraModel;
}

void RVVideoData::setCameraModel(QString model)
{
    std::lock_guard lock(m_mutex);
    m_cameraModel = std::move(model);
}

bool RVVideoData::trackImported() const
{
    std::lock_guard lock(m_mutex);
    return m_trackImported;
}

void RVVideoData::setTrackImported(bool imported)
{
    std::lock_guard lock(m_mutex);
    m_trackImported = imported;
}

std::vector<RVCameraEvent> RVVideoData::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

void RVVideoData::setEvents(std::vector<RVCameraEvent> events)
{
    std::lock_guard lock(m_mutex);
    m_events = std::move(events);
}

RVPointSeries RVVideoData::points() const
{
    std::lock_guard lock(m_mutex);
    return m_series.points;
}

RVSensorSeries RVVideoData::gSensorData() const
{
    std::lock_guard lock(m_mutex);
    return m_series.gSensorData;
}

RVVelocitySeries RVVideoData::velocityData() const
{
    std::lock_guard lock(m_mutex);
    return m_series.velocityData;
}

void RVVideoData::setPoints(RVPointSeries points)
{
    std::lock_guard lock(m_mutex);
    m_series.points = std::move(points);
}

void RVVideoData::setGSensorData(RVSensorSeries samples)
{
    std::lock_guard lock(m_mutex);
    m_series.gSensorData = std::move(samples);
}

void RVVideoData::setVelocityData(RVVelocitySeries speeds)
{
    std::lock_guard lock(m_mutex);
    m_series.velocityData = std::move(speeds);
}

RVSeries RVVideoData::series() const
{
    std::lock_guard lock(m_mutex);
    return m_series;
}

void RVVideoData::setSeries(RVSeries series)
{
    std::lock_guard lock(m_mutex);
    m_series = std::move(series);
}

RVEventSeries RVVideoData::eventSeries() const
{
    std::lock_guard lock(m_mutex);
    return m_eventSeries;
}

RVTripStatsPtr RVVideoData::stats() const
{
    std::lock_guard lock(m_mutex);
    return m_stats;
}

void RVVideoData::setFigures(RVEventSeries events, RVTripStatsPtr stats)
{
    std::lock_guard lock(m_mutex);
    m_eventSeries = std::move(events);
    m_stats = std::move(stats);
}

RVLockState RVVideoData::lockState() const
{
    bool any = false;
    bool all = true;
    for (const RVVideoFilePtr& file : m_files) {
        const bool locked = file && file->locked();
        any = any || locked;
        all = all && locked;
    }
    if (all)
        return RVLockState::Locked;
    return any ? RVLockState::PartlyLocked : RVLockState::Unlocked;
}

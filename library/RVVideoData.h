#pragma once

#include "library/RVEvent.h"
#include "library/RVTripStats.h"
#include "library/RVVideoFile.h"
#include "metadata/RVMetaData.h"
#include "metadata/RVMetaDataReader.h"
#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class RVVideoData;
using RVVideoDataPtr = std::shared_ptr<RVVideoData>;
using RVVideoDataList = std::vector<RVVideoDataPtr>;

// A node's series as published: null means "not read yet", an empty vector "read, nothing
// there". A published vector is never changed again; replacing a series swaps the pointer.
using RVPointSeries = std::shared_ptr<const std::vector<RVPoint>>;
using RVSensorSeries = std::shared_ptr<const std::vector<RVSensorData>>;
using RVVelocitySeries = std::shared_ptr<const std::vector<double>>; // km/h, one per point

// The three series of a node taken together, as one read published them.
struct RVSeries final
{
    RVPointSeries points;
    RVSensorSeries gSensorData;
    RVVelocitySeries velocityData;
};

// How a node's files are locked: every file, none, or some of them (only a trip can be partly
// locked). A node without files counts as locked.
enum class RVLockState
{
    Unlocked,
    Locked,
    PartlyLocked
};

// A node of the two-level library tree: a single recording (one file, no children) or a trip
// of two or more consecutive recordings (one child per file, oldest first; file i of the trip
// is the only file of child i).
//
// Ownership: the video list owns the top-level nodes, a trip owns its children, and a child's
// parent is a non-owning back-reference. Nodes are made through create(), which links the
// children to their new trip.
//
// Threads: name, duration, files and children never change after creation. Every other field
// is read and written as a whole under the node's own small lock, so a pool thread may publish
// a node's series while the GUI thread reads them. No lock spans several fields except
// setSeries(), which publishes the three series of one read together.
class RVVideoData final
{
public:
    // With fewer than two files the node is a single recording and `children` is ignored (the
    // given nodes' parent links stay untouched); otherwise every child's parent becomes the new
    // node. durationSeconds of a trip is the sum of its children's known lengths (unknown: 0),
    // added in 32-bit floats.
    static RVVideoDataPtr create(QString name, float durationSeconds, RVTimestamp created,
                                 RVVideoFileList files, RVVideoDataList children,
                                 const RVVideoDataPtr& parent = nullptr);

    RVVideoData(const RVVideoData&) = delete;
    RVVideoData& operator=(const RVVideoData&) = delete;

    RVVideoDataPtr parent() const;
    void setParent(const RVVideoDataPtr& parent);

    const QString& name() const { return m_name; }
    float duration() const { return m_duration; }
    const RVVideoFileList& files() const { return m_files; }
    const RVVideoDataList& children() const { return m_children; }
    bool isTrip() const { return m_files.size() >= 2; }

    RVTimestamp created() const;
    void setCreated(RVTimestamp created);

    // Companion files the metadata reader reported for a single recording; none until read.
    std::optional<QStringList> relatedFiles() const;
    void setRelatedFiles(std::optional<QStringList> paths);
    // Why a single recording's metadata could not be read (an I/O error, a file over its
    // limit); empty when it was read or holds none. A failed read is not "no track".
    QString readError() const;
    void setReadError(QString why);
    // Why a single recording that was read has no track: the most telling reader's decline,
    // or NoFixYet when a reader read it and found no position. Nothing until it was read, and
    // for recordings with a track.
    std::optional<RVDecline> trackMissing() const;
    void setTrackMissing(std::optional<RVDecline> why);
    // The camera that made a single recording, as its metadata names it; empty when unknown
    // or not read yet.
    QString cameraModel() const;
    void setCameraModel(QString model);
    // The moments the camera marked within a single recording (Tesla's saved and sentry
    // events); none until read.
    std::vector<RVCameraEvent> events() const;
    void setEvents(std::vector<RVCameraEvent> events);

    RVPointSeries points() const;
    RVSensorSeries gSensorData() const;
    RVVelocitySeries velocityData() const;
    void setPoints(RVPointSeries points);
    void setGSensorData(RVSensorSeries samples);
    void setVelocityData(RVVelocitySeries speeds);
    // All three together, in one step; a reader of series() sees all old or all new.
    RVSeries series() const;
    void setSeries(RVSeries series);

    // What the series show, computed from them once they are read (RVVideoList publishes
    // them right after the series): null means not computed yet.
    RVEventSeries eventSeries() const;
    RVTripStatsPtr stats() const;
    void setFigures(RVEventSeries events, RVTripStatsPtr stats);

    // Whether the node shows a track imported from another device (RVTrackImports) rather
    // than its camera's: for a trip, whether any of its recordings does. Set with the series.
    bool trackImported() const;
    void setTrackImported(bool imported);

    // Derived from the files' locked flags each time it is asked.
    RVLockState lockState() const;

    // Serialises metadata reads of this node, so that a second read waits for the first and
    // then finds the series published. Held only by the video list's reading operation.
    std::mutex& readMutex() const { return m_readMutex; }

private:
    RVVideoData(QString name, float durationSeconds, RVTimestamp created, RVVideoFileList files);

    const QString m_name;
    const float m_duration;
    const RVVideoFileList m_files;
    RVVideoDataList m_children; // set once in create(), before the node is shared

    mutable std::mutex m_mutex; // guards the fields below
    std::weak_ptr<RVVideoData> m_parent;
    RVTimestamp m_created;
    std::optional<QStringList> m_relatedFiles;
    QString m_cameraModel;
    QString m_readError;
    std::optional<RVDecline> m_trackMissing;
    std::vector<RVCameraEvent> m_events;
    RVSeries m_series;
    RVEventSeries m_eventSeries;
    RVTripStatsPtr m_stats;
    bool m_trackImported = false;

    mutable std::mutex m_readMutex;
};

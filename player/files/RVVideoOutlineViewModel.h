#pragma once

#include "library/RVVideoData.h"
#include "player/files/RVRecordingModeLook.h"
#include "timeline/RVUnits.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>

// The file list's two-level outline over the library: top-level rows are the video list's
// nodes (trips and single recordings), a trip's rows below it are its recordings.
//
// Each row tells why the camera recorded (a picture beside the name; event rows in bold) and
// marks a recording seen by more cameras than the one played ("+R" for a rear view). The list
// can be narrowed to one mode: a trip stays whole and is shown when any of its recordings is
// of that mode.
//
// The model holds a snapshot of the top-level nodes, taken by reload(); the library rebuilds
// its tree on a pool thread and publishes a new list, so the view keeps drawing the nodes it
// was given until the controller reloads it on the GUI thread.
class RVVideoOutlineViewModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Column identifiers, in the order shown.
    enum Column
    {
        ColumnName,
        ColumnLocked,
        ColumnDuration,
        ColumnDate,
        ColumnDistance, // the trip figures' distance; the tooltip has the rest
        ColumnCount
    };

    explicit RVVideoOutlineViewModel(QObject* parent = nullptr);

    // Replaces the rows with those of these top-level nodes the mode filter lets pass.
    void reload(RVVideoDataList topLevel);
    // The nodes shown, in row order.
    const RVVideoDataList& topLevel() const { return m_topLevel; }
    RVModeFilter modeFilter() const { return m_modeFilter; }
    // Shows the nodes of the last reload that pass this filter.
    void setModeFilter(RVModeFilter filter);
    static bool passesFilter(const RVVideoData& node, RVModeFilter filter);
    // The units of the distance column and its tooltip (the stored ones at first).
    void setMeasurementSystem(RVMeasurementSystem system);

    // The node of a row; null for an invalid index.
    RVVideoDataPtr nodeAt(const QModelIndex& index) const;
    // The row of a node that is in the snapshot (at the top level or inside a trip).
    QModelIndex indexOf(const RVVideoData* node, int column = 0) const;

    // Cell texts and images, also used by tests.
    // Name of the lock image of a node: "Video", "VideoLocked", "Groupped", "GrouppedLocked",
    // "GrouppedNotAllLocked" (a node without files shows "GrouppedLocked").
    static QString lockImageName(const RVVideoData& node);
    static QIcon lockImage(const QString& name);
    // Whole seconds (truncated) as minutes:seconds, minutes not capped at 59: 3725.9 -> "62:05".
    static QString durationText(float seconds);
    // Local time as "yyyy-MM-dd HH:mm:ss"; empty when the date is not known.
    static QString dateText(RVTimestamp created);
    // "  -  name" for a recording shown inside a trip, the plain name otherwise.
    static QString nameText(const RVVideoData& node, bool insideTrip);
    // The mode a row shows: a recording's own; for a trip Event when any recording is one,
    // else the mode its recordings share, else Unknown.
    static RVRecordingMode shownMode(const RVVideoData& node);
    // The views besides the first of the node's recordings, in camera order: "+R", "+R+I";
    // empty for recordings of one view.
    static QString viewsMark(const RVVideoData& node);
    // The row's tooltip, one entry per line. A recording: its file (or every view as
    // "Rear: path"), its mode when known, the camera model when known and, once read without
    // a track, why. A trip: its first file, the number of event recordings or the mode they
    // share, and the camera model.
    static QStringList toolTipLines(const RVVideoData& node);
    // The summary of the day the node was recorded on (local time), over every top-level
    // node of that day: its trips, distance and driving time. None for an undated node.
    QStringList dayLines(const RVVideoData& node) const;
    // "No track: ..." with the reason a reader gave.
    static QString trackMissingText(const RVDecline& why);
    // Whether the node was read and only its files' modification times date it (no fix,
    // no date in the name): its date is shown with a mark and a tooltip.
    static bool datedByFileOnly(const RVVideoData& node);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Sorting belongs to the video list: the model only reports the column's key ("name",
    // "duration", "created"); the lock column has none and does not sort.
    void sort(int column, Qt::SortOrder order) override;
    static QString sortKeyOfColumn(int column);

Q_SIGNALS:
    void sortRequested(const QString& key, bool ascending);

private:
    // Rows are found through the snapshot, never through a node's parent link: the library's
    // regrouping re-links nodes to new trips that this snapshot does not hold. An index's
    // internal id is 0 for a top-level row and 1 + the trip's row for a row inside a trip.
    RVVideoData* nodeOf(const QModelIndex& index) const;

    RVVideoDataList m_all;      // as the last reload gave them
    RVVideoDataList m_topLevel; // those shown
    RVModeFilter m_modeFilter = RVModeFilter::All;
    RVMeasurementSystem m_system = RVUnits::storedSystem();
};

#pragma once

#include "library/RVVideoData.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>

// The file list's two-level outline over the library: top-level rows are the video list's
// nodes (trips and single recordings), a trip's rows below it are its recordings.
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
        ColumnCount
    };

    explicit RVVideoOutlineViewModel(QObject* parent = nullptr);

    // Replaces the rows with these top-level nodes.
    void reload(RVVideoDataList topLevel);
    const RVVideoDataList& topLevel() const { return m_topLevel; }

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

    RVVideoDataList m_topLevel;
};

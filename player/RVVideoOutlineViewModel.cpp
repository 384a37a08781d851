#include "player/RVVideoOutlineViewModel.h"

#include "metadata/RVStringUtil.h"

#include <QDateTime>
#include <QHash>

#include <cmath>

RVVideoOutlineViewModel::RVVideoOutlineViewModel(QObject* parent) : QAbstractItemModel(parent) {}

void RVVideoOutlineViewModel::reload(RVVideoDataList topLevel)
{
    beginResetModel();
    m_topLevel = std::move(topLevel);
    endResetModel();
}

RVVideoData* RVVideoOutlineViewModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const quintptr id = index.internalId();
    if (id == 0) {
        if (index.row() < 0 || index.row() >= int(m_topLevel.size()))
            return nullptr;
        return m_topLevel[index.row()].get();
    }
    const std::size_t tripRow = id - 1;
    if (tripRow >= m_topLevel.size())
        return nullptr;
    const RVVideoDataList& children = m_topLevel[tripRow]->children();
    if (index.row() < 0 || index.row() >= int(children.size()))
        return nullptr;
    return children[index.row()].get();
}

RVVideoDataPtr RVVideoOutlineViewModel::nodeAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const quintptr id = index.internalId();
    if (id == 0)
        return index.row() < int(m_topLevel.size()) ? m_topLevel[index.row()] : nullptr;
    const std::size_t tripRow = id - 1;
    if (tripRow >= m_topLevel.size())
        return nullptr;
    const RVVideoDataList& children = m_topLevel[tripRow]->children();
    return index.row() < int(children.size()) ? children[index.row()] : nullptr;
}

QModelIndex RVVideoOutlineViewModel::indexOf(const RVVideoData* node, int column) const
{
    if (!node)
        return {};
    for (std::size_t row = 0; row < m_topLevel.size(); ++row) {
        if (m_topLevel[row].get() == node)
            return createIndex(int(row), column, quintptr(0));
        const RVVideoDataList& children = m_topLevel[row]->children();
        for (std::size_t child = 0; child < children.size(); ++child) {
            if (children[child].get() == node)
                return createIndex(int(child), column, quintptr(row + 1));
        }
    }
    return {};
}

QModelIndex RVVideoOutlineViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < int(m_topLevel.size()) ? createIndex(row, column, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0) // recordings of a trip have no rows below them
        return {};
    const RVVideoData* trip = nodeOf(parent);
    if (!trip || row >= int(trip->children().size()))
        return {};
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex RVVideoOutlineViewModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int RVVideoOutlineViewModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_topLevel.size());
    if (parent.column() != 0 || parent.internalId() != 0)
        return 0;
    const RVVideoData* node = nodeOf(parent);
    return node ? int(node->children().size()) : 0;
}

int RVVideoOutlineViewModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

bool RVVideoOutlineViewModel::hasChildren(const QModelIndex& parent) const
{
    // A trip row is expandable only with more than one recording; the invisible root has
    // children as soon as there is one row, or a list of one trip would show nothing.
    if (!parent.isValid())
        return !m_topLevel.empty();
    return rowCount(parent) > 1;
}

QString RVVideoOutlineViewModel::lockImageName(const RVVideoData& node)
{
    const RVVideoFileList& files = node.files();
    if (files.size() == 1)
        return files.front() && files.front()->locked() ? QStringLiteral("VideoLocked")
                                                        : QStringLiteral("Video");
    switch (node.lockState()) {
    case RVLockState::Locked:
        return QStringLiteral("GrouppedLocked");
    case RVLockState::PartlyLocked:
        return QStringLiteral("GrouppedNotAllLocked");
    case RVLockState::Unlocked:
        break;
    }
    return files.empty() ? QStringLiteral("GrouppedLocked") : QStringLiteral("Groupped");
}

QIcon RVVideoOutlineViewModel::lockImage(const QString& name)
{
    // Five small pictures drawn once; the list asks for one per visible row and repaint.
    static QHash<QString, QIcon> cache;
    auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    QIcon icon(QStringLiteral(":/player/%1.svg").arg(name));
    cache.insert(name, icon);
    return icon;
}

QString RVVideoOutlineViewModel::durationText(float seconds)
{
    // A recording whose length could not be measured has no duration to show.
    if (!std::isfinite(seconds))
        return QStringLiteral("--:--");
    return RVStringUtil::time(seconds, "%02d:%02d");
}

QString RVVideoOutlineViewModel::dateText(RVTimestamp created)
{
    if (!created.isValid())
        return {};
    return QDateTime::fromMSecsSinceEpoch(created.msecsSinceEpoch())
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString RVVideoOutlineViewModel::nameText(const RVVideoData& node, bool insideTrip)
{
    return insideTrip ? QStringLiteral("  -  ") + node.name() : node.name();
}

QVariant RVVideoOutlineViewModel::data(const QModelIndex& index, int role) const
{
    const RVVideoData* node = nodeOf(index);
    if (!node)
        return {};
    const bool insideTrip = index.internalId() != 0;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColumnName:
            return nameText(*node, insideTrip);
        case ColumnDuration:
            return durationText(node->duration());
        case ColumnDate:
            return dateText(node->created());
        default:
            return QString();
        }
    case Qt::DecorationRole:
        if (index.column() == ColumnLocked)
            return lockImage(lockImageName(*node));
        return {};
    case Qt::ToolTipRole:
        if (index.column() == ColumnName && !node->files().empty())
            return node->files().front()->filePath();
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == ColumnDuration)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant RVVideoOutlineViewModel::headerData(int section, Qt::Orientation orientation,
                                             int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColumnName:
        //% "Name"
        return qtTrId("COLUMN_FILENAME_TITLE");
    case ColumnDuration:
        //% "Duration"
        return qtTrId("COLUMN_DURATION_TITLE");
    case ColumnDate:
        //% "Created"
        return qtTrId("COLUMN_CREATED_TITLE");
    default:
        return QString();
    }
}

Qt::ItemFlags RVVideoOutlineViewModel::flags(const QModelIndex& index) const
{
    if (!nodeOf(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString RVVideoOutlineViewModel::sortKeyOfColumn(int column)
{
    switch (column) {
    case ColumnName:
        return QStringLiteral("name");
    case ColumnDuration:
        return QStringLiteral("duration");
    case ColumnDate:
        return QStringLiteral("created");
    default:
        return {};
    }
}

void RVVideoOutlineViewModel::sort(int column, Qt::SortOrder order)
{
    const QString key = sortKeyOfColumn(column);
    if (!key.isEmpty())
        Q_EMIT sortRequested(key, order == Qt::AscendingOrder);
}

#include "player/files/RVVideoOutlineViewModel.h"

#include "player/files/RVTripFiguresText.h"

#include "core/RVStringUtil.h"

#include <QDateTime>
#include <QFont>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
// A localised "Label: %1" with its value; without a translation the key shows, then the value.
QString withValue(const QString& format, const QString& value)
{
    return format.contains(QLatin1String("%1")) ? format.arg(value)
                                                : format + QLatin1Char(' ') + value;
}
} // namespace

RVVideoOutlineViewModel::RVVideoOutlineViewModel(QObject* parent) : QAbstractItemModel(parent) {}

void RVVideoOutlineViewModel::reload(RVVideoDataList topLevel)
{
    beginResetModel();
    m_all = std::move(topLevel);
    m_topLevel.clear();
    for (const RVVideoDataPtr& node : m_all) {
        if (node && passesFilter(*node, m_modeFilter))
            m_topLevel.push_back(node);
    }
    endResetModel();
}

void RVVideoOutlineViewModel::setModeFilter(RVModeFilter filter)
{
    m_modeFilter = filter;
    reload(std::move(m_all));
}

void RVVideoOutlineViewModel::setMeasurementSystem(RVMeasurementSystem system)
{
    if (system == m_system)
        return;
    m_system = system;
    if (!m_topLevel.empty())
        Q_EMIT dataChanged(index(0, ColumnDistance),
                           index(int(m_topLevel.size()) - 1, ColumnDistance));
    // Rows inside trips are asked again when drawn; the view repaints on any data change.
}

bool RVVideoOutlineViewModel::passesFilter(const RVVideoData& node, RVModeFilter filter)
{
    if (filter == RVModeFilter::All)
        return true;
    for (const RVVideoFilePtr& file : node.files()) {
        if (file && RVRecordingModeLook::passes(file->mode(), filter))
            return true;
    }
    return false;
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

RVRecordingMode RVVideoOutlineViewModel::shownMode(const RVVideoData& node)
{
    std::optional<RVRecordingMode> shared;
    bool mixed = false;
    for (const RVVideoFilePtr& file : node.files()) {
        if (!file)
            continue;
        if (file->mode() == RVRecordingMode::Event)
            return RVRecordingMode::Event;
        mixed = mixed || (shared && *shared != file->mode());
        shared = file->mode();
    }
    return shared && !mixed ? *shared : RVRecordingMode::Unknown;
}

QString RVVideoOutlineViewModel::viewsMark(const RVVideoData& node)
{
    bool extra[kChannelCount] = {};
    for (const RVVideoFilePtr& file : node.files()) {
        if (!file)
            continue;
        const std::vector<RVVideoView>& views = file->views();
        for (std::size_t i = 1; i < views.size(); ++i)
            extra[static_cast<int>(views[i].channel)] = true;
    }
    QString mark;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        if (extra[channel])
            mark += QLatin1Char('+') +
                    RVRecordingModeLook::channelLetter(static_cast<RVChannel>(channel));
    }
    return mark;
}

QStringList RVVideoOutlineViewModel::toolTipLines(const RVVideoData& node)
{
    QStringList lines;
    const RVVideoFileList& files = node.files();
    if (files.empty() || !files.front())
        return lines;
    const RVVideoFilePtr& first = files.front();
    QString model = node.cameraModel();
    if (node.children().empty() && first->views().size() > 1) {
        for (const RVVideoView& view : first->views())
            lines << RVRecordingModeLook::channelTitle(view.channel) + QStringLiteral(": ") +
                         view.filePath;
    } else {
        lines << first->filePath();
    }
    if (!node.children().empty()) {
        const auto events =
            std::count_if(files.begin(), files.end(), [](const RVVideoFilePtr& file) {
                return file && file->mode() == RVRecordingMode::Event;
            });
        if (events > 0) {
            //% "Event recordings: %1"
            lines << withValue(qtTrId("TOOLTIP_EVENT_RECORDINGS"), QString::number(events));
        } else if (shownMode(node) != RVRecordingMode::Unknown) {
            //% "Mode: %1"
            lines << withValue(qtTrId("TOOLTIP_MODE"),
                               RVRecordingModeLook::modeName(shownMode(node)));
        }
        for (const RVVideoDataPtr& child : node.children()) {
            if (model.isEmpty() && child)
                model = child->cameraModel();
        }
    } else if (first->mode() != RVRecordingMode::Unknown) {
        QString mode = RVRecordingModeLook::modeName(first->mode());
        if (!first->modeCode().isEmpty())
            mode += QStringLiteral(" (%1)").arg(first->modeCode());
        lines << withValue(qtTrId("TOOLTIP_MODE"), mode);
    }
    if (!model.isEmpty()) {
        //% "Camera: %1"
        lines << withValue(qtTrId("TOOLTIP_CAMERA_MODEL"), model);
    }
    if (node.children().empty()) {
        if (const std::optional<RVDecline> why = node.trackMissing())
            lines << trackMissingText(*why);
    }
    if (node.trackImported()) {
        //% "Track imported from another device"
        lines << qtTrId("TOOLTIP_TRACK_IMPORTED");
    }
    return lines;
}

QStringList RVVideoOutlineViewModel::dayLines(const RVVideoData& node) const
{
    const RVTimestamp created = node.created();
    if (!created.isValid())
        return {};
    const auto dayOf = [](RVTimestamp time) {
        return QDateTime::fromMSecsSinceEpoch(time.msecsSinceEpoch()).toLocalTime().date();
    };
    const QDate day = dayOf(created);
    int trips = 0;
    double metres = 0, driving = 0;
    for (const RVVideoDataPtr& other : m_all) {
        if (!other || !other->created().isValid() || dayOf(other->created()) != day)
            continue;
        ++trips;
        if (const RVTripStatsPtr stats = other->stats()) {
            metres += stats->distanceMetres;
            driving += stats->drivingSeconds;
        }
    }
    return RVTripFiguresText::dayLines(trips, metres, driving, m_system);
}

QString RVVideoOutlineViewModel::trackMissingText(const RVDecline& why)
{
    QString reason;
    switch (why.kind) {
    case RVDecline::Kind::NotMine:
        //% "not read: no known camera format"
        reason = qtTrId("TOOLTIP_NO_TRACK_NOT_READ");
        break;
    case RVDecline::Kind::NoFixYet:
        //% "the camera had no GPS fix yet"
        reason = qtTrId("TOOLTIP_NO_TRACK_NO_FIX");
        break;
    case RVDecline::Kind::Encrypted:
        //% "the camera's GPS data is encrypted"
        reason = qtTrId("TOOLTIP_NO_TRACK_ENCRYPTED");
        break;
    case RVDecline::Kind::UnknownLayout:
        //% "the camera's GPS data is in a layout not known yet"
        reason = qtTrId("TOOLTIP_NO_TRACK_UNKNOWN_LAYOUT");
        break;
    case RVDecline::Kind::Unreadable:
        //% "the file could not be read"
        reason = qtTrId("TOOLTIP_NO_TRACK_UNREADABLE");
        break;
    }
    if (!why.detail.isEmpty() && why.kind != RVDecline::Kind::NotMine)
        reason += QStringLiteral(" (%1)").arg(why.detail);
    //% "No track: %1"
    return withValue(qtTrId("TOOLTIP_NO_TRACK"), reason);
}

bool RVVideoOutlineViewModel::datedByFileOnly(const RVVideoData& node)
{
    if (!node.points() || node.files().empty())
        return false;
    return std::all_of(node.files().begin(), node.files().end(), [](const RVVideoFilePtr& file) {
        return file && file->timeSource() == RVTimeSource::File;
    });
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
        case ColumnName: {
            const QString mark = viewsMark(*node);
            const QString name = nameText(*node, insideTrip);
            return mark.isEmpty() ? name : name + QLatin1Char(' ') + mark;
        }
        case ColumnDuration:
            return durationText(node->duration());
        case ColumnDate: {
            const QString date = dateText(node->created());
            // A date only the file system gives may be far off (a copy, a camera without a
            // clock): marked, and the tooltip says why.
            return !date.isEmpty() && datedByFileOnly(*node) ? QStringLiteral("\u2248 ") + date
                                                             : date;
        }
        case ColumnDistance: {
            const RVTripStatsPtr stats = node->stats();
            return stats ? RVTripFiguresText::distance(*stats, m_system) : QString();
        }
        default:
            return QString();
        }
    case Qt::DecorationRole:
        if (index.column() == ColumnLocked)
            return lockImage(lockImageName(*node));
        if (index.column() == ColumnName) {
            const QIcon icon = RVRecordingModeLook::modeIcon(shownMode(*node));
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        return {};
    case Qt::FontRole:
        if (index.column() == ColumnName && shownMode(*node) == RVRecordingMode::Event) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: {
        if (index.column() == ColumnDate && datedByFileOnly(*node)) {
            //% "Dated by the file's modification time: neither the camera's data nor the file's
            // name tell when it was recorded."
            return qtTrId("TOOLTIP_DATED_BY_FILE");
        }
        if (index.column() == ColumnLocked || index.column() == ColumnDuration)
            return {};
        // As markup with every line escaped: a file name that looks like a tag must not turn
        // the tooltip into rich text of its own.
        QStringList lines;
        if (index.column() == ColumnName) {
            lines = toolTipLines(*node);
        } else if (index.column() == ColumnDate) {
            lines = dayLines(*node);
        } else if (const RVTripStatsPtr stats = node->stats()) {
            lines = RVTripFiguresText::toolTipLines(*stats, m_system);
        }
        if (lines.isEmpty())
            return {};
        for (QString& line : lines)
            line = line.toHtmlEscaped();
        return QStringLiteral("<p style='white-space:pre'>%1</p>")
            .arg(lines.join(QLatin1String("<br>")));
    }
    case Qt::TextAlignmentRole:
        if (index.column() == ColumnDuration || index.column() == ColumnDistance)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant RVVideoOutlineViewModel::headerData(int section, Qt::Orientation orientation,
                                             int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    // A header a translation shortens for the list's room says it whole in its tool tip.
    if (role == Qt::ToolTipRole && section == ColumnDuration) {
        //% "Duration of the recording or trip"
        return qtTrId("COLUMN_DURATION_TOOLTIP");
    }
    if (role != Qt::DisplayRole)
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
    case ColumnDistance:
        //% "Distance"
        return qtTrId("COLUMN_DISTANCE_TITLE");
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

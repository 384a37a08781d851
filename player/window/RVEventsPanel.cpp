#include "player/window/RVEventsPanel.h"

#include "core/RVSettings.h"

#include <QAction>
#include <QBoxLayout>
#include <QDateTime>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

enum Column
{
    ColumnTime,
    ColumnKind,
    ColumnStrength,
    ColumnRecording,
    ColumnCount
};

// Events closer than this count as the same moment when stepping from one to the next.
constexpr double kSameMomentSeconds = 0.05;

bool isSpeedKind(RVEventKind kind)
{
    return kind == RVEventKind::OverSpeed || kind == RVEventKind::CameraOverSpeed;
}

// The wall-clock time when known ("18:45:03"), else the time into the trip ("0:03").
QString timeText(const RVEvent& event)
{
    if (event.time.isValid())
        return QDateTime::fromMSecsSinceEpoch(event.time.msecsSinceEpoch())
            .toLocalTime()
            .toString(QStringLiteral("HH:mm:ss"));
    const long long whole = std::isfinite(event.seconds) ? std::llround(event.seconds) : 0;
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

RVEventsPanel::RVEventsPanel(QBoxLayout& layout, QWidget& owner, QObject* parent) : QObject(parent)
{
    m_list = new QTreeWidget(&owner);
    m_list->setObjectName(QStringLiteral("eventsList"));
    m_list->setColumnCount(ColumnCount);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFocusPolicy(Qt::NoFocus); // keys belong to the window's key map
    m_list->setMaximumHeight(180);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout.addWidget(m_list);

    m_toggle = new QAction(this);
    m_toggle->setObjectName(QStringLiteral("showEventsPanel"));
    m_toggle->setCheckable(true);
    m_toggle->setChecked(RVSettings::boolValue(RVSettings::kShowEventsPanel));
    m_list->setVisible(m_toggle->isChecked());
    connect(m_toggle, &QAction::toggled, this, [this](bool on) {
        m_list->setVisible(on);
        RVSettings::setBool(RVSettings::kShowEventsPanel, on);
    });
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const int index = m_list->indexOfTopLevelItem(item);
        if (index >= 0 && std::size_t(index) < m_events.size())
            Q_EMIT eventChosen(std::size_t(index));
    });
    retranslate();
}

void RVEventsPanel::setNode(const RVVideoDataPtr& node, RVMeasurementSystem system)
{
    const RVEventSeries series = node ? node->eventSeries() : nullptr;
    if (node == m_node && series == m_series && system == m_system)
        return;
    m_node = node;
    m_series = series;
    m_system = system;
    m_events = series ? *series : std::vector<RVEvent>();
    fill();
}

void RVEventsPanel::fill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    for (const RVEvent& event : m_events) {
        auto* row = new QTreeWidgetItem;
        row->setText(ColumnTime, timeText(event));
        row->setText(ColumnKind, kindText(event.kind));
        row->setText(ColumnStrength, strengthText(event, m_system));
        row->setTextAlignment(ColumnStrength, Qt::AlignRight | Qt::AlignVCenter);
        if (m_node && event.fileIndex >= 0 && std::size_t(event.fileIndex) < m_node->files().size())
            row->setText(ColumnRecording,
                         m_node->files()[std::size_t(event.fileIndex)]->fileName());
        rows.append(row);
    }
    m_list->addTopLevelItems(rows);
}

std::optional<std::size_t> RVEventsPanel::selectedIndex() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int index = m_list->indexOfTopLevelItem(selected.front());
    return index >= 0 && std::size_t(index) < m_events.size() ? std::optional(std::size_t(index))
                                                              : std::nullopt;
}

std::optional<RVEvent> RVEventsPanel::chosen() const
{
    const std::optional<std::size_t> index = selectedIndex();
    return index ? std::optional(m_events[*index]) : std::nullopt;
}

std::optional<std::size_t> RVEventsPanel::next(double position, int direction) const
{
    double from = position;
    if (const std::optional<std::size_t> selected = selectedIndex()) {
        const RVEvent& event = m_events[*selected];
        if (position >= startOf(event) - kSameMomentSeconds &&
            position <= event.seconds + kSameMomentSeconds)
            from = event.seconds;
    }
    if (direction > 0) {
        for (std::size_t i = 0; i < m_events.size(); ++i) {
            if (m_events[i].seconds > from + kSameMomentSeconds)
                return i;
        }
        return std::nullopt;
    }
    for (std::size_t i = m_events.size(); i-- > 0;) {
        if (m_events[i].seconds < from - kSameMomentSeconds)
            return i;
    }
    return std::nullopt;
}

void RVEventsPanel::select(std::size_t index)
{
    if (QTreeWidgetItem* row = m_list->topLevelItem(int(index))) {
        m_list->setCurrentItem(row);
        m_list->scrollToItem(row);
    }
}

double RVEventsPanel::startOf(const RVEvent& event)
{
    return std::max(0.0, event.seconds - kLeadSeconds);
}

QString RVEventsPanel::kindText(RVEventKind kind)
{
    switch (kind) {
    case RVEventKind::CameraEvent:
        //% "Camera event"
        return qtTrId("EVENT_KIND_CAMERA_EVENT");
    case RVEventKind::CameraManual:
        //% "Event button"
        return qtTrId("EVENT_KIND_CAMERA_MANUAL");
    case RVEventKind::CameraParkingImpact:
        //% "Impact while parked"
        return qtTrId("EVENT_KIND_CAMERA_PARKING_IMPACT");
    case RVEventKind::CameraOverSpeed:
        //% "Camera's speed alarm"
        return qtTrId("EVENT_KIND_CAMERA_OVER_SPEED");
    case RVEventKind::Impact:
        //% "Impact"
        return qtTrId("EVENT_KIND_IMPACT");
    case RVEventKind::HardBraking:
        //% "Hard braking"
        return qtTrId("EVENT_KIND_HARD_BRAKING");
    case RVEventKind::HardAcceleration:
        //% "Hard acceleration"
        return qtTrId("EVENT_KIND_HARD_ACCELERATION");
    case RVEventKind::SharpTurn:
        //% "Sharp turn"
        return qtTrId("EVENT_KIND_SHARP_TURN");
    case RVEventKind::HarshDriving:
        //% "Harsh driving"
        return qtTrId("EVENT_KIND_HARSH_DRIVING");
    case RVEventKind::OverSpeed:
        //% "Over the speed limit"
        return qtTrId("EVENT_KIND_OVER_SPEED");
    }
    return {};
}

QString RVEventsPanel::strengthText(const RVEvent& event, RVMeasurementSystem system)
{
    if (!std::isfinite(event.strength))
        return {};
    if (isSpeedKind(event.kind)) {
        const bool british = system == RVMeasurementSystem::British;
        return QString::number(std::lround(event.strength * RVUnits::speedFactor(system))) +
               (british ? QStringLiteral(" mph") : QStringLiteral(" km/h"));
    }
    return QString::number(event.strength, 'f', 2) + QStringLiteral(" g");
}

void RVEventsPanel::retranslate()
{
    //% "&Events"
    m_toggle->setText(qtTrId("MENU_SHOW_EVENTS"));
    m_list->setHeaderLabels({
        //% "Time"
        qtTrId("EVENTS_COLUMN_TIME"),
        //% "Event"
        qtTrId("EVENTS_COLUMN_KIND"),
        //% "Strength"
        qtTrId("EVENTS_COLUMN_STRENGTH"),
        //% "Recording"
        qtTrId("EVENTS_COLUMN_RECORDING"),
    });
    fill();
}

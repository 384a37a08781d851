#pragma once

#include "library/RVVideoData.h"
#include "timeline/RVUnits.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

class QAction;
class QBoxLayout;
class QTreeWidget;
class QWidget;

// The events of the playing trip or recording, under the file list: one row each with its
// time, kind, strength and recording. A click on a row asks to play from a little before the
// event (eventChosen); E and Shift+E go to the next and previous one (next()). The panel is
// shown and hidden with its View menu item, and the choice is kept in the settings.
class RVEventsPanel final : public QObject
{
    Q_OBJECT

public:
    // How long before an event its playback starts: the lead-up shows what caused it.
    static constexpr double kLeadSeconds = 5.0;

    // Adds the list to `layout` (its widgets belong to `owner`), shown as last chosen.
    RVEventsPanel(QBoxLayout& layout, QWidget& owner, QObject* parent = nullptr);

    QAction* toggleAction() const { return m_toggle; }
    QTreeWidget* list() const { return m_list; }

    // Shows the node's events (none while they are not computed, or for no node). The same
    // node with the same events keeps its rows and selection.
    void setNode(const RVVideoDataPtr& node, RVMeasurementSystem system);
    const std::vector<RVEvent>& events() const { return m_events; }

    // The event to go to from the playback position (trip seconds): the first after it
    // (direction > 0) or the last before it. Right after a jump, while the playback is still
    // in the selected event's lead-up, the selected event stands for the position, so that N
    // moves on instead of landing on the same event again. Nothing past either end.
    std::optional<std::size_t> next(double position, int direction) const;
    // The event of the selected row, if any.
    std::optional<RVEvent> chosen() const;
    // Selects an event's row (nothing is emitted).
    void select(std::size_t index);
    // Where playback of an event starts: kLeadSeconds before it, not before the start.
    static double startOf(const RVEvent& event);

    // "Hard braking", "Impact", ... in the installed language.
    static QString kindText(RVEventKind kind);
    // "0.62 g", or the speed in the user's units for speed events; empty when unmeasured.
    static QString strengthText(const RVEvent& event, RVMeasurementSystem system);
    // The texts of the installed language on the headers, the rows and the menu item.
    void retranslate();

Q_SIGNALS:
    // The user clicked the row of events()[index].
    void eventChosen(std::size_t index);

private:
    void fill();
    std::optional<std::size_t> selectedIndex() const;

    QAction* m_toggle = nullptr;
    QTreeWidget* m_list = nullptr; // owned by the owner widget
    RVVideoDataPtr m_node;
    RVEventSeries m_series;
    std::vector<RVEvent> m_events;
    RVMeasurementSystem m_system = RVMeasurementSystem::Metric;
};

#pragma once

#include "views/RVViewUtil.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

class QAction;

// The window's commands that menus, keys and buttons share.
enum class RVWindowCommand
{
    PlayPause,
    FastForward,
    Rewind,
    NextFrame,
    PreviousFrame,
    StepForward,
    StepBackward,
    GoToStart,
    GoToEnd,
    FullScreen,
    LeaveFullScreen,
    Still,
    ZoomIn,
    ZoomOut,
    FitToWindow,
    NextEvent,
    PreviousEvent,
    MarkIn,     // the clip's start at the playback position
    MarkOut,    // the clip's end at the playback position
    ClearMarks, // both clip marks gone
    ExportClip, // the clip export dialog
};

// One action per window command, so a menu item, a key of the window's key map and a button
// do exactly the same thing. The table in the source is the one place that names each
// command's key; the menus show it after a tab and the buttons' tool tips in brackets.
//
// The keys are handled by their place on the keyboard (RVViewUtil), whatever the layout, so
// the actions carry no shortcut of their own and never compete with the key map.
class RVWindowActions final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kCount = int(RVWindowCommand::ExportClip) + 1;

    explicit RVWindowActions(QObject* parent = nullptr);

    QAction* action(RVWindowCommand command) const { return m_actions[std::size_t(command)]; }
    QList<QAction*> all() const { return {m_actions.begin(), m_actions.end()}; }
    // The command of a key of the window's key map; Return counts only with Alt held (the
    // caller asks only then).
    static std::optional<RVWindowCommand> commandForKey(RVViewKey key);
    // Triggers the key's command; false for a key that has none.
    bool triggerKey(RVViewKey key);

    // A button's tool tip: the text with the command's key in brackets.
    QString toolTip(RVWindowCommand command) const;
    // The menu texts in the installed translation, keys after a tab.
    void retranslate();

private:
    std::array<QAction*, kCount> m_actions{};
};

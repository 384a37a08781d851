#include "player/window/RVWindowActions.h"

#include "player/window/RVShortcutList.h"

#include <QAction>
#include <QKeySequence>
#include <QStringList>

#include <iterator>

namespace {

struct Entry
{
    RVWindowCommand command;
    const char* objectName; // what tests and the menus find the item by
    const char* menuTextId;
    const char* toolTipId; // null: no button shows its key
    std::optional<RVViewKey> key;
};

// Keys besides the entry's own (commandForKey maps them); the shortcut list shows them all.
struct OtherKey
{
    RVWindowCommand command;
    RVViewKey key;
    Qt::KeyboardModifiers modifiers; // what keyText shows with it
};
constexpr OtherKey kOtherKeys[] = {
    // F as in most players; Alt+Return as on most desktops.
    {RVWindowCommand::FullScreen, RVViewKey::F, Qt::NoModifier},
    {RVWindowCommand::FullScreen, RVViewKey::Return, Qt::AltModifier},
};

// clang-format off
constexpr Entry kEntries[] = {
    //% "&Play / Pause"      //% "Play / pause"
    {RVWindowCommand::PlayPause, "playPause", "MENU_PLAY_PAUSE", "PLAY_PAUSE_TOOLTIP", RVViewKey::Space},
    //% "&Fast Forward"      //% "Fast forward"
    {RVWindowCommand::FastForward, "fastForward", "MENU_FAST_FORWARD", "FAST_FORWARD_TOOLTIP", RVViewKey::L},
    //% "&Rewind"            //% "Rewind"
    {RVWindowCommand::Rewind, "rewind", "MENU_REWIND", "REWIND_TOOLTIP", RVViewKey::J},
    //% "&Next Frame"        //% "Next frame"
    {RVWindowCommand::NextFrame, "nextFrame", "MENU_NEXT_FRAME", "NEXT_FRAME_TOOLTIP", RVViewKey::N},
    //% "Pre&vious Frame"    //% "Previous frame"
    {RVWindowCommand::PreviousFrame, "prevFrame", "MENU_PREVIOUS_FRAME", "PREVIOUS_FRAME_TOOLTIP", RVViewKey::B},
    //% "Step For&ward"
    {RVWindowCommand::StepForward, "stepForward", "MENU_STEP_FORWARD", nullptr, RVViewKey::Right},
    //% "Step &Backward"
    {RVWindowCommand::StepBackward, "stepBackward", "MENU_STEP_BACKWARD", nullptr, RVViewKey::Left},
    //% "Go to &Start"
    {RVWindowCommand::GoToStart, "goToStart", "MENU_GO_TO_START", nullptr, RVViewKey::Home},
    //% "Go to &End"
    {RVWindowCommand::GoToEnd, "goToEnd", "MENU_GO_TO_END", nullptr, RVViewKey::End},
    //% "F&ull Screen"       //% "Full screen"
    {RVWindowCommand::FullScreen, "fullScreen", "MENU_FULL_SCREEN", "FULL_SCREEN_TOOLTIP", RVViewKey::F11},
    // Escape leaves full screen and never enters it; it has no menu item, but the shortcut
    // list names it.
    //% "Leave Full Screen"
    {RVWindowCommand::LeaveFullScreen, "leaveFullScreen", "MENU_LEAVE_FULL_SCREEN", nullptr, RVViewKey::Escape},
    //% "Save Still P&icture…"  //% "Save a still picture"
    {RVWindowCommand::Still, "makeScreenShot", "MENU_SCREENSHOT", "SCREENSHOT_TOOLTIP", std::nullopt},
    //% "&Zoom In"           //% "Zoom in"
    {RVWindowCommand::ZoomIn, "zoomIn", "MENU_ZOOM_IN", "ZOOM_IN_TOOLTIP", std::nullopt},
    //% "Zoom &Out"          //% "Zoom out"
    {RVWindowCommand::ZoomOut, "zoomOut", "MENU_ZOOM_OUT", "ZOOM_OUT_TOOLTIP", std::nullopt},
    //% "Fi&t to Window"     //% "Fit video to the window"
    {RVWindowCommand::FitToWindow, "fitToSize", "MENU_FIT_TO_SIZE", "FIT_VIDEO_TOOLTIP", std::nullopt},
    //% "Next E&vent"
    {RVWindowCommand::NextEvent, "nextEvent", "MENU_NEXT_EVENT", nullptr, RVViewKey::E},
    //% "Previous Eve&nt"
    {RVWindowCommand::PreviousEvent, "previousEvent", "MENU_PREVIOUS_EVENT", nullptr, RVViewKey::ShiftE},
    //% "Mark Clip &Start"
    {RVWindowCommand::MarkIn, "markIn", "MENU_MARK_IN", nullptr, RVViewKey::I},
    //% "Mark Clip En&d"
    {RVWindowCommand::MarkOut, "markOut", "MENU_MARK_OUT", nullptr, RVViewKey::O},
    // Escape clears the marks when the window is not full screen (LeaveFullScreen's key, which
    // the key map finds first, does both); the menu shows the key.
    //% "&Clear Clip Marks"
    {RVWindowCommand::ClearMarks, "clearMarks", "MENU_CLEAR_MARKS", nullptr, RVViewKey::Escape},
    //% "E&xport Clip…"
    {RVWindowCommand::ExportClip, "exportClip", "MENU_EXPORT_CLIP", nullptr, std::nullopt},
};
// clang-format on

const Entry& entryOf(RVWindowCommand command)
{
    return kEntries[std::size_t(command)];
}

QString keyText(RVViewKey key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeySequence(QKeyCombination(modifiers, RVViewUtil::qtKey(key)))
        .toString(QKeySequence::NativeText);
}

QString keyText(const Entry& entry)
{
    if (!entry.key)
        return {};
    return keyText(*entry.key,
                   *entry.key == RVViewKey::ShiftE ? Qt::ShiftModifier : Qt::NoModifier);
}

} // namespace

static_assert(std::size(kEntries) == std::size_t(RVWindowActions::kCount));

RVWindowActions::RVWindowActions(QObject* parent) : QObject(parent)
{
    for (std::size_t i = 0; i < std::size(kEntries); ++i) {
        Q_ASSERT(kEntries[i].command == RVWindowCommand(i));
        m_actions[i] = new QAction(this);
        m_actions[i]->setObjectName(QString::fromLatin1(kEntries[i].objectName));
    }
    retranslate();
}

std::optional<RVWindowCommand> RVWindowActions::commandForKey(RVViewKey key)
{
    // Return comes here only with Alt held.
    for (const OtherKey& other : kOtherKeys) {
        if (other.key == key)
            return other.command;
    }
    for (const Entry& entry : kEntries) {
        if (entry.key == key)
            return entry.command;
    }
    return std::nullopt;
}

bool RVWindowActions::triggerKey(RVViewKey key)
{
    const std::optional<RVWindowCommand> command = commandForKey(key);
    if (!command)
        return false;
    action(*command)->trigger();
    return true;
}

QString RVWindowActions::toolTip(RVWindowCommand command) const
{
    const Entry& entry = entryOf(command);
    if (!entry.toolTipId)
        return {};
    const QString text = qtTrId(entry.toolTipId);
    return entry.key ? QStringLiteral("%1 (%2)").arg(text, keyText(entry)) : text;
}

void RVWindowActions::retranslate()
{
    for (const Entry& entry : kEntries) {
        if (!entry.menuTextId)
            continue;
        QString text = qtTrId(entry.menuTextId);
        if (entry.key)
            text += QLatin1Char('\t') + keyText(entry);
        action(entry.command)->setText(text);
        QStringList keys{keyText(entry)};
        for (const OtherKey& other : kOtherKeys) {
            if (other.command == entry.command)
                keys << keyText(other.key, other.modifiers);
        }
        if (entry.key)
            action(entry.command)->setProperty(RVShortcutList::kKeysProperty, keys);
    }
}

#pragma once

#include <QtCore/qnamespace.h>

#include <optional>

class QKeyEvent;
class RVPlayerViewDelegate;

// The keys the player window reacts to, named after the physical key (its place on the
// keyboard), not after the character it types: with a Russian layout the key labelled N types
// "т" and must still step a frame.
enum class RVViewKey
{
    Return, // the main Return key and the keypad's Enter
    Escape,
    Space,
    N,
    B,
    Left,
    Right,
    Home,
    End,
    F11,
    J,
    L,
    I,
    O,
    F,
    E,      // next event
    ShiftE, // E with Shift held: previous event
};

// The one key map shared by the window's root view and the file list.
class RVViewUtil final
{
public:
    RVViewUtil() = delete;

    // Tells the delegate which key of the map was pressed, and whether it was one: Return
    // counts only with Alt held, other keys whatever the modifiers. What a key does is the
    // delegate's (the window's commands, RVWindowActions). A null delegate still consumes the
    // mapped keys.
    static bool processKeyDown(const QKeyEvent* event, RVPlayerViewDelegate* delegate);

    // The physical key of an event: from the platform's native key code when the event carries
    // one, else from Qt's key code (synthetic events, platforms without native codes).
    static std::optional<RVViewKey> physicalKey(const QKeyEvent* event);
    // Qt's key code for a key of the map (Return for Return), to show it in menus and tips.
    static Qt::Key qtKey(RVViewKey key);
};

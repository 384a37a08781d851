#pragma once

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
};

// The one key map shared by the window's root view and the file list.
class RVViewUtil final
{
public:
    RVViewUtil() = delete;

    // Maps a key press to a delegate call and tells whether the key was one of the map's:
    //   Return with Alt held   -> altEnterPressed   (Return without Alt is not handled)
    //   Escape                 -> escapePressed
    //   Space                  -> spacebarPressed
    //   N                      -> nextFrame
    //   B                      -> prevFrame
    //   Left / Right arrow     -> goBack / goForward
    //   Home / End             -> goToStart / goToEnd
    //   F11                    -> fullScreenPressed
    //   J / L                  -> rewindPressed / fastForwardPressed (each press steps the rate)
    // Modifiers matter only for Return. A null delegate still consumes the mapped keys.
    static bool processKeyDown(const QKeyEvent* event, RVPlayerViewDelegate* delegate);

    // The physical key of an event: from the platform's native key code when the event carries
    // one, else from Qt's key code (synthetic events, platforms without native codes).
    static std::optional<RVViewKey> physicalKey(const QKeyEvent* event);
};

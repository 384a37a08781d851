#include "views/RVNativeKeys.h"

// X11 (xcb) and Wayland both hand Qt XKB key codes as the native scan code: the kernel's evdev
// key code plus 8. The evdev codes below are those of <linux/input-event-codes.h>; they name
// positions on the keyboard and do not change with the layout.
RVNativeKey rvNativeViewKey(quint32 nativeScanCode, quint32 /*nativeVirtualKey*/)
{
    if (nativeScanCode == 0)
        return {};
    constexpr quint32 xkbOffset = 8;
    if (nativeScanCode < xkbOffset)
        return {true, std::nullopt};
    switch (nativeScanCode - xkbOffset) {
    case 28: // KEY_ENTER
    case 96: // KEY_KPENTER
        return {true, RVViewKey::Return};
    case 1: // KEY_ESC
        return {true, RVViewKey::Escape};
    case 57: // KEY_SPACE
        return {true, RVViewKey::Space};
    case 49: // KEY_N
        return {true, RVViewKey::N};
    case 48: // KEY_B
        return {true, RVViewKey::B};
    case 18: // KEY_E
        return {true, RVViewKey::E};
    case 105: // KEY_LEFT
        return {true, RVViewKey::Left};
    case 106: // KEY_RIGHT
        return {true, RVViewKey::Right};
    case 102: // KEY_HOME
        return {true, RVViewKey::Home};
    case 107: // KEY_END
        return {true, RVViewKey::End};
    case 87: // KEY_F11
        return {true, RVViewKey::F11};
    case 36: // KEY_J
        return {true, RVViewKey::J};
    case 38: // KEY_L
        return {true, RVViewKey::L};
    case 23: // KEY_I
        return {true, RVViewKey::I};
    case 24: // KEY_O
        return {true, RVViewKey::O};
    case 33: // KEY_F
        return {true, RVViewKey::F};
    default:
        return {true, std::nullopt};
    }
}

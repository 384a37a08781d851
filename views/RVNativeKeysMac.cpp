#include "views/RVNativeKeys.h"

// macOS: Qt passes the Carbon virtual key code (kVK_...) as the native virtual key; these
// codes name key positions (ANSI layout) and do not change with the input source.
RVNativeKey rvNativeViewKey(quint32 /*nativeScanCode*/, quint32 nativeVirtualKey)
{
    switch (nativeVirtualKey) {
    case 36: // kVK_Return
    case 76: // kVK_ANSI_KeypadEnter
        return {true, RVViewKey::Return};
    case 53: // kVK_Escape
        return {true, RVViewKey::Escape};
    case 49: // kVK_Space
        return {true, RVViewKey::Space};
    case 45: // kVK_ANSI_N
        return {true, RVViewKey::N};
    case 11: // kVK_ANSI_B
        return {true, RVViewKey::B};
    case 14: // kVK_ANSI_E
        return {true, RVViewKey::E};
    case 123: // kVK_LeftArrow
        return {true, RVViewKey::Left};
    case 124: // kVK_RightArrow
        return {true, RVViewKey::Right};
    case 115: // kVK_Home
        return {true, RVViewKey::Home};
    case 119: // kVK_End
        return {true, RVViewKey::End};
    case 103: // kVK_F11
        return {true, RVViewKey::F11};
    case 38: // kVK_ANSI_J
        return {true, RVViewKey::J};
    case 37: // kVK_ANSI_L
        return {true, RVViewKey::L};
    case 34: // kVK_ANSI_I
        return {true, RVViewKey::I};
    case 31: // kVK_ANSI_O
        return {true, RVViewKey::O};
    case 3: // kVK_ANSI_F
        return {true, RVViewKey::F};
    default:
        // kVK_ANSI_A is 0, so a zero code cannot mean "absent" here; every real key event
        // carries its virtual key, so any other code is simply not a key of the map.
        return {true, std::nullopt};
    }
}

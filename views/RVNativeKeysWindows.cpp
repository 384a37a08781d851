#include "views/RVNativeKeys.h"

// Windows: Qt passes the keyboard scan code with the extended-key flag as bit 8
// (bits 16..24 of WM_KEYDOWN's lParam). Scan codes name key positions, not characters.
RVNativeKey rvNativeViewKey(quint32 nativeScanCode, quint32 /*nativeVirtualKey*/)
{
    if (nativeScanCode == 0)
        return {};
    switch (nativeScanCode) {
    case 0x1C:  // Return
    case 0x11C: // keypad Enter (extended)
        return {true, RVViewKey::Return};
    case 0x01:
        return {true, RVViewKey::Escape};
    case 0x39:
        return {true, RVViewKey::Space};
    case 0x31:
        return {true, RVViewKey::N};
    case 0x30:
        return {true, RVViewKey::B};
    case 0x12: // E
        return {true, RVViewKey::E};
    case 0x14B: // Left arrow (extended)
        return {true, RVViewKey::Left};
    case 0x14D: // Right arrow (extended)
        return {true, RVViewKey::Right};
    case 0x147: // Home (extended)
        return {true, RVViewKey::Home};
    case 0x14F: // End (extended)
        return {true, RVViewKey::End};
    case 0x57:
        return {true, RVViewKey::F11};
    case 0x24:
        return {true, RVViewKey::J};
    case 0x26:
        return {true, RVViewKey::L};
    case 0x17:
        return {true, RVViewKey::I};
    case 0x18:
        return {true, RVViewKey::O};
    case 0x21:
        return {true, RVViewKey::F};
    default:
        return {true, std::nullopt};
    }
}

#pragma once

#include "views/RVViewUtil.h"

#include <QtGlobal>

#include <optional>

// The one place that knows how the platform numbers its physical keys. One implementation
// file per platform; the build picks it.
//   nativeScanCode / nativeVirtualKey: QKeyEvent's native codes (0 when the platform gave none).
// `present` is false when the event carries no native code at all; only then does the caller
// fall back to Qt's layout-dependent key code. A present code that names no key of the map
// gives no key.
struct RVNativeKey final
{
    bool present = false;         // the event carried a native code
    std::optional<RVViewKey> key; // the map's key for that code, if it is one
};

RVNativeKey rvNativeViewKey(quint32 nativeScanCode, quint32 nativeVirtualKey);

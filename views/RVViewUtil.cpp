#include "views/RVViewUtil.h"

#include "views/RVNativeKeys.h"
#include "views/RVPlayerViewDelegate.h"

#include <QKeyEvent>

#include <utility>

namespace {

// Each key of the map with Qt's key code for it. Qt's codes are used only when the platform gave
// no native code (events made by programs, platforms that report none): they follow the
// layout, so this path cannot tell the N key of a Russian keyboard apart; the native path can.
constexpr std::pair<RVViewKey, Qt::Key> kQtKeys[] = {
    {RVViewKey::Return, Qt::Key_Return}, {RVViewKey::Return, Qt::Key_Enter},
    {RVViewKey::Escape, Qt::Key_Escape}, {RVViewKey::Space, Qt::Key_Space},
    {RVViewKey::N, Qt::Key_N},           {RVViewKey::B, Qt::Key_B},
    {RVViewKey::Left, Qt::Key_Left},     {RVViewKey::Right, Qt::Key_Right},
    {RVViewKey::Home, Qt::Key_Home},     {RVViewKey::End, Qt::Key_End},
    {RVViewKey::F11, Qt::Key_F11},       {RVViewKey::J, Qt::Key_J},
    {RVViewKey::L, Qt::Key_L},           {RVViewKey::I, Qt::Key_I},
    {RVViewKey::O, Qt::Key_O},           {RVViewKey::F, Qt::Key_F},
    {RVViewKey::E, Qt::Key_E},           {RVViewKey::ShiftE, Qt::Key_E},
};

std::optional<RVViewKey> keyFromQtKey(int key)
{
    for (const auto& [viewKey, code] : kQtKeys) {
        if (code == key)
            return viewKey;
    }
    return std::nullopt;
}

} // namespace

std::optional<RVViewKey> RVViewUtil::physicalKey(const QKeyEvent* event)
{
    if (!event)
        return std::nullopt;
    const RVNativeKey native = rvNativeViewKey(event->nativeScanCode(), event->nativeVirtualKey());
    if (native.present)
        return native.key;
    return keyFromQtKey(event->key());
}

Qt::Key RVViewUtil::qtKey(RVViewKey key)
{
    for (const auto& [viewKey, code] : kQtKeys) {
        if (viewKey == key)
            return code;
    }
    return Qt::Key_unknown;
}

bool RVViewUtil::processKeyDown(const QKeyEvent* event, RVPlayerViewDelegate* delegate)
{
    const std::optional<RVViewKey> key = physicalKey(event);
    if (!key)
        return false;
    // "Option" of the original keyboard is Alt here; only Return looks at modifiers.
    if (*key == RVViewKey::Return && !event->modifiers().testFlag(Qt::AltModifier))
        return false;
    // E goes to the next event, Shift+E back: the one key whose modifier tells two commands
    // apart (N and B step a frame whatever is held).
    const RVViewKey pressed = *key == RVViewKey::E && event->modifiers().testFlag(Qt::ShiftModifier)
                                  ? RVViewKey::ShiftE
                                  : *key;
    if (delegate)
        delegate->keyPressed(pressed);
    return true;
}

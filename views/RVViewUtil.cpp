#include "views/RVViewUtil.h"

#include "views/RVNativeKeys.h"
#include "views/RVPlayerViewDelegate.h"

#include <QKeyEvent>

namespace {

// Qt's key codes, used only when the platform gave no native code (events made by programs,
// platforms that report none). They follow the layout, so this path cannot tell the N key of
// a Russian keyboard apart; the native path above it can.
std::optional<RVViewKey> keyFromQtKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return RVViewKey::Return;
    case Qt::Key_Escape:
        return RVViewKey::Escape;
    case Qt::Key_Space:
        return RVViewKey::Space;
    case Qt::Key_N:
        return RVViewKey::N;
    case Qt::Key_B:
        return RVViewKey::B;
    case Qt::Key_Left:
        return RVViewKey::Left;
    case Qt::Key_Right:
        return RVViewKey::Right;
    case Qt::Key_Home:
        return RVViewKey::Home;
    case Qt::Key_End:
        return RVViewKey::End;
    case Qt::Key_F11:
        return RVViewKey::F11;
    case Qt::Key_J:
        return RVViewKey::J;
    case Qt::Key_L:
        return RVViewKey::L;
    default:
        return std::nullopt;
    }
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

bool RVViewUtil::processKeyDown(const QKeyEvent* event, RVPlayerViewDelegate* delegate)
{
    const std::optional<RVViewKey> key = physicalKey(event);
    if (!key)
        return false;
    // "Option" of the original keyboard is Alt here; only Return looks at modifiers.
    switch (*key) {
    case RVViewKey::Return:
        if (!event->modifiers().testFlag(Qt::AltModifier))
            return false;
        if (delegate)
            delegate->altEnterPressed();
        return true;
    case RVViewKey::Escape:
        if (delegate)
            delegate->escapePressed();
        return true;
    case RVViewKey::Space:
        if (delegate)
            delegate->spacebarPressed();
        return true;
    case RVViewKey::N:
        if (delegate)
            delegate->nextFrame();
        return true;
    case RVViewKey::B:
        if (delegate)
            delegate->prevFrame();
        return true;
    case RVViewKey::Left:
        if (delegate)
            delegate->goBack();
        return true;
    case RVViewKey::Right:
        if (delegate)
            delegate->goForward();
        return true;
    case RVViewKey::Home:
        if (delegate)
            delegate->goToStart();
        return true;
    case RVViewKey::End:
        if (delegate)
            delegate->goToEnd();
        return true;
    case RVViewKey::F11:
        if (delegate)
            delegate->fullScreenPressed();
        return true;
    case RVViewKey::J:
        if (delegate)
            delegate->rewindPressed();
        return true;
    case RVViewKey::L:
        if (delegate)
            delegate->fastForwardPressed();
        return true;
    }
    return false;
}

#include "player/window/RVFocusMark.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace {

constexpr int kRingWidth = 2;

// Two pixels in the palette's highlight colour along the edge of its parent; the inside is
// left unpainted, so the control shows through.
class Ring final : public QWidget
{
public:
    explicit Ring(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kRingWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // The pen is centred on the path: inset by half its width to stay inside.
        const qreal half = kRingWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }
};

} // namespace

RVFocusMark::RVFocusMark(QWidget* window) : QObject(window), m_window(window)
{
    // Focus events go to the widget that takes the focus, which may be any child (also ones
    // made later, as the map page makes its render widget): the application sees them all.
    qApp->installEventFilter(this);
}

RVFocusMark::~RVFocusMark()
{
    qApp->removeEventFilter(this);
    delete m_ring;
}

void RVFocusMark::markAs(QWidget* holder, QWidget* shown, bool withChildren)
{
    m_shownFor.insert(holder, {shown, withChildren});
}

QWidget* RVFocusMark::markedWidget() const
{
    return m_ring && m_ring->isVisible() ? m_target.data() : nullptr;
}

bool RVFocusMark::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !m_window || widget->window() != m_window)
            break;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Qt gives "Tab" as the reason also when it moves the focus itself (a window shown,
        // the focused widget hidden): only a Tab key pressed counts. A window that becomes
        // active again or a popup that closes keeps the ring as it was.
        bool byKeyboard = m_byKeyboard;
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            byKeyboard = m_tabKeyDown;
        else if (reason == Qt::ShortcutFocusReason)
            byKeyboard = true;
        else if (reason == Qt::MouseFocusReason)
            byKeyboard = false;
        focusMoved(widget, byKeyboard);
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            m_tabKeyDown = event->type() == QEvent::KeyPress;
        break;
    }
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched == m_target)
            place();
        break;
    default:
        break;
    }
    return false;
}

void RVFocusMark::focusMoved(QWidget* focus, bool byKeyboard)
{
    m_byKeyboard = byKeyboard;
    QWidget* target = focus;
    for (QWidget* widget = focus; widget; widget = widget->parentWidget()) {
        const auto stand = m_shownFor.constFind(widget);
        if (stand != m_shownFor.constEnd() && stand->shown &&
            (widget == focus || stand->withChildren)) {
            target = stand->shown;
            break;
        }
    }
    if (!m_ring)
        m_ring = new Ring(target);
    else if (m_ring->parentWidget() != target)
        m_ring->setParent(target);
    m_target = target;
    place();
}

void RVFocusMark::place()
{
    if (!m_ring)
        return;
    if (!m_byKeyboard || !m_target || !m_target->isVisible()) {
        m_ring->hide();
        return;
    }
    m_ring->setGeometry(m_target->rect());
    m_ring->raise();
    m_ring->show();
}

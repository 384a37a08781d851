#include "player/video/RVVideoScrollView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

RVVideoScrollView::RVVideoScrollView(QWidget* parent)
    : QWidget(parent), m_horizontal(new QScrollBar(Qt::Horizontal, this)),
      m_vertical(new QScrollBar(Qt::Vertical, this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_vertical, 0, 1);
    layout->addWidget(m_horizontal, 1, 0);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);
    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        bar->setFocusPolicy(Qt::NoFocus); // keys belong to the window's key map
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, &RVVideoScrollView::visibleRectChanged);
    }
}

void RVVideoScrollView::setContentWidget(QWidget* widget)
{
    if (m_content)
        m_content->removeEventFilter(this);
    m_content = widget;
    if (!widget)
        return;
    static_cast<QGridLayout*>(layout())->addWidget(widget, 0, 0);
    widget->installEventFilter(this);
    updateRanges();
}

bool RVVideoScrollView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && event->type() == QEvent::Resize) {
        updateRanges();
        Q_EMIT visibleRectChanged();
    }
    return QWidget::eventFilter(watched, event);
}

void RVVideoScrollView::wheelEvent(QWheelEvent* event)
{
    if (m_fitted) {
        QWidget::wheelEvent(event);
        return;
    }
    const QPoint angle = event->angleDelta();
    const bool sideways =
        event->modifiers().testFlag(Qt::ShiftModifier) || (angle.x() != 0 && angle.y() == 0);
    QCoreApplication::sendEvent(sideways ? m_horizontal : m_vertical, event);
}

QSizeF RVVideoScrollView::viewportSize() const
{
    return m_content ? QSizeF(m_content->size()) : QSizeF(size());
}

void RVVideoScrollView::setFitted()
{
    m_fitted = true;
    updateRanges();
    Q_EMIT visibleRectChanged();
}

void RVVideoScrollView::setDocumentSize(QSizeF size)
{
    m_fitted = false;
    m_document = size;
    updateRanges();
    Q_EMIT visibleRectChanged();
}

QSizeF RVVideoScrollView::documentSize() const
{
    return m_fitted ? viewportSize() : m_document;
}

void RVVideoScrollView::setScrollersVisible(bool visible)
{
    m_scrollersVisible = visible;
    m_horizontal->setVisible(visible);
    m_vertical->setVisible(visible);
}

void RVVideoScrollView::scrollToOrigin(QPointF origin)
{
    m_horizontal->setValue(int(std::lround(origin.x())));
    m_vertical->setValue(int(std::lround(origin.y())));
}

QRectF RVVideoScrollView::visibleRect() const
{
    const QSizeF view = viewportSize();
    if (m_fitted)
        return QRectF(QPointF(0, 0), view);
    return QRectF(QPointF(m_horizontal->value(), m_vertical->value()), view);
}

void RVVideoScrollView::updateRanges()
{
    const QSizeF view = viewportSize();
    const QSizeF document = documentSize();
    // Blocked: a clamped value is reported once, by the caller's visibleRectChanged.
    const QSignalBlocker blockHorizontal(m_horizontal);
    const QSignalBlocker blockVertical(m_vertical);
    m_horizontal->setRange(0, std::max(0, int(std::ceil(document.width() - view.width()))));
    m_vertical->setRange(0, std::max(0, int(std::ceil(document.height() - view.height()))));
    m_horizontal->setPageStep(std::max(1, int(view.width())));
    m_vertical->setPageStep(std::max(1, int(view.height())));
    m_horizontal->setSingleStep(std::max(1, int(view.width()) / 20));
    m_vertical->setSingleStep(std::max(1, int(view.height()) / 20));
}

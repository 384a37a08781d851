#include "views/RVPlayerView.h"

#include "views/RVPlayerViewDelegate.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QStyleHints>
#include <QVBoxLayout>

RVPlayerView::RVPlayerView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void RVPlayerView::setContentWidget(QWidget* widget)
{
    if (widget == m_content)
        return;
    delete m_content.data();
    m_content = widget;
    if (widget)
        layout()->addWidget(widget);
}

QMenu* RVPlayerView::playbackMenu() const
{
    return m_playbackMenu.data();
}

void RVPlayerView::setPlaybackMenu(QMenu* menu)
{
    m_playbackMenu = menu;
}

bool RVPlayerView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        // The zoom gesture's value is the change of scale since the previous event
        // (0.25 = a quarter larger), so the step factor is 1 + value.
        if (gesture->gestureType() == Qt::ZoomNativeGesture && m_delegate)
            m_delegate->magnification(1.0 + gesture->value());
    }
    return QWidget::event(event);
}

void RVPlayerView::mousePressEvent(QMouseEvent* event)
{
    handlePress(event);
}

void RVPlayerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt sends the second press of a double click as this event instead of a press.
    handlePress(event);
}

void RVPlayerView::handlePress(QMouseEvent* event)
{
    // Every button is counted, so a right click between two left clicks breaks the series.
    const QStyleHints* hints = QGuiApplication::styleHints();
    const int count = m_clicks.press(event->button(), event->globalPosition(), event->timestamp(),
                                     hints->mouseDoubleClickInterval(), hints->startDragDistance());
    if (event->button() == Qt::LeftButton && m_delegate) {
        if (count == 1)
            m_delegate->click();
        else if (count == 2)
            m_delegate->doubleClick();
    }
    // Then the usual handling, which passes the press on to the enclosing views.
    QWidget::mousePressEvent(event);
}

void RVPlayerView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_playbackMenu) {
        event->ignore();
        return;
    }
    m_playbackMenu->popup(event->globalPos());
    event->accept();
}

#include "player/files/RVThumbnailPopover.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

RVThumbnailPopover::RVThumbnailPopover(QWidget* window) : QWidget(window)
{
    // The pointer stays on the slider below; the balloon never takes its clicks or moves.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(imageWidth + 2 * margin, imageHeight + 2 * margin + tipHeight);
    hide();
}

void RVThumbnailPopover::setThumbnail(const QImage& image)
{
    m_thumbnail = image;
    update();
}

void RVThumbnailPopover::setPositioningRect(const QRect& rect)
{
    m_positioningRect = rect;
    if (isVisible())
        place();
}

void RVThumbnailPopover::showRelativeToRect(const QRect& rect, QWidget* view)
{
    m_view = view;
    m_positioningRect = rect;
    place();
    raise();
    show();
}

void RVThumbnailPopover::place()
{
    QWidget* window = parentWidget();
    if (!window || !m_view)
        return;
    // Through global coordinates: the view may sit anywhere below the window.
    const QPoint anchor(m_positioningRect.left() + m_positioningRect.width() / 2,
                        m_positioningRect.top());
    m_tip = window->mapFromGlobal(m_view->mapToGlobal(anchor));
    const int limit = std::max(0, window->width() - width());
    int x = std::clamp(m_tip.x() - width() / 2, 0, limit);
    const int y = std::max(0, m_tip.y() - height());
    if (m_keepClear && m_keepClear->isVisible()) {
        const QRect clear(m_keepClear->mapTo(window, QPoint(0, 0)), m_keepClear->size());
        if (clear.intersects(QRect(x, y, width(), height()))) {
            // Beside it, on the side of the anchor where there is room.
            const int before = clear.left() - width();
            const int after = clear.right() + 1;
            x = (m_tip.x() < clear.center().x() && before >= 0) || after > limit
                    ? std::max(0, before)
                    : after;
        }
    }
    move(x, y);
    update();
}

void RVThumbnailPopover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, width() - 1.0, height() - tipHeight - 1.0);
    // The tip points at the anchor even when the balloon was pushed aside at a window edge.
    const double tipX = std::clamp(double(m_tip.x() - x()), body.left() + tipHeight + 4.0,
                                   body.right() - tipHeight - 4.0);
    QPainterPath outline;
    outline.addRoundedRect(body, 4, 4);
    QPainterPath tip;
    tip.moveTo(tipX - tipHeight, body.bottom() - 1);
    tip.lineTo(tipX, height() - 0.5);
    tip.lineTo(tipX + tipHeight, body.bottom() - 1);
    tip.closeSubpath();
    outline = outline.united(tip);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(outline);

    const QRect imageArea(margin, margin, imageWidth, imageHeight);
    if (m_thumbnail.isNull())
        painter.fillRect(imageArea, QColor(40, 40, 40));
    else
        painter.drawImage(imageArea, m_thumbnail);
}

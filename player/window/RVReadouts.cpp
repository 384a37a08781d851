#include "player/window/RVReadouts.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace {
constexpr int kMarginX = 6; // px left and right
constexpr int kMarginY = 2; // px above and below
constexpr int kGap = 12;    // px at least between speed and altitude on one line
} // namespace

RVReadouts::RVReadouts(QWidget* parent) : QWidget(parent)
{
    m_speed = new QLabel(this);
    m_speed->setObjectName(QStringLiteral("velocity"));
    m_altitude = new QLabel(this);
    m_altitude->setObjectName(QStringLiteral("altitudeLabel"));
    m_clock = new QLabel(this);
    m_clock->setObjectName(QStringLiteral("clockLabel"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool RVReadouts::fitsOnOneLine(int width) const
{
    return m_speed->sizeHint().width() + kGap + m_altitude->sizeHint().width() + 2 * kMarginX <=
           width;
}

int RVReadouts::heightForWidth(int width) const
{
    const int line = std::max({m_speed->sizeHint().height(), m_altitude->sizeHint().height(),
                               m_clock->sizeHint().height()});
    return 2 * kMarginY + line * (fitsOnOneLine(width) ? 2 : 3);
}

QSize RVReadouts::sizeHint() const
{
    const int width =
        m_speed->sizeHint().width() + kGap + m_altitude->sizeHint().width() + 2 * kMarginX;
    return {std::max(width, m_clock->sizeHint().width() + 2 * kMarginX), heightForWidth(width)};
}

QSize RVReadouts::minimumSizeHint() const
{
    // Narrow enough for the longest single read-out; stacked then.
    const int widest = std::max(
        {m_speed->sizeHint().width(), m_altitude->sizeHint().width(), m_clock->sizeHint().width()});
    const int width = widest + 2 * kMarginX;
    return {width, heightForWidth(width)};
}

void RVReadouts::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place();
}

bool RVReadouts::event(QEvent* event)
{
    // A label with a new text asks its parent for a new layout.
    if (event->type() == QEvent::LayoutRequest)
        place();
    return QWidget::event(event);
}

void RVReadouts::place()
{
    const bool stacked = !fitsOnOneLine(width());
    const int line = std::max({m_speed->sizeHint().height(), m_altitude->sizeHint().height(),
                               m_clock->sizeHint().height()});
    const int inner = std::max(0, width() - 2 * kMarginX);
    const auto put = [&](QLabel* label, int x, int row, int w) {
        label->setGeometry(x, kMarginY + row * line, std::max(0, w), line);
    };
    if (stacked) {
        put(m_speed, kMarginX, 0, inner);
        put(m_altitude, kMarginX, 1, inner);
        put(m_clock, kMarginX, 2, inner);
    } else {
        const int altitudeWidth = m_altitude->sizeHint().width();
        put(m_speed, kMarginX, 0, inner - altitudeWidth - kGap);
        put(m_altitude, width() - kMarginX - altitudeWidth, 0, altitudeWidth);
        put(m_clock, kMarginX, 1, inner);
    }
    if (stacked != m_stacked || minimumHeight() != heightForWidth(width())) {
        m_stacked = stacked;
        setFixedHeight(heightForWidth(width()));
        updateGeometry();
    }
}

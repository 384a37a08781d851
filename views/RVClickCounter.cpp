#include "views/RVClickCounter.h"

#include <cmath>

int RVClickCounter::press(Qt::MouseButton button, QPointF globalPosition, quint64 timestampMs,
                          int intervalMs, int maxDistance)
{
    const bool continues = m_count > 0 && button == m_button && timestampMs >= m_timestampMs &&
                           timestampMs - m_timestampMs <= quint64(std::max(intervalMs, 0)) &&
                           std::abs(globalPosition.x() - m_position.x()) <= maxDistance &&
                           std::abs(globalPosition.y() - m_position.y()) <= maxDistance;
    m_count = continues ? m_count + 1 : 1;
    m_button = button;
    m_position = globalPosition;
    m_timestampMs = timestampMs;
    return m_count;
}

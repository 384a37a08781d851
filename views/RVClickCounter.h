#pragma once

#include <QPointF>
#include <Qt>

// Counts the clicks of a multi-click the way the desktop does: a press of the same button
// within the double-click interval of the previous press, and close to it, continues the
// series (2, 3, 4 ...); anything else starts a new one at 1. Qt reports only "double", so a
// triple click would otherwise look like a double click followed by a single one.
class RVClickCounter final
{
public:
    // timestampMs: the event's time stamp; intervalMs: the double-click interval;
    // maxDistance: how far (pixels, either axis) the pointer may move between presses.
    int press(Qt::MouseButton button, QPointF globalPosition, quint64 timestampMs, int intervalMs,
              int maxDistance);
    void reset() { m_count = 0; }

private:
    Qt::MouseButton m_button = Qt::NoButton;
    QPointF m_position;
    quint64 m_timestampMs = 0;
    int m_count = 0;
};

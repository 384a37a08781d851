#include "timeline/RVGraphEnvelope.h"

#include <cmath>

RVGraphEnvelope::RVGraphEnvelope(std::size_t count, double plotWidth)
    : m_count(count), m_plotWidth(std::isfinite(plotWidth) ? plotWidth : 0)
{
    if (m_count < 2)
        return;
    if (double(m_count - 1) <= m_plotWidth) {
        m_mode = Mode::Samples;
        m_samples.reserve(m_count);
        return;
    }
    m_mode = Mode::Columns;
    // One column per whole pixel, both ends included; a plot narrower than a pixel has one.
    const double columns = m_plotWidth >= 1 ? std::round(m_plotWidth) + 1 : 1;
    m_columns.resize(std::size_t(columns));
}

double RVGraphEnvelope::columnX(std::size_t column) const
{
    if (m_columns.size() < 2)
        return 0;
    return double(column) * m_plotWidth / double(m_columns.size() - 1);
}

double RVGraphEnvelope::sampleX(std::size_t index) const
{
    return m_count < 2 ? 0 : double(index) * m_plotWidth / double(m_count - 1);
}

void RVGraphEnvelope::extendRange(double value)
{
    if (value > m_maximum)
        m_maximum = value;
    if (value < m_minimum)
        m_minimum = value;
}

void RVGraphEnvelope::addSample(double value)
{
    if (m_added >= m_count)
        return;
    m_samples.push_back(value);
    if (std::isfinite(value))
        extendRange(value);
}

void RVGraphEnvelope::addToColumn(double value)
{
    if (m_added >= m_count || !std::isfinite(value))
        return;
    extendRange(value);
    // The nearest column to the sample's x, in integers: round(i * (C - 1) / (N - 1)).
    const std::size_t last = m_columns.size() - 1;
    const std::size_t c = (m_added * last + (m_count - 1) / 2) / (m_count - 1);
    Column& column = m_columns[c];
    const auto index = std::uint32_t(std::min<std::size_t>(m_added, UINT32_MAX));
    if (!column.valid) {
        column = Column{value, value, index, index, true};
        return;
    }
    if (value < column.low) {
        column.low = value;
        column.lowIndex = index;
    } else if (value > column.high) {
        column.high = value;
        column.highIndex = index;
    }
}

#pragma once

#include <QDateTime>

#include <cstdint>
#include <limits>

// An absolute instant in whole milliseconds since 1970-01-01 00:00 UTC, or no time at all
// (a fix whose date or time could not be read). Eight bytes, so it costs a track point
// no more than a plain number.
class RVTimestamp final
{
public:
    constexpr RVTimestamp() noexcept = default;
    static constexpr RVTimestamp fromMSecsSinceEpoch(std::int64_t ms) noexcept
    {
        RVTimestamp t;
        t.m_ms = ms;
        return t;
    }
    static RVTimestamp fromDateTime(const QDateTime& dateTime)
    {
        return dateTime.isValid() ? fromMSecsSinceEpoch(dateTime.toMSecsSinceEpoch())
                                  : RVTimestamp();
    }

    constexpr bool isValid() const noexcept { return m_ms != kNone; }
    constexpr std::int64_t msecsSinceEpoch() const noexcept { return m_ms; }
    QDateTime toDateTime() const
    {
        return isValid() ? QDateTime::fromMSecsSinceEpoch(m_ms, Qt::UTC) : QDateTime();
    }

    friend constexpr bool operator==(RVTimestamp, RVTimestamp) noexcept = default;
    friend constexpr auto operator<=>(RVTimestamp, RVTimestamp) noexcept = default;

private:
    static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
    std::int64_t m_ms = kNone;
};

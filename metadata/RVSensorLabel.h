#pragma once

#include "core/RVTimestamp.h"

#include <QString>

#include <cstdint>
#include <optional>

// The time label of a G-sensor sample. Readers label a sample either with the time of the
// latest track point (shown as "dd-MM-yy HH:mm:ss.SSS" in local time), with a number (the
// BlackVue record's time counter, or "0" before the first point), or not at all. The label is
// kept in that form and turned into text only when shown or exported, which keeps a sample
// at 48 bytes instead of carrying a 21-character string.
class RVSensorLabel final
{
public:
    constexpr RVSensorLabel() noexcept = default;
    static constexpr RVSensorLabel number(std::int32_t value) noexcept
    {
        return RVSensorLabel(Kind::Number, value);
    }
    // A timestamp without time gives no label.
    static constexpr RVSensorLabel instant(RVTimestamp time) noexcept
    {
        return time.isValid() ? RVSensorLabel(Kind::Instant, time.msecsSinceEpoch())
                              : RVSensorLabel();
    }

    constexpr bool isNull() const noexcept { return m_kind == Kind::None; }
    // The instant of a label made by instant(); nothing for numbers and no label.
    constexpr std::optional<RVTimestamp> instantValue() const noexcept
    {
        return m_kind == Kind::Instant
                   ? std::optional<RVTimestamp>(RVTimestamp::fromMSecsSinceEpoch(m_value))
                   : std::nullopt;
    }
    // "%d" of a number, the export date format of an instant, a null string for no label.
    QString text() const;

    friend constexpr bool operator==(RVSensorLabel, RVSensorLabel) noexcept = default;

private:
    enum class Kind : std::uint8_t
    {
        None,
        Number,
        Instant
    };
    constexpr RVSensorLabel(Kind kind, std::int64_t value) noexcept : m_value(value), m_kind(kind)
    {}

    std::int64_t m_value = 0;
    Kind m_kind = Kind::None;
};

#pragma once

#include "core/RVTimestamp.h"

#include <QString>

#include <string_view>

// The two fixed, purely numeric date formats of the metadata layer. Both are immutable after
// construction and safe to use from several threads at once.
//   Nmea:   "HHmmss.SSS-ddMMyy" in UTC; parses an RMC sentence's time and date joined by "-".
//   Export: "dd-MM-yy HH:mm:ss.SSS" in the system's local time zone; labels sensor samples
//           and fills the spreadsheet tables' time column.
// Parsing is lenient where real receivers differ: the fraction may have no digits or any
// number of them (beyond milliseconds it is dropped) and two-digit years mean 2000-2099.
class RVDateFormatter final
{
public:
    enum class Pattern
    {
        Nmea,
        Export
    };
    explicit RVDateFormatter(Pattern pattern) : m_pattern(pattern) {}

    Pattern pattern() const { return m_pattern; }
    RVTimestamp parse(std::string_view text) const;
    QString format(RVTimestamp time) const;

private:
    Pattern m_pattern;
};

#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <string>

// The number format of the spreadsheet tables: the locale's decimal style with at most three
// fraction digits (rounded half to even on the shortest decimal form of the value, as the
// platform's number formatters do), no trailing zeros, the locale's digit grouping, and ","
// as decimal separator whatever the locale says. So in a locale that groups with "," 1234.5
// becomes "1,234,5"; in one that groups with "." it becomes "1.234,5". Digits are always
// ASCII. NaN is written "NaN" and infinities "∞" and "-∞".
class RVExcelNumberFormat final
{
public:
    explicit RVExcelNumberFormat(const QLocale& locale = QLocale());

    // Appends the formatted value as UTF-8, with at most fractionDigits (1 to 17) digits after
    // the separator; coordinates use 6.
    void append(std::string& out, double value, int fractionDigits = 3) const;
    std::string format(double value) const;

private:
    static constexpr int kMaxProbedDigits = 18;

    // For an integer part of n digits, bit k of m_groupMarks[n] is set when a group separator
    // follows the digit k places from the right (k >= 1).
    std::array<std::uint64_t, kMaxProbedDigits + 1> m_groupMarks{};
    // Beyond the probed lengths, groups repeat with this size.
    int m_highestMark = 0;
    int m_higherGroupSize = 3;
    std::string m_groupSeparator;
};

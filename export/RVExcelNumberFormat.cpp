#include "export/RVExcelNumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

RVExcelNumberFormat::RVExcelNumberFormat(const QLocale& locale)
{
    // The locale's grouping (group sizes, the minimum number of digits before grouping starts,
    // whether it groups at all) is read off how it writes 1, 10, 100, ... once per export.
    m_groupSeparator = locale.groupSeparator().toStdString();
    std::int64_t probe = 1;
    for (int digits = 1; digits <= kMaxProbedDigits; ++digits, probe *= 10) {
        const QString text = locale.toString(qlonglong(probe));
        std::uint64_t marks = 0;
        int digitsFromRight = 0;
        bool pendingSeparator = false;
        for (qsizetype i = text.size() - 1; i >= 0; --i) {
            if (text.at(i).isDigit()) {
                if (pendingSeparator && digitsFromRight > 0)
                    marks |= std::uint64_t(1) << digitsFromRight;
                pendingSeparator = false;
                ++digitsFromRight;
            } else {
                pendingSeparator = true;
            }
        }
        m_groupMarks[std::size_t(digits)] = marks;
    }
    // Size of the highest group of the longest probe, for even longer integer parts.
    const std::uint64_t marks = m_groupMarks[kMaxProbedDigits];
    int highest = 0;
    int previous = 0;
    for (int k = 1; k < 64; ++k) {
        if (marks & (std::uint64_t(1) << k)) {
            previous = highest;
            highest = k;
        }
    }
    m_highestMark = highest;
    if (previous > 0)
        m_higherGroupSize = highest - previous;
    else if (highest > 0)
        m_higherGroupSize = highest;
}

std::string RVExcelNumberFormat::format(double value) const
{
    std::string out;
    append(out, value);
    return out;
}

void RVExcelNumberFormat::append(std::string& out, double value, int fractionDigits) const
{
    fractionDigits = std::clamp(fractionDigits, 1, 17);
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-\xE2\x88\x9E" : "\xE2\x88\x9E";
        return;
    }
    // The shortest decimal text that reads back as the value: what a person would call it.
    // Fixed notation has at most 309 integer digits and 325 fraction digits.
    char buffer[700];
    const auto result =
        std::to_chars(buffer + 1, buffer + sizeof buffer, value, std::chars_format::fixed);
    char* begin = buffer + 1;
    char* end = result.ptr;
    const bool negative = *begin == '-';
    if (negative)
        ++begin;
    char* point = std::find(begin, end, '.');
    // Round to fractionDigits fraction digits, half to even.
    if (end - point > fractionDigits + 1) {
        char* cut = point + fractionDigits + 1;
        bool up = false;
        if (*cut > '5') {
            up = true;
        } else if (*cut == '5') {
            const bool tail = std::any_of(cut + 1, end, [](char c) { return c != '0'; });
            up = tail || ((cut[-1] - '0') % 2 == 1);
        }
        end = cut;
        if (up) {
            char* p = end - 1;
            for (;; --p) {
                if (p < begin) {
                    // Carried past the first digit: 999.9996 becomes 1000.
                    *--begin = '1';
                    break;
                }
                if (*p == '.')
                    continue;
                if (*p == '9') {
                    *p = '0';
                    continue;
                }
                ++*p;
                break;
            }
            point = std::find(begin, end, '.');
        }
    }
    // No trailing zeros, and no point without fraction digits.
    if (point != end) {
        while (end > point + 1 && end[-1] == '0')
            --end;
        if (end == point + 1)
            end = point;
    }
    const bool isZero = std::all_of(begin, end, [](char c) { return c == '0' || c == '.'; });
    if (negative && !isZero)
        out += '-';

    const auto integerDigits = int(point - begin);
    for (int k = 0; k < integerDigits; ++k) {
        out += begin[k];
        const int fromRight = integerDigits - 1 - k;
        if (fromRight == 0)
            break;
        bool separator = false;
        if (integerDigits <= kMaxProbedDigits)
            separator = m_groupMarks[std::size_t(integerDigits)] & (std::uint64_t(1) << fromRight);
        else if (fromRight <= m_highestMark)
            separator = m_groupMarks[kMaxProbedDigits] & (std::uint64_t(1) << fromRight);
        else if (m_highestMark > 0)
            separator = (fromRight - m_highestMark) % m_higherGroupSize == 0;
        if (separator)
            out += m_groupSeparator;
    }
    if (point != end) {
        out += ',';
        out.append(point + 1, end);
    }
}

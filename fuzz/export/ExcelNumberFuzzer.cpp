// Every finite double, formatted for the tables, reads back (integer part, "," and at most
// three fraction digits) to within half a thousandth, and with grouping removed it is the
// same text in every grouping locale.

#include "export/RVExcelNumberFormat.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size != sizeof(double))
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    static const RVExcelNumberFormat plain(QLocale::c());
    static const RVExcelNumberFormat american(QLocale(QLocale::English, QLocale::UnitedStates));
    static const RVExcelNumberFormat indian(QLocale(QLocale::Hindi, QLocale::India));
    const std::string text = plain.format(value);
    if (!std::isfinite(value))
        return 0;
    const std::size_t comma = text.find(',');
    std::string dotted = text;
    if (comma != std::string::npos)
        dotted[comma] = '.';
    // At most three fraction digits, no trailing zero, and within half a unit of the third
    // decimal plus the double's own spacing at large magnitudes.
    if ((comma != std::string::npos && (text.size() - comma - 1 > 3 || text.back() == '0')) ||
        std::fabs(std::strtod(dotted.c_str(), nullptr) - value) > 0.0005 + std::fabs(value) * 1e-15)
        std::abort();
    for (const RVExcelNumberFormat* grouped : {&american, &indian}) {
        std::string ungrouped = grouped->format(value);
        // The last "," is the decimal separator when there is a fraction.
        const std::size_t decimal =
            comma == std::string::npos ? std::string::npos : ungrouped.rfind(',');
        std::string integer = ungrouped.substr(0, decimal);
        std::erase(integer, ',');
        if (integer + (decimal == std::string::npos ? "" : ungrouped.substr(decimal)) != text)
            std::abort();
    }
    return 0;
}

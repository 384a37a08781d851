#include "metadata/RVDateFormatter.h"

#include "core/RVCivilTime.h"

#include <cstdio>

namespace {

// "dd-MM-yy HH:mm:ss.SSS" read back in local time, with the same fraction leniency as the
// NMEA times. Used when a label or a table cell has to be turned back into an instant.
RVTimestamp parseExport(std::string_view text)
{
    if (text.size() < 17 || text[2] != '-' || text[5] != '-' || text[8] != ' ' || text[11] != ':' ||
        text[14] != ':')
        return RVTimestamp();
    char date[6] = {text[0], text[1], text[3], text[4], text[6], text[7]};
    RVCivilTime::Fields fields;
    if (!RVCivilTime::parseDayMonthYear(std::string_view(date, 6), fields))
        return RVTimestamp();
    // Rebuild "HHmmss" followed by the original fraction (if any).
    char time[64];
    const std::string_view rest = text.substr(17);
    if (rest.size() > sizeof time - 6)
        return RVTimestamp();
    time[0] = text[9];
    time[1] = text[10];
    time[2] = text[12];
    time[3] = text[13];
    time[4] = text[15];
    time[5] = text[16];
    for (std::size_t i = 0; i < rest.size(); ++i)
        time[6 + i] = rest[i];
    if (!RVCivilTime::parseTimeOfDay(std::string_view(time, 6 + rest.size()), fields))
        return RVTimestamp();
    return RVCivilTime::localInstant(fields);
}

} // namespace

RVTimestamp RVDateFormatter::parse(std::string_view text) const
{
    if (m_pattern == Pattern::Export)
        return parseExport(text);
    // "HHmmss.SSS-ddMMyy": the time of day and the date joined by the first "-" (neither part
    // can hold one).
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return RVTimestamp();
    RVCivilTime::Fields fields;
    if (!RVCivilTime::parseTimeOfDay(text.substr(0, dash), fields) ||
        !RVCivilTime::parseDayMonthYear(text.substr(dash + 1), fields))
        return RVTimestamp();
    return RVCivilTime::utcInstant(fields);
}

QString RVDateFormatter::format(RVTimestamp time) const
{
    std::optional<RVCivilTime::Fields> fields;
    if (m_pattern == Pattern::Export) {
        fields = RVCivilTime::localFields(time);
    } else if (time.isValid()) {
        // UTC calendar fields from the instant; only NMEA round trips need this.
        const std::int64_t ms = time.msecsSinceEpoch();
        std::int64_t days = ms / 86400000;
        std::int64_t rest = ms % 86400000;
        if (rest < 0) {
            rest += 86400000;
            --days;
        }
        // civil_from_days, the inverse of daysFromCivil.
        const std::int64_t z = days + 719468;
        const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const std::int64_t doe = z - era * 146097;
        const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const std::int64_t mp = (5 * doy + 2) / 153;
        RVCivilTime::Fields f;
        f.day = int(doy - (153 * mp + 2) / 5 + 1);
        f.month = int(mp < 10 ? mp + 3 : mp - 9);
        f.year = int(yoe + era * 400 + (f.month <= 2 ? 1 : 0));
        f.hour = int(rest / 3600000);
        f.minute = int(rest / 60000 % 60);
        f.second = int(rest / 1000 % 60);
        f.millisecond = int(rest % 1000);
        fields = f;
    }
    if (!fields)
        return QString();
    const RVCivilTime::Fields& f = *fields;
    const int yy = ((f.year % 100) + 100) % 100;
    char buffer[48];
    int length = 0;
    if (m_pattern == Pattern::Export)
        length = std::snprintf(buffer, sizeof buffer, "%02d-%02d-%02d %02d:%02d:%02d.%03d", f.day,
                               f.month, yy, f.hour, f.minute, f.second, f.millisecond);
    else
        length = std::snprintf(buffer, sizeof buffer, "%02d%02d%02d.%03d-%02d%02d%02d", f.hour,
                               f.minute, f.second, f.millisecond, f.day, f.month, yy);
    return QString::fromLatin1(buffer, length);
}

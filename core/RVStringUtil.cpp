#include "core/RVStringUtil.h"

#include <cmath>
#include <cstdint>
#include <limits>

QString RVStringUtil::time(double seconds, const char* format)
{
    // Truncate toward zero into 32 bits; out-of-range and NaN inputs saturate instead of
    // invoking undefined behaviour.
    std::int32_t s = 0;
    if (std::isnan(seconds))
        s = 0;
    else if (seconds >= double(std::numeric_limits<std::int32_t>::max()))
        s = std::numeric_limits<std::int32_t>::max();
    else if (seconds <= double(std::numeric_limits<std::int32_t>::min()))
        s = std::numeric_limits<std::int32_t>::min();
    else
        s = std::int32_t(std::trunc(seconds));
    const std::int32_t m = s / 60;
    const std::int32_t r = s - 60 * m;
    return QString::asprintf(format, int(m), int(r));
}

QMap<QString, QString> RVStringUtil::createDictionaryFromText(const QString& text)
{
    QMap<QString, QString> result;
    if (text.isNull())
        return result;
    QString cleaned = text;
    cleaned.remove(QLatin1Char('\r'));
    const auto lines = QStringView(cleaned).split(QLatin1Char('\n'));
    for (const QStringView line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        result.insert(line.left(equals).toString(), line.mid(equals + 1).toString());
    }
    return result;
}

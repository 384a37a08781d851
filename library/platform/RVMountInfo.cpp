#include "library/platform/RVMountInfo.h"

#include <QByteArray>

#include <charconv>
#include <optional>

namespace {

std::vector<QByteArrayView> splitFields(QByteArrayView line)
{
    std::vector<QByteArrayView> fields;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool blank = i == line.size() || line[i] == ' ' || line[i] == '\t';
        if (blank && start >= 0) {
            fields.push_back(line.sliced(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return fields;
}

template <typename Integer>
std::optional<Integer> toInteger(QByteArrayView text)
{
    Integer value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.isEmpty())
        return std::nullopt;
    return value;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

std::optional<RVMountEntry> parseLine(QByteArrayView line)
{
    const std::vector<QByteArrayView> fields = splitFields(line);
    // Five leading fields, the per-mount options, the separator, type and source.
    if (fields.size() < 9)
        return std::nullopt;
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != QByteArrayView("-"))
        ++separator;
    if (separator + 2 >= fields.size())
        return std::nullopt;

    RVMountEntry entry;
    const auto mountId = toInteger<int>(fields[0]);
    const auto parentId = toInteger<int>(fields[1]);
    const qsizetype colon = fields[2].indexOf(':');
    if (!mountId || !parentId || colon < 0)
        return std::nullopt;
    const auto major = toInteger<std::uint32_t>(fields[2].first(colon));
    const auto minor = toInteger<std::uint32_t>(fields[2].sliced(colon + 1));
    if (!major || !minor)
        return std::nullopt;
    entry.mountId = *mountId;
    entry.parentId = *parentId;
    entry.major = *major;
    entry.minor = *minor;
    entry.root = RVMountInfo::unescape(fields[3]);
    entry.mountPoint = RVMountInfo::unescape(fields[4]);
    entry.fileSystemType = RVMountInfo::unescape(fields[separator + 1]);
    entry.source = RVMountInfo::unescape(fields[separator + 2]);
    if (!entry.mountPoint.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return entry;
}

} // namespace

namespace RVMountInfo {

std::vector<RVMountEntry> parse(QByteArrayView table)
{
    std::vector<RVMountEntry> entries;
    qsizetype start = 0;
    while (start < table.size()) {
        qsizetype end = table.indexOf('\n', start);
        if (end < 0)
            end = table.size();
        if (std::optional<RVMountEntry> entry = parseLine(table.sliced(start, end - start)))
            entries.push_back(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

QString unescape(QByteArrayView field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            bytes.append(char(value & 0xFF));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return QString::fromUtf8(bytes);
}

} // namespace RVMountInfo

#include "core/RVNativePath.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[i], or 0 when it is not one (overlong
// forms, surrogates and values past U+10FFFF are invalid); its code point in value.
int validSequenceLength(const unsigned char* bytes, qsizetype size, qsizetype i, char32_t& value)
{
    const unsigned char lead = bytes[i];
    value = lead;
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > size)
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = bytes[i + k];
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString RVNativePath::decode(const QByteArray& bytes)
{
    // Decoded here rather than by QString::fromUtf8, which would drop the bytes EF BB BF at
    // the start of a run as a byte-order mark.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString result;
    result.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        char32_t value = 0;
        const int length = validSequenceLength(data, size, i, value);
        if (length == 0) {
            result += QChar(char16_t(kEscapeBase + data[i]));
            ++i;
            continue;
        }
        if (value > 0xFFFF) {
            result += QChar(QChar::highSurrogate(value));
            result += QChar(QChar::lowSurrogate(value));
        } else {
            result += QChar(char16_t(value));
        }
        i += length;
    }
    return result;
}

QByteArray RVNativePath::encode(const QString& path)
{
    QByteArray result;
    result.reserve(path.size());
    qsizetype runStart = 0;
    const qsizetype size = path.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = path.at(i).unicode();
        // Only a lone low surrogate is an escaped byte; one after a high surrogate is half of
        // a real character.
        const bool escaped = unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF &&
                             (i == 0 || !path.at(i - 1).isHighSurrogate());
        if (!escaped)
            continue;
        result += QStringView(path).mid(runStart, i - runStart).toUtf8();
        result += char(unit - kEscapeBase);
        runStart = i + 1;
    }
    result += QStringView(path).mid(runStart).toUtf8();
    return result;
}

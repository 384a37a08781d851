#include "tools/korvela-export/RVJsonWriter.h"

#include <charconv>
#include <cmath>

namespace {

constexpr std::size_t kFlushThreshold = 64 * 1024;

void appendEscaped(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out.push_back(kHex[byte >> 4]);
                out.push_back(kHex[byte & 0xF]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

} // namespace

RVJsonWriter::~RVJsonWriter()
{
    flush();
}

std::string RVJsonWriter::numberText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string RVJsonWriter::quoted(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 2);
    appendEscaped(out, utf8);
    return out;
}

void RVJsonWriter::indent(std::size_t depth)
{
    m_buffer.push_back('\n');
    m_buffer.append(depth, ' ');
}

void RVJsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    if (!level.empty)
        m_buffer.push_back(',');
    level.empty = false;
    if (level.layout == Layout::OnePerLine)
        indent(m_levels.size());
}

void RVJsonWriter::beginArray(Layout layout)
{
    beforeValue();
    m_buffer.push_back('[');
    m_levels.push_back({layout});
}

void RVJsonWriter::endArray()
{
    const bool lineBreak = m_levels.back().layout == Layout::OnePerLine && !m_levels.back().empty;
    m_levels.pop_back();
    if (lineBreak)
        indent(m_levels.size());
    m_buffer.push_back(']');
    maybeFlush();
}

void RVJsonWriter::beginObject()
{
    beforeValue();
    m_buffer.push_back('{');
    m_levels.push_back({Layout::Compact});
}

void RVJsonWriter::endObject()
{
    m_levels.pop_back();
    m_buffer.push_back('}');
    maybeFlush();
}

void RVJsonWriter::key(std::string_view name)
{
    Level& level = m_levels.back();
    if (!level.empty)
        m_buffer.push_back(',');
    level.empty = false;
    appendEscaped(m_buffer, name);
    m_buffer.push_back(':');
    m_afterKey = true;
}

void RVJsonWriter::string(std::string_view utf8)
{
    beforeValue();
    appendEscaped(m_buffer, utf8);
}

void RVJsonWriter::string(const QString& text)
{
    // A file name's bytes that are not UTF-8 arrive as lone surrogates U+DC80..U+DCFF
    // (RVNativePath); UTF-8 has no form for them, so they are written as \udcXX escapes, which
    // keep the byte for a reader that wants it back (as Python's surrogateescape does).
    static constexpr char kHex[] = "0123456789abcdef";
    beforeValue();
    std::string out;
    qsizetype start = 0;
    const auto flushRun = [&](qsizetype end) {
        const QByteArray utf8 = text.mid(start, end - start).toUtf8();
        std::string escaped;
        appendEscaped(escaped, std::string_view(utf8.constData(), std::size_t(utf8.size())));
        out += escaped.substr(1, escaped.size() - 2); // without its quotes
    };
    out.push_back('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool paired = QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                            QChar::isLowSurrogate(text[i + 1].unicode());
        if (paired) {
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(unit))
            continue;
        flushRun(i);
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(kHex[(unit >> shift) & 0xF]);
        start = i + 1;
    }
    flushRun(text.size());
    out.push_back('"');
    m_buffer += out;
}

void RVJsonWriter::stringOrNull(const QString& text)
{
    if (text.isNull())
        null();
    else
        string(text);
}

void RVJsonWriter::number(double value)
{
    if (!std::isfinite(value)) {
        null();
        return;
    }
    beforeValue();
    m_buffer += numberText(value);
}

void RVJsonWriter::null()
{
    beforeValue();
    m_buffer += "null";
}

void RVJsonWriter::raw(std::string_view json)
{
    beforeValue();
    m_buffer += json;
}

void RVJsonWriter::maybeFlush()
{
    if (m_buffer.size() >= kFlushThreshold)
        flush();
}

bool RVJsonWriter::flush()
{
    if (!m_buffer.empty() && !m_failed) {
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out) != m_buffer.size())
            m_failed = true;
    }
    m_buffer.clear();
    if (!m_failed && std::fflush(m_out) != 0)
        m_failed = true;
    return !m_failed;
}

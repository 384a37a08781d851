#pragma once

#include <QString>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Writes JSON to a stdio stream as it goes, so a day-long track never has to exist as one
// document in memory. The caller says what comes next (begin/end, key, value); the writer adds
// the commas, escapes strings, and keeps about 64 KiB buffered.
//
// Numbers are written with the shortest text that reads back to the same double. NaN and the
// infinities have no JSON form and are written as null, as JavaScript's JSON.stringify does.
//
// Arrays begun with Layout::OnePerLine put each element on its own line, indented by depth,
// so that large lists stay readable and diffable; everything else is compact.
class RVJsonWriter final
{
public:
    enum class Layout
    {
        Compact,
        OnePerLine
    };

    explicit RVJsonWriter(std::FILE* out) : m_out(out) {}
    // Into memory: flush() appends what is buffered to `text`.
    explicit RVJsonWriter(std::string* text) : m_text(text) {}
    ~RVJsonWriter();
    RVJsonWriter(const RVJsonWriter&) = delete;
    RVJsonWriter& operator=(const RVJsonWriter&) = delete;

    void beginArray(Layout layout = Layout::Compact);
    void endArray();
    void beginObject();
    void endObject();
    // Inside an object: the member's name; the next call writes its value.
    void key(std::string_view name);

    void string(std::string_view utf8);
    void string(const QString& text);
    // A null QString is written as null, any other (also empty) as a string.
    void stringOrNull(const QString& text);
    void number(double value);
    void null();
    // Text that is already valid JSON (for example a cached escaped string).
    void raw(std::string_view json);

    // Ends the current line (after the last element of a one-per-line document).
    void newline() { m_buffer.push_back('\n'); }
    // Writes what is buffered; false once any write to the stream has failed.
    bool flush();
    bool failed() const { return m_failed; }

    // The shortest round-trip text of a finite double ("18.519999980926514", "150", "-0").
    static std::string numberText(double value);
    // A JSON string literal, quotes included.
    static std::string quoted(std::string_view utf8);

private:
    struct Level
    {
        Layout layout;
        bool empty = true;
    };

    void beforeValue();
    void indent(std::size_t depth);
    void maybeFlush();

    std::FILE* m_out = nullptr;
    std::string* m_text = nullptr;
    std::string m_buffer;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
    bool m_failed = false;
};

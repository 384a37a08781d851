#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// Splitting of metadata texts into lines and comma-separated fields, as views into the text:
// the line scans run over megabytes of NMEA, so nothing here allocates.

// Lines separated by "\n" only; a "\r" before it stays at the end of the line. A text ending
// in "\n" yields a last, empty line, as a plain split would.
class RVLineSplitter final
{
public:
    explicit RVLineSplitter(std::string_view text) : m_rest(text) {}
    bool next(std::string_view& line);

private:
    std::string_view m_rest;
    bool m_done = false;
};

// The fields of a line split at every comma, empty fields kept (so numbers never shift).
// The first kKept fields are kept as views; all of them are counted.
class RVFieldSplitter final
{
public:
    static constexpr std::size_t kKept = 16;
    explicit RVFieldSplitter(std::string_view line) : RVFieldSplitter(line, std::size_t(-1)) {}
    // Splits off no more than the first `fields` fields (at least one), for a reader that
    // needs no more: count() is exact when the line has no more fields than that, and
    // `fields` + 1 when it has more, whose text is left unread (an empty field).
    RVFieldSplitter(std::string_view line, std::size_t fields);

    // Field `index` alone, or nothing when the line has fewer fields: for a reader that needs
    // one field, without keeping the ones before it.
    static std::optional<std::string_view> field(std::string_view line, std::size_t index);

    std::size_t count() const { return m_count; }
    // Field i, or an empty view beyond the kept ones.
    std::string_view operator[](std::size_t i) const
    {
        return i < kKept && i < m_count ? std::string_view(m_fields[i].data, m_fields[i].size)
                                        : std::string_view();
    }

private:
    // Left uninitialized: only the first count() are ever read, and a splitter is made for
    // every line of a log, where zeroing 256 bytes each time was a fifth of the split.
    struct Field
    {
        const char* data;
        std::size_t size;
    };
    Field m_fields[kKept];
    std::size_t m_count = 0;
};

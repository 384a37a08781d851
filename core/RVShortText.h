#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

// A short byte text held inline when it has at most 15 bytes and on the heap beyond that.
// Every coordinate text a reader produces ("-179.999999") fits inline, so a track point
// carries its two coordinate texts in 32 bytes with no allocation.
//
// Layout (16 bytes): inline, bytes 0..14 hold the text and byte 15 holds 15 - size (so a
// 15-byte text ends in a NUL); on the heap, the first 8 bytes are the pointer, the next 4 the
// size, and byte 15 is kHeapTag.
class RVShortText final
{
public:
    RVShortText() noexcept;
    explicit RVShortText(std::string_view text);
    RVShortText(const RVShortText& other);
    RVShortText(RVShortText&& other) noexcept;
    RVShortText& operator=(const RVShortText& other);
    RVShortText& operator=(RVShortText&& other) noexcept;
    ~RVShortText();

    std::string_view view() const noexcept;
    QString toString() const { return QString::fromUtf8(view().data(), qsizetype(view().size())); }
    bool isEmpty() const noexcept { return view().empty(); }

    friend bool operator==(const RVShortText& a, const RVShortText& b) noexcept
    {
        return a.view() == b.view();
    }

private:
    static constexpr std::uint8_t kHeapTag = 0xFF;
    static constexpr std::size_t kInlineCapacity = 15;

    bool isHeap() const noexcept { return std::uint8_t(m_bytes[15]) == kHeapTag; }
    void assign(std::string_view text);
    void release() noexcept;

    union {
        char m_bytes[16];
        struct
        {
            char* data;
            std::uint32_t size;
        } m_heap;
    };
};

static_assert(sizeof(RVShortText) == 16);

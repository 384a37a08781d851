#include "core/RVShortText.h"

#include <cstring>
#include <utility>

RVShortText::RVShortText() noexcept
{
    std::memset(m_bytes, 0, sizeof m_bytes);
    m_bytes[15] = char(kInlineCapacity);
}

RVShortText::RVShortText(std::string_view text) : RVShortText()
{
    assign(text);
}

RVShortText::RVShortText(const RVShortText& other) : RVShortText()
{
    assign(other.view());
}

RVShortText::RVShortText(RVShortText&& other) noexcept
{
    std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
    std::memset(other.m_bytes, 0, sizeof other.m_bytes);
    other.m_bytes[15] = char(kInlineCapacity);
}

RVShortText& RVShortText::operator=(const RVShortText& other)
{
    if (this != &other) {
        RVShortText copy(other);
        *this = std::move(copy);
    }
    return *this;
}

RVShortText& RVShortText::operator=(RVShortText&& other) noexcept
{
    if (this != &other) {
        release();
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        std::memset(other.m_bytes, 0, sizeof other.m_bytes);
        other.m_bytes[15] = char(kInlineCapacity);
    }
    return *this;
}

RVShortText::~RVShortText()
{
    release();
}

std::string_view RVShortText::view() const noexcept
{
    if (isHeap())
        return {m_heap.data, m_heap.size};
    return {m_bytes, kInlineCapacity - std::size_t(std::uint8_t(m_bytes[15]))};
}

void RVShortText::assign(std::string_view text)
{
    release();
    std::memset(m_bytes, 0, sizeof m_bytes);
    if (text.size() <= kInlineCapacity) {
        std::memcpy(m_bytes, text.data(), text.size());
        m_bytes[15] = char(kInlineCapacity - text.size());
        return;
    }
    // Longer texts are rare (a garbage coordinate field); they get their own copy.
    const auto size = std::uint32_t(std::min<std::size_t>(text.size(), UINT32_MAX));
    char* data = new char[size];
    std::memcpy(data, text.data(), size);
    m_heap.data = data;
    m_heap.size = size;
    m_bytes[15] = char(kHeapTag);
}

void RVShortText::release() noexcept
{
    if (isHeap()) {
        delete[] m_heap.data;
        std::memset(m_bytes, 0, sizeof m_bytes);
        m_bytes[15] = char(kInlineCapacity);
    }
}

// What every fuzz target starts from: the input as text, as bytes, or as a file in memory open
// for reading. Also brings the entry point's integer types and std::abort, which checks call.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Converts implicitly to QByteArrayView, so QString::fromUtf8(fuzzText(...)) reads it too.
inline std::string_view fuzzText(const std::uint8_t* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

inline QByteArray fuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

struct FuzzFile
{
    FuzzFile(const std::uint8_t* data, std::size_t size)
        : bytes(fuzzBytes(data, size)), buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
    }
    QByteArray bytes;
    QBuffer buffer;
};

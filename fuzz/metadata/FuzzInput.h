// What the fuzz targets of the metadata readers start from: the input as text, or as a file in
// memory open for reading.
#pragma once

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string_view>

inline std::string_view fuzzText(const std::uint8_t* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

struct FuzzFile
{
    FuzzFile(const std::uint8_t* data, std::size_t size)
        : bytes(reinterpret_cast<const char*>(data), qsizetype(size)), buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
    }
    QByteArray bytes;
    QBuffer buffer;
};

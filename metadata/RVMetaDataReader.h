#pragma once

#include "metadata/RVMetaData.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>

// The contract of a camera format's reader: given the full path of a video file, return the
// recording's metadata when this reader recognises the recording and could read its source
// as text (even if the text gave no points), or nothing when it is not this reader's format.
// A fresh reader is made for every call; readers keep no state between calls.
class RVMetaDataReader
{
public:
    virtual ~RVMetaDataReader() = default;
    virtual std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const
    {
        (void)videoPath;
        return std::nullopt;
    }

    // One camera family: the name its recordings are reported under and a maker of a fresh
    // reader.
    struct Entry
    {
        const char* format;
        std::unique_ptr<RVMetaDataReader> (*make)();
    };
    // Every camera family's reader, in the order the dispatcher asks them
    // (RVMetaDataReaders.cpp).
    static std::span<const Entry> all();
};

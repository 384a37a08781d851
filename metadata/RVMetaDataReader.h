#pragma once

#include "metadata/RVMetaData.h"

#include <QString>

#include <optional>

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
};

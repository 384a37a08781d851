#pragma once

#include "metadata/RVMetaData.h"

#include <QString>

#include <optional>

// A recording's metadata as the dispatcher returns it, together with the name of the camera
// format whose reader recognised it ("BlackVue", "Mini", "Korvela", "Novatek", "70mai"; null
// when none did).
struct RVRecordingMetaData final
{
    QString format;
    std::optional<RVMetaData> metaData;
    // Set when no reader gave metadata and one knew the recording for its own but could not
    // read it (an I/O error, a file over its limit): a failure, not a recording without data.
    QString readError;
};

// The dispatcher's reading, with the name of the reader that won.
RVRecordingMetaData readRecordingMetaData(const QString& videoPath);

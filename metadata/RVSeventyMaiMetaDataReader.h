#pragma once

#include "metadata/RVMetaDataReader.h"

#include "core/RVTimestamp.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of 70mai cameras, which keep the track in a top-level "GPS " box of the video (see
// the .cpp for the layout).
class RVSeventyMaiMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The track of a video read from device; start is the clip's start (no time when unknown).
    // Nothing when the video has no "GPS " box.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVTimestamp start, const QString& name);
    // The "GPS " payload as a track.
    static RVMetaData readRecords(std::string_view records, RVTimestamp start);
    // The clip's start from its name, NOYYYYMMDD-HHMMSS-nnnnnn<F|B>.MP4, in local time.
    static RVTimestamp startFromName(const QString& fileName);
};

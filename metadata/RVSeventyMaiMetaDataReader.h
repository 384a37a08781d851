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
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The track of a video read from device; start is the clip's start (no time when unknown).
    // Nothing when the video has no "GPS " box (not mine), when the box cannot be read or none
    // of its records holds a fix; why then says which.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVTimestamp start, const QString& name,
                                                  RVDecline* why = nullptr);
    // The "GPS " payload as a track.
    static RVMetaData readRecords(std::string_view records, RVTimestamp start);
};

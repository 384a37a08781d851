#pragma once

#include "metadata/RVMetaDataReader.h"

#include <string_view>

// Reader of plain NMEA logs written beside the video (see the .cpp for where and how).
class RVNmeaLogMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The log beside the video, or an empty string when there is none.
    static QString findLog(const QString& videoPath);
    // The track of a log's text; nothing when the text holds no GGA or RMC sentence.
    static std::optional<RVMetaData> readLogText(std::string_view text);
};

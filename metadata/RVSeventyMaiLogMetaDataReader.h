#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QStringList>

#include <string_view>

// Reader of the running GPS logs of 70mai cameras that keep no track inside the video (see
// the .cpp for the format and how a recording finds its lines).
class RVSeventyMaiLogMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The logs that may cover the video: those of the nearest folder, from the video's own
    // up to the card's root, that holds any. Sorted by name.
    static QStringList findLogs(const QString& videoPath);
    // The lines of a log's text that belong to the recording whose file name is given; nothing
    // when the text is no such log.
    static std::optional<RVMetaData> readLogText(std::string_view text,
                                                 const QString& videoFileName);
};

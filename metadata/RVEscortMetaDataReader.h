#pragma once

#include "metadata/RVMetaDataReader.h"

#include <string_view>

// Reader of Escort M2 cameras' logs, a ".map" file beside each video (see the .cpp).
class RVEscortMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The log's text; its times as written (the camera's clock, localClock).
    static RVMetaData readLog(std::string_view text);
};

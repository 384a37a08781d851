#pragma once

#include "metadata/RVMetaDataReader.h"

#include <string_view>

// Reader of DriveVision cameras' logs, one a recording in the card's "GPSdata" folder (see the
// .cpp).
class RVDriveVisionMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The log's text; its times as written (the camera's clock, localClock).
    static RVMetaData readLog(std::string_view text);
};

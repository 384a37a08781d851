#pragma once

#include "metadata/RVMetaDataReader.h"

// Reader of iBox RoadScan and newer Rove R2-4K cameras (SigmaStar firmware), which keep a
// 32-byte record a second in an "ssmd" track of the video: Neoline's record with NMEA
// coordinates (RVNeolineMetaDataReader.cpp tells the layout).
class RVIBoxMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
};

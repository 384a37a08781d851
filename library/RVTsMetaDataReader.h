#pragma once

#include "metadata/RVMetaDataReader.h"

#include <string_view>

// Reader of MPEG transport stream recordings (.TS) of Novatek cameras in their TS mode (see the
// .cpp). It reads the container with FFmpeg, so it lives in this layer and joins the
// dispatcher's list through RVMetaDataReader::addReader (install()).
class RVTsMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // Adds this reader to the dispatcher's list (once; every later call does nothing).
    static void install();

    // What one packet of the private data stream gives: a fix, a sensor sample, both or
    // neither, and whether its bytes were a record at all.
    struct Record
    {
        bool recognised = false;
        std::optional<RVPoint> point;
        double speedKmh = 0;
        std::optional<RVSensorData> sample;
    };
    static Record readRecord(std::string_view payload);
};

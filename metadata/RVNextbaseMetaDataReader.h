#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Nextbase cameras of the 322GW family, which keep fixed-size records of time,
// G-sensor and NMEA sentences as the cues of a subtitle track (see the .cpp).
class RVNextbaseMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // True when the cue (its text, after the length) has the record's layout.
    static bool isRecord(std::string_view cue);
};

#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of GoPro cameras, which keep their GPS fixes and sensor samples in a timed metadata
// track of the video ("gpmd" samples in GPMF, see the .cpp).
class RVGoProMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The track of a whole video read from device (fileSize bytes); nothing when it holds no
    // GPMF track.
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // What one GPMF sample (a second or so of data) adds to data. durationSeconds, the
    // sample's length on the track's time line, spaces fixes that carry no time of their own.
    // False when the sample holds no GPMF item.
    static bool readSample(std::string_view sample, double durationSeconds, RVMetaData& data);
};

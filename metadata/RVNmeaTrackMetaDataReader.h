#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

class QIODevice;

// Reader of NMEA sentences that a camera of no known family writes as the cues of a subtitle
// track of its video (see the .cpp). Asked after every camera family's reader.
class RVNmeaTrackMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // Nothing when no subtitle track holds an RMC or GGA sentence (why says more).
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
};

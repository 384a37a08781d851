#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

class QIODevice;

// Reader of cameras that append "LIGOGPSINFO" records to the video in trailers after its last
// box (Beferich J18 and kin; see the .cpp).
class RVLigoTrailerMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
};

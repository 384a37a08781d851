#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

class QIODevice;

// Reader of cameras that keep a record of XORed text a sample in a data or text track of the
// video (Rove Stealth 4K and other Ambarella A12 cameras, BlueSkySea; see the .cpp).
class RVXorTextMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
};

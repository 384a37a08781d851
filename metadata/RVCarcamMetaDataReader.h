#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

class QIODevice;

// Reader of CARCAM 4CH cameras (SigmaStar), which keep scrambled "LIGOGPSINFO" records in the
// samples of an "ssmd" data track (see the .cpp).
class RVCarcamMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
};

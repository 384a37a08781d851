#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Kenwood cameras that keep their track as text after the movie or in a top-level
// "udta" box rather than in freeGPS blocks (see the .cpp).
class RVKenwoodMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
    // The records of a trailer after its run of "C"s, and of a "udta" box's payload.
    static RVMetaData readTrailer(std::string_view text);
    static RVMetaData readUserData(std::string_view payload);
};

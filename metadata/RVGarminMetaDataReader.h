#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <optional>
#include <string_view>

class QIODevice;

// Reader of Garmin dash cameras, which keep binary "PNDM" records in a text track of the
// video (see the .cpp).
class RVGarminMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // The record of one sample, from "PNDM" on; nothing when the sample holds none.
    static std::optional<std::string_view> record(std::string_view sample);
};

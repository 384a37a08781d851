#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Wolfbox (G900) and Redtiger (F9) cameras, which keep binary records of scaled
// 64-bit values in a "gpmd" track of the video (see the .cpp).
class RVWolfboxMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    static bool isRecord(std::string_view record);
    // Adds the record's fix to data; false when it is not a record or holds no position.
    static bool readRecord(std::string_view record, RVMetaData& data);
};

#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Vantrue cameras (N2S), which keep binary "FMAS" records in a "gpmd" track of the
// video (see the .cpp).
class RVVantrueMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // Adds one record's fix and G-sensor sample to data; false when it is not a record.
    static bool readRecord(std::string_view record, RVMetaData& data);
};

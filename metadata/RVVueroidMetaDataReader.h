#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Vueroid cameras (S1 4K Infinite and kin), which keep 72-byte binary records in a
// "tvxt" track of the video (see the .cpp).
class RVVueroidMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // Adds the record's fix and G-sensor sample to data; false when it holds no usable fix.
    static bool readRecord(std::string_view record, RVMetaData& data);
};

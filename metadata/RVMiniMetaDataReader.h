#pragma once

#include "metadata/RVMetaDataReader.h"

#include <string_view>

// Reader of Mini cameras' per-fix logs (see the .cpp for the format).
class RVMiniMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The log's text as a bundle whose relatedFiles holds logPath alone.
    static RVMetaData readMetaDataFromFile(const QString& logPath, std::string_view text);
};

#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <optional>
#include <string_view>
#include <vector>

class QIODevice;

// Reader of cameras built on Novatek chips (Viofo, Street Guardian, Azdome and many others),
// which keep one "freeGPS " block a second inside the video (see the .cpp for the layouts).
class RVNovatekMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The track of a whole video read from device (fileSize bytes); nothing when it holds
    // neither a block index nor a block.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  const QString& name);

    // What one block gives: a fix, a sensor sample, both or neither.
    struct Block
    {
        std::optional<RVPoint> point;
        double speedKmh = 0;
        std::optional<RVSensorData> sample;
    };
    // Decodes the first bytes of a block (from its size field on; kBlockHeadBytes suffice).
    static Block readBlock(std::string_view block);
    static constexpr qint64 kBlockHeadBytes = 512;

    // The block offsets listed by a "gps " index payload; complete is false when the index
    // claims more entries than it holds.
    static std::vector<qint64> readIndex(std::string_view payload, bool& complete);
};

#pragma once

#include "metadata/RVMetaDataReader.h"
#include "metadata/freegps/RVFreeGps.h"

#include <QtGlobal>

#include <optional>
#include <string_view>
#include <vector>

class QIODevice;

// Reader of cameras built on Novatek chips (Viofo, Kenwood, Nextbase, Vantrue, Transcend and
// many others), which keep one "freeGPS " block a second inside the video (see the .cpp for
// where, and metadata/freegps/ for the layouts inside the blocks).
class RVNovatekMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The track of a whole video read from device (fileSize bytes). Nothing when it holds
    // neither a block index nor a block (not mine), or when its blocks give neither a fix nor
    // a sensor sample: why then says whether they were encrypted, without a fix yet or in a
    // layout not known, and where the first such block lies.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  const QString& name, RVDecline* why = nullptr);
    static constexpr qint64 kBlockHeadBytes = 0x410;

    // Where the blocks of a video are: the offsets the index lists or the scan found, in file
    // order, and whether the video has an index at all. Nothing of the blocks is decoded.
    struct Places
    {
        std::vector<qint64> offsets;
        bool haveIndex = false;
        qint64 indexOffset = -1; // the "gps " box, when there is one
        RVFreeGps::FileHints hints;
    };
    static Places findBlocks(QIODevice& device, qint64 fileSize, const QString& name);

    // The block offsets listed by a "gps " index payload; complete is false when the index
    // claims more entries than it holds.
    static std::vector<qint64> readIndex(std::string_view payload, bool& complete);
};

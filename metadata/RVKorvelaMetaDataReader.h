#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string_view>

class QIODevice;

// Reader of the maker's own cameras (see the .cpp for the format). The last reader the
// dispatcher asks, so every recording the others do not claim is tried here.
class RVKorvelaMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    // Declines as Unreadable when a side text or the video cannot be opened or read, or is
    // over its size limit.
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // The side texts of the video that exist, the one read first: INFO/NAME.txt in the folder
    // above the video's, then NAME.txt beside it.
    static QStringList sideTexts(const QString& videoPath);

    // The metadata text (side file or box payload) as a bundle; nothing for an empty text.
    static std::optional<RVMetaData> readMetaDataFromText(std::string_view text);
    // The payload of the first top-level "udat" box of an ISO media file, read from device
    // (positioned anywhere; fileSize is the file's size in bytes). Nothing when the walk finds
    // no such box, meets a size field it cannot follow, or the payload is over the limit of
    // streamed texts or could not be read whole.
    static std::optional<QByteArray> findUdatPayload(QIODevice& device, qint64 fileSize);
    // The same walk, leaving the device at the start of the payload and giving its length.
    static std::optional<qint64> findUdatPayloadLength(QIODevice& device, qint64 fileSize);
    // A box header's size field: bytes 0-3, big-endian, as a signed 32-bit number. Zero for a
    // header shorter than 4 bytes.
    static std::int32_t getBlockLength(std::string_view header);
};

#pragma once

#include "metadata/RVMetaDataReader.h"

class QIODevice;

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Reader of BlackVue cameras' side files (see the .cpp for the formats). The first reader
// the dispatcher asks: a non-empty track file beside a video makes it a BlackVue recording.
class RVBlackVueMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // The track and samples newer cameras keep inside the video (a top-level "free" box
    // holding "gps ", "3gf " and "cprt" boxes), read from device (fileSize bytes; name is
    // only for log lines). Nothing when the video holds neither a "gps " nor a "3gf " box.
    static std::optional<RVMetaData> readEmbeddedData(QIODevice& device, qint64 fileSize,
                                                      const QString& name);
    // The camera model of a "cprt" payload: "maker;model;firmware;..." or a JSON object;
    // empty when it names none.
    static QString readCameraModel(std::string_view copyright);

    // The track file's text: points and speeds, no samples, no related files.
    static RVMetaData readMetaDataFromText(std::string_view text);
    // The sensor file's bytes: one sample per whole 10-byte record.
    static std::vector<RVSensorData> readGSensorFromText(std::string_view bytes);
    // All bytes as one big-endian unsigned number, accumulated in 32 bits (0 for none).
    static std::uint32_t readIntFromData(std::string_view bytes);
    // bytes[start, end), clipped to the bytes (empty when start is not before end).
    static std::string_view getSubDataFrom(std::size_t start, std::size_t end,
                                           std::string_view bytes);
};

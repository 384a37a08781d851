#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

#include <string_view>

class QIODevice;

// Reader of Navitel R-series cameras and other Ambarella firmware (iBOX iCON, DuDuBell M1,
// VSYS M6L), which keep a 32-byte record a second in a "gps0" box after the movie, and of the
// Lamax S9, which keeps text records there (see the .cpp).
class RVNavitelMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);
    // The fixes of a run of records, the firmware's leftovers left out.
    static RVMetaData readRecords(std::string_view records);
    // The fixes of a run of the Lamax S9's 311-byte text records, by the camera's clock.
    static RVMetaData readTextRecords(std::string_view records);
};

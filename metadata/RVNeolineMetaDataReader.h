#pragma once

#include "metadata/RVMetaDataReader.h"
#include "metadata/RVRecordingName.h"

#include <QDate>
#include <QtGlobal>

class QIODevice;

// The SigmaStar record layouts read: Neoline's 40 bytes with decimal degrees, the iBox's 32
// with ddmm.mmmm.
enum class RVSsmdLayout
{
    Degrees40,
    DegreesMinutes32
};

// Reader of Neoline Spectrum cameras (SigmaStar firmware), which keep a 40-byte binary record
// a second in an "ssmd" track of the video (see the .cpp).
class RVNeolineMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;
    // The records carry a day of the month but no month or year: nameDate, the recording's date
    // by its name, supplies them. Without it the fixes keep their positions but no time.
    // why, when given, tells why nothing was read.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  QDate nameDate, RVDecline* why = nullptr,
                                                  RVSsmdLayout layout = RVSsmdLayout::Degrees40);
    // The video's records of the layout, dated by a name of the family.
    static std::optional<RVMetaData> readVideo(const QString& videoPath, RVCameraFamily family,
                                               RVSsmdLayout layout, RVDecline& why);
};

#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QByteArray>

#include <optional>

class QIODevice;

// Reader of Tesla cars' recordings: the event the car saved a folder for, and the telemetry
// newer cars write into the video stream (see the .cpp).
class RVTeslaMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // The event of an event.json text; nothing when the text is no such object. kind names
    // the folder ("saved", "sentry").
    static std::optional<RVCameraEvent> readEvent(const QByteArray& json, const QString& kind);
};

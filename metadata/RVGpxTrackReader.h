#pragma once

#include "metadata/RVTrackFile.h"

// GPX 1.0 and 1.1 (the exchange format of phones, loggers and GPSBabel).
class RVGpxTrackReader final : public RVTrackFileReader
{
public:
    QString formatName() const override { return QStringLiteral("GPX"); }
    bool recognises(const QByteArray& bytes) const override;
    RVTrackFileReading readTrack(const QByteArray& bytes) const override;
};

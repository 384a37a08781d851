#pragma once

#include "metadata/RVTrackFile.h"

// An NMEA 0183 log of a receiver, logger or phone app (one sentence a line).
class RVNmeaTrackFileReader final : public RVTrackFileReader
{
public:
    QString formatName() const override { return QStringLiteral("NMEA"); }
    bool recognises(const QByteArray& bytes) const override;
    RVTrackFileReading readTrack(const QByteArray& bytes) const override;
};

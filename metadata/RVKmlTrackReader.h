#pragma once

#include "metadata/RVTrackFile.h"

// KML 2.2 (Google Earth, phones' "export as KML") and KML 2.3.
class RVKmlTrackReader final : public RVTrackFileReader
{
public:
    QString formatName() const override { return QStringLiteral("KML"); }
    bool recognises(const QByteArray& bytes) const override;
    RVTrackFileReading readTrack(const QByteArray& bytes) const override;
};

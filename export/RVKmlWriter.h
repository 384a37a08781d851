#pragma once

#include "metadata/RVPoint.h"

#include <QString>

#include <span>

class RVExportSink;

// A track as a KML 2.2 document with one line placemark: each point with a position becomes
// the tuple "longitude,latitude,0" (the stored coordinate texts, altitude always 0), tuples
// separated by one space, all on the line of the <coordinates> tag. The line is drawn
// half-transparent yellow (7f00ffff), 4 pixels wide.
class RVKmlWriter final
{
public:
    RVKmlWriter() = delete;

    static void write(RVExportSink& sink, const QString& name, std::span<const RVPoint> points);
};

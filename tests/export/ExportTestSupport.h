#pragma once

#include "metadata/RVPoint.h"
#include "support/Support.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// What GPSBabel read from a file: one entry per track point, coordinates as it prints them.
struct BabelPoint
{
    double latitude = 0;
    double longitude = 0;
};

namespace ExportTestSupport {

RVPoint point(const char* latitude, const char* longitude, double velocity = 0, double azimut = 0,
              double altitude = 0, qint64 msecs = 0);
// A drive of count points around Minsk with "%.06f" coordinate texts, as the readers give.
std::vector<RVPoint> drive(int count, int zeroEvery = 0);

using support::readFile;
// The file's text when it is UTF-16LE with a byte-order mark; a null string otherwise.
QString readUtf16LeWithBom(const QString& path);

// Runs GPSBabel on a file of the given input format and returns the track points it read, or
// an error text (GPSBabel's own) in error.
std::vector<BabelPoint> readWithGpsBabel(const QString& format, const QString& path,
                                         QString* error);

// A ";"-separated table: lines, then fields.
std::vector<QStringList> splitTable(const QString& text);

} // namespace ExportTestSupport

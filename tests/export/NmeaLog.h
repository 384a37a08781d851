#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// A Korvela camera's side text as a 10 Hz receiver writes it: for every fix a GGA and an RMC
// sentence (with checksums), and with sensorLines a "$GS" line after each RMC. The car drives
// north-east from 53°54'N 27°30'E at about 54 km/h; every fix has a position.
struct NmeaLogShape
{
    std::int64_t startMsecsUtc = 1425200700000; // 2015-03-01 09:05:00 UTC
    int fixes = 100;
    int intervalMs = 100;
    bool sensorLines = false;
};

// Writes the log; false when the file could not be written.
bool writeNmeaLog(const QString& path, const NmeaLogShape& shape);

#pragma once

#include "metadata/RVPoint.h"
#include "support/Support.h"

#include <QProcess>

namespace ExportTestSupport {

using support::readFile;

inline RVPoint point(const char* latitude, const char* longitude, double velocity = 0,
                     double azimut = 0, double altitude = 0, qint64 msecs = 0)
{
    return RVPoint(latitude, longitude, altitude, azimut, velocity,
                   RVTimestamp::fromMSecsSinceEpoch(msecs));
}

// The file's text when it is UTF-16LE with a byte-order mark; a null string otherwise.
inline QString readUtf16LeWithBom(const QString& path)
{
    const QByteArray bytes = readFile(path);
    return bytes.startsWith("\xFF\xFE") && bytes.size() % 2 == 0
               ? QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                    (bytes.size() - 2) / 2)
               : QString();
}

// The track points GPSBabel reads from the file; -1 when it fails or complains about the file.
inline int gpsBabelPoints(const QString& format, const QString& path)
{
    QProcess babel;
    babel.start("gpsbabel", {"-t", "-i", format, "-f", path, "-o", "unicsv", "-F", "-"});
    if (!babel.waitForFinished(120000) || babel.exitStatus() != QProcess::NormalExit ||
        babel.exitCode() != 0 || !babel.readAllStandardError().trimmed().isEmpty())
        return -1;
    return int(babel.readAllStandardOutput().trimmed().count('\n')); // lines after the header
}

// An expected document kept in tests/export/golden.
inline QByteArray golden(const char* name)
{
    return readFile(QStringLiteral(KORVELA_SOURCE_DIR "/tests/export/golden/") + name);
}

} // namespace ExportTestSupport

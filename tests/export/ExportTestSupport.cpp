#include "ExportTestSupport.h"

#include <QFile>
#include <QProcess>

#include <cmath>
#include <cstdio>

RVPoint ExportTestSupport::point(const char* latitude, const char* longitude, double velocity,
                                 double azimut, double altitude, qint64 msecs)
{
    return RVPoint(latitude, longitude, altitude, azimut, velocity,
                   RVTimestamp::fromMSecsSinceEpoch(msecs));
}

std::vector<RVPoint> ExportTestSupport::drive(int count, int zeroEvery)
{
    std::vector<RVPoint> points;
    points.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        if (zeroEvery > 0 && i % zeroEvery == zeroEvery - 1) {
            points.emplace_back("0.000000", "0.000000", 0, 0, 0, RVTimestamp());
            continue;
        }
        char latitude[32];
        char longitude[32];
        std::snprintf(latitude, sizeof latitude, "%.06f", 53.9 + 0.0001 * i);
        std::snprintf(longitude, sizeof longitude, "%.06f", 27.5 - 0.00013 * i * std::sin(i));
        points.emplace_back(latitude, longitude, 200 + i % 17, (i * 7) % 360, 30 + i % 50,
                            RVTimestamp::fromMSecsSinceEpoch(1499551200000 + qint64(i) * 100));
    }
    return points;
}

QString ExportTestSupport::readUtf16LeWithBom(const QString& path)
{
    const QByteArray bytes = readFile(path);
    if (!bytes.startsWith("\xFF\xFE") || bytes.size() % 2 != 0)
        return {};
    // The build hosts are little-endian: the units read as they are.
    return QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

std::vector<BabelPoint> ExportTestSupport::readWithGpsBabel(const QString& format,
                                                            const QString& path, QString* error)
{
    QProcess babel;
    babel.start(QStringLiteral("gpsbabel"),
                {QStringLiteral("-t"), QStringLiteral("-i"), format, QStringLiteral("-f"), path,
                 QStringLiteral("-o"), QStringLiteral("unicsv"), QStringLiteral("-F"),
                 QStringLiteral("-")});
    std::vector<BabelPoint> points;
    if (!babel.waitForFinished(120000) || babel.exitStatus() != QProcess::NormalExit ||
        babel.exitCode() != 0) {
        *error = QString::fromUtf8(babel.readAllStandardError());
        if (error->isEmpty())
            *error = QStringLiteral("gpsbabel failed: ") + babel.errorString();
        return points;
    }
    // Anything GPSBabel complains about counts as a failure to read the file cleanly.
    *error = QString::fromUtf8(babel.readAllStandardError()).trimmed();
    const QList<QByteArray> lines = babel.readAllStandardOutput().split('\n');
    if (lines.isEmpty())
        return points;
    const QList<QByteArray> header = lines.first().trimmed().split(',');
    const qsizetype latColumn = header.indexOf("Latitude");
    const qsizetype lonColumn = header.indexOf("Longitude");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].trimmed().split(',');
        if (fields.size() <= std::max(latColumn, lonColumn) || latColumn < 0 || lonColumn < 0)
            continue;
        points.push_back({fields[latColumn].toDouble(), fields[lonColumn].toDouble()});
    }
    return points;
}

std::vector<QStringList> ExportTestSupport::splitTable(const QString& text)
{
    std::vector<QStringList> rows;
    for (const QString& line : text.split(QLatin1Char('\n')))
        rows.push_back(line.split(QLatin1Char(';')));
    return rows;
}

#include "app/RVDataFiles.h"

#include <QDir>
#include <QFileInfo>

QString RVDataFiles::folder(const QString& executableDir)
{
    return QDir::cleanPath(executableDir + QStringLiteral("/../share/korvela-player"));
}

QString RVDataFiles::find(const QString& relativePath, const QString& executableDir)
{
    const QString path = folder(executableDir) + QLatin1Char('/') + relativePath;
    return QFileInfo(path).isFile() ? path : QString();
}

QStringList RVDataFiles::notices(const QString& executableDir)
{
    const QDir dir(folder(executableDir) + QStringLiteral("/notices"));
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

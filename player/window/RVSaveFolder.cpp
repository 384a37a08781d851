#include "player/window/RVSaveFolder.h"

#include "core/RVSettings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

QString RVSaveFolder::initial(const char* settingsKey, QStandardPaths::StandardLocation fallback)
{
    const QString stored = RVSettings::textValue(settingsKey);
    // A card or stick that was unplugged since: start somewhere that exists.
    if (!stored.isEmpty() && QFileInfo(stored).isDir())
        return stored;
    const QString standard = QStandardPaths::writableLocation(fallback);
    if (!standard.isEmpty() && QFileInfo(standard).isDir())
        return standard;
    return QDir::homePath();
}

void RVSaveFolder::remember(const char* settingsKey, const QString& chosenPath)
{
    const QString folder = QFileInfo(chosenPath).absolutePath();
    if (!folder.isEmpty())
        RVSettings::setText(settingsKey, folder);
}

QString RVSaveFolder::stillName(const QString& filePath, const QDateTime& fileStart,
                                double secondsIntoFile)
{
    const QString base = QFileInfo(filePath).completeBaseName();
    // Negative or unknown positions (before the first frame is shown) count as the start.
    const double into = std::isfinite(secondsIntoFile) ? std::max(0.0, secondsIntoFile) : 0.0;
    if (!fileStart.isValid())
        return QStringLiteral("%1 - %2 second").arg(base).arg(qint64(std::floor(into)));
    // The frame's clock time in whole seconds, as the clock read-out shows it.
    const QDateTime frame = fileStart.addMSecs(qint64(into * 1000.0)).toLocalTime();
    return base + QLatin1Char(' ') + frame.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

#include "core/RVSettings.h"

#include "core/platform/RVPlatformFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

QSettings RVSettings::store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Korvela"),
                     QStringLiteral("Korvela Player"));
}

bool RVSettings::boolValue(const char* key)
{
    return store().value(QLatin1String(key), false).toBool();
}

void RVSettings::setBool(const char* key, bool value)
{
    store().setValue(QLatin1String(key), value);
}

double RVSettings::doubleValue(const char* key)
{
    return store().value(QLatin1String(key), 0.0).toDouble();
}

double RVSettings::doubleValue(const char* key, double fallback)
{
    bool ok = false;
    const double value = store().value(QLatin1String(key)).toDouble(&ok);
    return ok ? value : fallback;
}

void RVSettings::setDouble(const char* key, double value)
{
    store().setValue(QLatin1String(key), value);
}

QString RVSettings::textValue(const char* key)
{
    const QVariant value = store().value(QLatin1String(key));
    return value.isValid() ? value.toString() : QString();
}

void RVSettings::setText(const char* key, const QString& value)
{
    store().setValue(QLatin1String(key), value);
}

bool RVSettings::contains(const char* key)
{
    return store().contains(QLatin1String(key));
}

QString RVSettings::mapsProvider(const QStringList& offered)
{
    const QString stored = textValue(kMapsProvider);
    return offered.contains(stored) ? stored : offered.value(0);
}

QString RVSettings::mapTileUrl()
{
    const QString stored = textValue(kMapTileUrl);
    const bool web =
        stored.startsWith(QLatin1String("https://")) || stored.startsWith(QLatin1String("http://"));
    const bool placeholders = stored.contains(QLatin1String("{z}")) &&
                              stored.contains(QLatin1String("{x}")) &&
                              stored.contains(QLatin1String("{y}"));
    return web && placeholders ? stored : QString::fromLatin1(kDefaultMapTileUrl);
}

QString RVSettings::measurementSystem()
{
    return textValue(kMeasurementSystem);
}

QStringList RVSettings::appleLanguages()
{
    return store().value(QLatin1String(kAppleLanguages)).toStringList();
}

void RVSettings::setAppleLanguages(const QStringList& codes)
{
    QSettings settings = store();
    settings.setValue(QLatin1String(kAppleLanguages), codes);
    // The language applies at the next launch; write it out now so a crash cannot lose it.
    settings.sync();
}

std::optional<QString> RVSettings::setAsideUnusableStore()
{
    // Opening the store reads its file at once, which blocks on a pipe: the file's name is
    // learnt from a store of another name in the same folder, which is never read or written.
    const QString probe =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Korvela"),
                  QStringLiteral("Korvela Player probe"))
            .fileName();
    const QString path = QFileInfo(probe).dir().filePath(QStringLiteral("Korvela Player.conf"));
    const RVPlatformFile::Info info = RVPlatformFile::stat(path);
    if (info.kind == RVPlatformFile::Kind::Missing)
        return std::nullopt; // absent: the defaults, as on a first start
    QString why;
    if (info.kind != RVPlatformFile::Kind::Regular)
        why = QStringLiteral("is not a regular file");
    else if (info.size > std::uint64_t(kMaxStoreBytes))
        why = QStringLiteral("is larger than %1 bytes").arg(kMaxStoreBytes);
    else
        return std::nullopt;

    const QString aside = path + QStringLiteral(".refused-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (RVPlatformFile::rename(QFile::encodeName(path), QFile::encodeName(aside)) == 0)
        return QStringLiteral("The settings file %1 %2. It was kept aside as %3; the player "
                              "starts with its default settings.")
            .arg(path, why, aside);
    // It cannot even be moved: this run keeps its settings in a folder of its own.
    const QString fresh = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                          QStringLiteral("/korvela-settings-%1").arg(RVPlatformFile::userId());
    QDir().mkpath(fresh);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fresh);
    return QStringLiteral("The settings file %1 %2 and could not be moved aside. The player "
                          "starts with its default settings and keeps them only until it ends.")
        .arg(path, why);
}

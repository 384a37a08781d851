#include "core/RVSettings.h"

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

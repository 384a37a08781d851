#include "export/RVLanguageUtil.h"

#include "core/RVSettings.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

QStringList RVLanguageUtil::supportedLanguages()
{
    return {QStringLiteral("en"), QStringLiteral("ru"), QStringLiteral("de")};
}

QString RVLanguageUtil::chooseLanguage(const QStringList& preferred)
{
    const QStringList supported = supportedLanguages();
    for (const QString& entry : preferred) {
        // "de-DE" and "de_DE" are German; the language is the part before the region.
        const QString code = entry.trimmed()
                                 .section(QLatin1Char('-'), 0, 0)
                                 .section(QLatin1Char('_'), 0, 0)
                                 .toLower();
        if (supported.contains(code))
            return code;
    }
    return QStringLiteral("en");
}

QStringList RVLanguageUtil::preferredLanguages()
{
    const QStringList stored = RVSettings::appleLanguages();
    if (!stored.isEmpty())
        return stored;
    return QLocale::system().uiLanguages();
}

bool RVLanguageUtil::loadTranslation(QTranslator& translator, const QString& code)
{
    return translator.load(QStringLiteral(":/translations/korvela_%1.qm").arg(code));
}

bool RVLanguageUtil::installUserLanguage(QTranslator& translator)
{
    return loadTranslation(translator, chooseLanguage(preferredLanguages())) &&
           QCoreApplication::installTranslator(&translator);
}

QString RVLanguageUtil::nativeName(const QString& code)
{
    if (code == QLatin1String("ru"))
        return QStringLiteral("Русский");
    if (code == QLatin1String("de"))
        return QStringLiteral("Deutsch");
    return QStringLiteral("English");
}

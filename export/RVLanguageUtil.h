#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

// The interface language: English, Russian or German. The user's choice is the stored
// "AppleLanguages" list; without one, the desktop's preferred languages decide.
class RVLanguageUtil final
{
public:
    RVLanguageUtil() = delete;

    // "en", "ru" and "de", in the order the language menu shows them.
    static QStringList supportedLanguages();
    // The first supported code of the list, most preferred first; "en" when none is. A
    // regional code ("de-AT", "ru_RU") counts as its language.
    static QString chooseLanguage(const QStringList& preferred);
    // The stored "AppleLanguages" when present, else the system's preferred languages.
    static QStringList preferredLanguages();
    // The compiled translation of the language, from the program's resources. False when there
    // is none (the texts then show their keys).
    static bool loadTranslation(QTranslator& translator, const QString& code);
    // Loads the translation of the user's language (chooseLanguage of preferredLanguages) into
    // translator and installs it in the application object, which must exist. False when there
    // is none.
    static bool installUserLanguage(QTranslator& translator);
    // The language's own name, as its speakers write it.
    static QString nativeName(const QString& code);
};

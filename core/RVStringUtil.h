#pragma once

#include <QMap>
#include <QString>

// Small text helpers shared by the window and the updater.
class RVStringUtil final
{
public:
    RVStringUtil() = delete;

    // Seconds as minutes and seconds: format takes two integer placeholders, filled with the
    // whole minutes (not wrapped at 60) and the remaining seconds; "%d:%02d" turns 65.9 into
    // "1:05". The seconds are truncated toward zero first.
    static QString time(double seconds, const char* format);

    // key=value lines: carriage returns removed, split at line feeds, lines without "=" ignored;
    // the key is the text before the first "=", the value the rest, neither trimmed; a later
    // line replaces an earlier value of the same key. A null text gives an empty map.
    static QMap<QString, QString> createDictionaryFromText(const QString& text);
};

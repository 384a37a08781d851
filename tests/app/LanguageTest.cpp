#include "AppTestSupport.h"

#include "app/RVLanguageUtil.h"
#include "metadata/RVSettings.h"

#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Every localisation key the program's sources name: the qtTrId() calls, and the keys handed
// around as text before they are looked up (graph titles, menus, the updater's alerts).
QSet<QString> keysInSources()
{
    const QRegularExpression call(QStringLiteral(R"(qtTrId\(\s*"([A-Z][A-Z0-9_]*)\")"));
    const QRegularExpression literal(
        QStringLiteral(R"("(MENU_[A-Z0-9_]+|[A-Z][A-Z0-9_]*_(?:TITLE|MESSAGE|TOOLTIP))\")"));
    QSet<QString> keys;
    for (const char* layer :
         {"metadata", "library", "export", "update", "timeline", "player", "app"}) {
        QDirIterator files(QStringLiteral(KORVELA_SOURCE_DIR "/") + QLatin1String(layer),
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto* pattern : {&call, &literal}) {
                auto matches = pattern->globalMatch(text);
                while (matches.hasNext())
                    keys.insert(matches.next().captured(1));
            }
        }
    }
    return keys;
}

QStringList placeholders(const QString& text)
{
    QStringList found;
    for (const char* marker : {"%1", "%2", "%@"}) {
        if (text.contains(QLatin1String(marker)))
            found << QLatin1String(marker);
    }
    return found;
}

} // namespace

TEST(Language, FirstSupportedPreferredLanguageElseEnglishAndTheStoredListFirst)
{
    EXPECT_EQ(RVLanguageUtil::chooseLanguage({"fr", "de", "en"}), "de");
    EXPECT_EQ(RVLanguageUtil::chooseLanguage({}), "en");
    // The desktop reports regional codes.
    EXPECT_EQ(RVLanguageUtil::chooseLanguage({"de-AT", "en-US"}), "de");
    EXPECT_EQ(RVLanguageUtil::chooseLanguage({"ru_RU"}), "ru");
    EXPECT_EQ(RVLanguageUtil::chooseLanguage({"", "pt-BR", "EN"}), "en");

    apptest::clearSettings();
    EXPECT_EQ(RVLanguageUtil::preferredLanguages(), QLocale::system().uiLanguages());
    RVSettings::setAppleLanguages({"ru", "en"});
    EXPECT_EQ(RVLanguageUtil::preferredLanguages(), QStringList({"ru", "en"}));
    apptest::clearSettings();
}

TEST(Language, EveryKeyIsTranslatedInEveryLanguage)
{
    const QSet<QString> keys = keysInSources();
    // The scan must see the program: the table of keys has more than fifty entries.
    ASSERT_GT(keys.size(), 50) << "the source scan found too few keys";
    for (const char* key : {"VELOCITY_TITLE", "UPTATE_READY_MESSAGE", "ARE_YOU_SURE_MESSAGE"})
        EXPECT_TRUE(keys.contains(QLatin1String(key))) << key;

    QTranslator english;
    ASSERT_TRUE(RVLanguageUtil::loadTranslation(english, QStringLiteral("en")));
    for (const QString& code : RVLanguageUtil::supportedLanguages()) {
        QTranslator translator;
        ASSERT_TRUE(RVLanguageUtil::loadTranslation(translator, code)) << code.toStdString();
        for (const QString& key : keys) {
            const QByteArray id = key.toUtf8();
            const QString text = translator.translate(nullptr, id.constData());
            EXPECT_FALSE(text.isEmpty()) << code.toStdString() << ": " << id.constData();
            EXPECT_NE(text, key) << code.toStdString() << ": " << id.constData();
            // The program fills the same places in every language.
            EXPECT_EQ(placeholders(text), placeholders(english.translate(nullptr, id.constData())))
                << code.toStdString() << ": " << id.constData();
        }
    }
    // The name of the item to delete goes where the confirmation's format says.
    QTranslator russian;
    ASSERT_TRUE(RVLanguageUtil::loadTranslation(russian, QStringLiteral("ru")));
    EXPECT_TRUE(russian.translate(nullptr, "ARE_YOU_SURE_MESSAGE").contains(QLatin1String("%@")));
    EXPECT_FALSE(RVLanguageUtil::loadTranslation(russian, QStringLiteral("fr")));
}

#include "export/RVLanguageUtil.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>

#include <gtest/gtest.h>

#include <array>

TEST(Language, ChoiceAndEveryKeyInEveryLanguage)
{
    // The desktop reports regional codes.
    const std::pair<QStringList, const char*> cases[] = {{{"fr", "de", "en"}, "de"},
                                                         {{}, "en"},
                                                         {{"de-AT", "en-US"}, "de"},
                                                         {{"ru_RU"}, "ru"},
                                                         {{"", "pt-BR", "EN"}, "en"}};
    for (const auto& [preferred, chosen] : cases)
        EXPECT_EQ(RVLanguageUtil::chooseLanguage(preferred), chosen)
            << preferred.join(',').toStdString();

    // Every key the program's sources name: the qtTrId() calls, and the keys handed around as
    // text before they are looked up (graph titles, menus, the updater's alerts).
    const QRegularExpression pattern(QStringLiteral(
        R"(qtTrId\(\s*"([A-Z][A-Z0-9_]*)\"|"(MENU_[A-Z0-9_]+|[A-Z][A-Z0-9_]*_(?:TITLE|MESSAGE|TOOLTIP))\")"));
    QSet<QString> keys;
    for (const char* layer :
         {"metadata", "library", "export", "update", "timeline", "player", "app"}) {
        QDirIterator files(QStringLiteral(KORVELA_SOURCE_DIR "/") + QLatin1String(layer),
                           {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            for (const auto& match : pattern.globalMatch(QString::fromUtf8(file.readAll())))
                keys.insert(match.captured(1) + match.captured(2));
        }
    }
    for (const char* key : {"VELOCITY_TITLE", "UPTATE_READY_MESSAGE", "ARE_YOU_SURE_MESSAGE"})
        ASSERT_TRUE(keys.contains(QLatin1String(key))) << key; // the scan sees the program

    // The program fills the same places in every language.
    const auto placeholders = [](const QString& text) {
        return std::array{text.contains("%1"), text.contains("%2"), text.contains("%@")};
    };
    QTranslator english;
    ASSERT_TRUE(RVLanguageUtil::loadTranslation(english, QStringLiteral("en")));
    for (const QString& code : RVLanguageUtil::supportedLanguages()) {
        QTranslator translator;
        ASSERT_TRUE(RVLanguageUtil::loadTranslation(translator, code)) << code.toStdString();
        for (const QString& key : keys) {
            const QString text = translator.translate(nullptr, qPrintable(key));
            EXPECT_TRUE(!text.isEmpty() && text != key &&
                        placeholders(text) ==
                            placeholders(english.translate(nullptr, qPrintable(key))))
                << qPrintable(code) << ": " << qPrintable(key) << " = " << qPrintable(text);
        }
    }
    // The name of the item to delete goes where the confirmation's format says.
    EXPECT_TRUE(english.translate(nullptr, "ARE_YOU_SURE_MESSAGE").contains("%@"));
    EXPECT_FALSE(RVLanguageUtil::loadTranslation(english, QStringLiteral("fr")));
}

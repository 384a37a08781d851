#include "update/RVAdvertisementUtil.h"
#include "update/RVUpdateInformation.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

TEST(UpdateInformation, KeysByHowALineBeginsAndVersionsByTheFirstDifferenceThenComponents)
{
    using Text = std::optional<QString>;
    // One character after the key is skipped whatever it is; values are not trimmed; a later
    // line wins; a lone carriage return inside a value is dropped; a bare key has no character
    // after it, so no value (and no crash); bytes above 127 survive as Latin-1 characters.
    const std::tuple<QByteArray, Text, Text, Text> cases[] = {
        {"macVersion=1.4.2\r\nmacDownloadURL=https://e.invalid/K P.zip?a=b=c\r\n"
         "firmwareURL=https://e.invalid/fw/%model%.txt\r\nwindowsVersion=9.9\n",
         "1.4.2", "https://e.invalid/K P.zip?a=b=c", "https://e.invalid/fw/%model%.txt"},
        {"macVersion= 1.0 \nfirmwareURL:a\r b\nfirmwareURL=c\nmacDownloadURL\n", " 1.0 ", {}, "c"},
        {"macVersionX=2\nfirmwareURL:a\r b", "=2", {}, "a b"},
        {"<html><body>Not Found</body></html>", {}, {}, {}},
        {"macVersion=1.\xe9", QString::fromLatin1("1.\xe9"), {}, {}}};
    for (const auto& [text, version, download, firmware] : cases) {
        const auto info = RVUpdateInformation::parse(text);
        EXPECT_EQ(info.macVersion, version) << text.constData();
        EXPECT_EQ(info.macDownloadURL, download) << text.constData();
        EXPECT_EQ(info.firmwareURL, firmware) << text.constData();
    }

    // Versions decide at the first difference, then by the count of components. An older
    // program is no update, whatever its later parts; an empty component reads as 0.
    const std::tuple<const char*, const char*, bool> versions[] = {
        {"1.2.3", "1.2.4", true},   {"1.2.3", "1.2.3", false}, {"1.2", "1.2.1", true},
        {"1.2.1", "1.2", false},    {"2.0", "1.5", false},     {"1.3", "1.2.9", false},
        {"1.2.3", "2.0", true},     {"1.10", "1.9", false},    {"1.9", "1.10", true},
        {"1.2a", "1.3b", true},     {"1.5", "1.x", false},     {"1.2", "1.2.", true},
        {"1.2.3", "1.2.3 b", false}};
    for (const auto& [installed, published, newer] : versions)
        EXPECT_EQ(isPublishedVersionNewer(installed, published), newer)
            << installed << " vs " << published;
    EXPECT_FALSE(isPublishedVersionNewer("1.99999999999999999999999", "1.99999999999999999999998"));
}

TEST(AdvertisementHeight, LeadingIntegerOfTheFirstHeightTagOverHttpsOnly)
{
    const auto page = [](const QString& content) {
        return "<html><head><meta name=\"height\" content=\"" + content + "\"></head></html>";
    };
    // Beyond 32 bits the value saturates instead of wrapping round to a small height.
    const int most = std::numeric_limits<std::int32_t>::max(), least = -most - 1;
    const std::pair<const char*, int> contents[] = {
        {"120px", 120}, {"  +75 points", 75},           {"-5", -5},
        {"abc", 0},     {"99999999999999999999", most}, {"-4294967336", least}};
    for (const auto& [content, height] : contents)
        EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page(content)), height) << content;
    // The first tag counts, also at the very start; other spellings, or no closing quote, give
    // nothing.
    EXPECT_EQ(
        RVAdvertisementUtil::heightFromPage("<meta name=\"height\" content=\"40\">" + page("9")),
        40);
    for (const char* other :
         {"<meta name='height' content='60'>", "<meta name=\"height\" content=\"6"})
        EXPECT_EQ(RVAdvertisementUtil::heightFromPage(other), 0) << other;

    TestHttpServer server;
    server.route("/reklama.html", page("80").toUtf8());
    EXPECT_EQ(RVAdvertisementUtil::advertisementPageUrl(server.url("/")),
              server.url("/reklama.html"));
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/reklama.html")), 80);
    // Plain http: 0, and it is never requested.
    TestHttpServer plain(false);
    plain.route("/reklama.html", page("80").toUtf8());
    LogCapture log;
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(plain.url("/reklama.html")), 0);
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(log.contains("Refusing advertisement page that is not https"));
}

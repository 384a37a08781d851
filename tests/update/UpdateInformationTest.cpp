#include "update/RVAdvertisementUtil.h"
#include "update/RVUpdateInformation.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

TEST(UpdateInformation, ReadsTheThreeKeysByHowALineBegins)
{
    const auto info = RVUpdateInformation::parse(
        "macVersion=1.4.2\r\n"
        "macDownloadURL=https://example.invalid/Korvela Player.zip?a=b=c\r\n"
        "firmwareURL=https://example.invalid/fw/%model%.txt\r\n"
        "windowsVersion=9.9\n");
    EXPECT_EQ(info.macVersion, QStringLiteral("1.4.2"));
    EXPECT_EQ(info.macDownloadURL,
              QStringLiteral("https://example.invalid/Korvela Player.zip?a=b=c"));
    EXPECT_EQ(info.firmwareURL, QStringLiteral("https://example.invalid/fw/%model%.txt"));

    // One character after the key is skipped whatever it is; values are not trimmed; a later
    // line wins; a lone carriage return inside a value is dropped.
    const auto odd = RVUpdateInformation::parse(
        "macVersionX=2\nmacVersion= 1.0 \nfirmwareURL:a\r b\nfirmwareURL=c\nmacDownloadURL\n");
    EXPECT_EQ(odd.macVersion, QStringLiteral(" 1.0 "));
    EXPECT_EQ(odd.firmwareURL, QStringLiteral("c"));
    // A bare key has no character after it: no value, and no crash.
    EXPECT_FALSE(odd.macDownloadURL.has_value());
    EXPECT_EQ(RVUpdateInformation::parse("macVersionX=2").macVersion, QStringLiteral("=2"));
    EXPECT_EQ(RVUpdateInformation::parse("firmwareURL:a\r b").firmwareURL, QStringLiteral("a b"));

    // Only firmwareURL, an error page, and nothing at all.
    const auto firmwareOnly = RVUpdateInformation::parse("firmwareURL=x\n");
    EXPECT_FALSE(firmwareOnly.macVersion || firmwareOnly.macDownloadURL);
    EXPECT_EQ(firmwareOnly.firmwareURL, QStringLiteral("x"));
    const auto page = RVUpdateInformation::parse("<html><body>Not Found</body></html>");
    EXPECT_FALSE(page.macVersion || page.macDownloadURL || page.firmwareURL);
    EXPECT_FALSE(RVUpdateInformation::parse({}).macVersion.has_value());
    // Bytes above 127 survive as Latin-1 characters instead of failing the whole text.
    EXPECT_EQ(RVUpdateInformation::parse("macVersion=1.\xe9").macVersion,
              QString::fromLatin1("1.\xe9"));
}

TEST(UpdateInformation, VersionComparisonDecidesAtTheFirstDifferenceThenCountsComponents)
{
    // An older program is no update, whatever its later parts; an empty component reads as 0.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"1.2.3", "1.2.4", true},
        {"1.2.3", "1.2.3", false},
        {"1.2", "1.2.1", true},
        {"1.2.1", "1.2", false},
        {"2.0", "1.5", false},
        {"1.3", "1.2.9", false},
        {"1.2.3", "2.0", true},
        {"1.10", "1.9", false},
        {"1.9", "1.10", true},
        {"1.2a", "1.3b", true},
        {"1.5", "1.x", false},
        {"1.2", "1.2.", true},
        {"1.99999999999999999999999", "1.99999999999999999999998", false},
        {"1.2.3", "1.2.3 beta", false}};
    for (const auto& [installed, published, newer] : cases)
        EXPECT_EQ(isPublishedVersionNewer(installed, published), newer)
            << installed << " vs " << published;
}

TEST(AdvertisementHeight, LeadingIntegerOfTheFirstHeightTagOverHttpsOnly)
{
    const auto page = [](const QString& content) {
        return "<html><head><meta name=\"height\" content=\"" + content + "\"></head></html>";
    };
    // Beyond 32 bits the value saturates instead of wrapping round to a small height. The first
    // tag counts; other spellings, or no closing quote, give nothing.
    const std::pair<QString, int> cases[] = {
        {page("120px"), 120},
        {page("  +75 points"), 75},
        {page("-5"), -5},
        {page("abc"), 0},
        {page("99999999999999999999"), std::numeric_limits<std::int32_t>::max()},
        {page("-4294967336"), std::numeric_limits<std::int32_t>::min()},
        {page("40") + page("90"), 40},
        {"<meta name='height' content='60'>", 0},
        {"<meta name=\"height\" content=\"60", 0}};
    for (const auto& [text, height] : cases)
        EXPECT_EQ(RVAdvertisementUtil::heightFromPage(text), height) << text.toStdString();

    TestHttpServer server;
    server.route("/reklama.html", page("80").toUtf8());
    EXPECT_EQ(RVAdvertisementUtil::advertisementPageUrl(server.url("/")),
              server.url("/reklama.html"));
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/reklama.html")), 80);
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/missing.html")), 0); // 404 page
    // Plain http: 0, and it is never requested.
    TestHttpServer plain("");
    plain.route("/reklama.html", page("80").toUtf8());
    LogCapture log;
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(plain.url("/reklama.html")), 0);
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(log.contains("Refusing advertisement page that is not https"));
}

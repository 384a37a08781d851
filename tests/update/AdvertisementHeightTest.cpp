#include "update/RVAdvertisementUtil.h"

#include "TestHttpServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QString page(const QString& content)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><meta name=\"height\" content=\"") +
           content + QStringLiteral("\"></head><body>Korvela</body></html>");
}

} // namespace

TEST(AdvertisementHeight, LeadingIntegerOfTheFirstHeightTag)
{
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("120px")), 120);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("  +75 points")), 75);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("-5")), -5);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("abc")), 0);
    // Beyond 32 bits the value saturates instead of wrapping round to a small height.
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("99999999999999999999")),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("-4294967336")),
              std::numeric_limits<std::int32_t>::min());
    // The first tag counts; other spellings do not.
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("40") + page("90")), 40);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage("<meta name='height' content='60'>"), 0);
    // No closing quote before the end: nothing.
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage("<meta name=\"height\" content=\"60"), 0);
}

TEST(AdvertisementHeight, ReadFromTheServerOverHttpsOnly)
{
    const TestTls& tls = TestTls::instance();
    TestHttpServer server(tls.trustedCertificate, tls.trustedKey);
    const QString base = server.url("/");
    server.route("/reklama.html", page("80").toUtf8());
    EXPECT_EQ(RVAdvertisementUtil::advertisementPageUrl(base), server.url("/reklama.html"));
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(RVAdvertisementUtil::advertisementPageUrl(base)),
              80);
    // No page (the 404 page has no tag).
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/missing.html")), 0);

    // Plain http: 0, and it is never requested.
    TestHttpServer plain;
    plain.route("/reklama.html", page("80").toUtf8());
    LogCapture log;
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(plain.url("/reklama.html")), 0);
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(log.contains("Refusing advertisement page that is not https"));
}

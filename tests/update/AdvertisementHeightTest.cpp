#include "update/RVAdvertisementUtil.h"

#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QTcpServer>

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
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("60")), 60);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("120px")), 120);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("  +75 points")), 75);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("-5")), -5);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("abc")), 0);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("")), 0);
    // Beyond 32 bits the value saturates instead of wrapping round to a small height.
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("99999999999999999999")),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("-4294967336")),
              std::numeric_limits<std::int32_t>::min());
    // The first tag counts; other meta tags and other spellings do not.
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage(page("40") + page("90")), 40);
    EXPECT_EQ(RVAdvertisementUtil::heightFromPage("<meta name=\"width\" content=\"300\">"), 0);
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
    EXPECT_EQ(RVAdvertisementUtil::homePageUrl(base), server.url("/"));
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(RVAdvertisementUtil::advertisementPageUrl(base)),
              80);
    // A page without the tag, or no page at all (the 404 page has no tag).
    server.route("/plain.html", "<html><body>no height</body></html>");
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/plain.html")), 0);
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(server.url("/missing.html")), 0);

    // No server, a certificate nobody trusts, or plain http: 0, and http is never requested.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.serverPort();
    probe.close();
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(
                  QStringLiteral("https://127.0.0.1:%1/reklama.html").arg(closed)),
              0);
    TestHttpServer untrusted(tls.untrustedCertificate, tls.untrustedKey);
    untrusted.route("/reklama.html", page("80").toUtf8());
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(untrusted.url("/reklama.html")), 0);
    TestHttpServer plain;
    plain.route("/reklama.html", page("80").toUtf8());
    LogCapture log;
    EXPECT_EQ(RVAdvertisementUtil::getAdvHeight(plain.url("/reklama.html")), 0);
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(log.contains("Refusing advertisement page that is not https"));
}

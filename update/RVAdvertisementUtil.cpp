#include "update/RVAdvertisementUtil.h"

#include "korvela_version.h"
#include "update/RVDownloadUtil.h"

#include <QDebug>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {
const QLatin1String kPagePath("/reklama.html");
const QLatin1String kHeightTag("<meta name=\"height\" content=\"");

QString withoutTrailingSlashes(QString server)
{
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return server;
}
} // namespace

QString RVAdvertisementUtil::defaultServerUrl()
{
    return QStringLiteral(KORVELA_UPDATE_SERVER);
}

QString RVAdvertisementUtil::advertisementPageUrl(const QString& serverUrl)
{
    return withoutTrailingSlashes(serverUrl) + kPagePath;
}

QString RVAdvertisementUtil::homePageUrl(const QString& serverUrl)
{
    return withoutTrailingSlashes(serverUrl) + QLatin1Char('/');
}

std::int32_t RVAdvertisementUtil::getAdvHeight(const QString& pageUrl, std::stop_token stop)
{
    // The panel is only ever filled over https; the height comes from the same page.
    const QUrl url(pageUrl, QUrl::StrictMode);
    if (url.scheme() != QLatin1String("https") || !RVDownloadUtil::isFetchableUrl(url)) {
        qWarning().noquote() << "Refusing advertisement page that is not https:" << pageUrl;
        return 0;
    }
    return heightFromPage(RVDownloadUtil::request(pageUrl, stop).value_or(QString()));
}

std::int32_t RVAdvertisementUtil::heightFromPage(const QString& page)
{
    const qsizetype tag = page.indexOf(kHeightTag);
    if (tag < 0)
        return 0;
    const qsizetype start = tag + kHeightTag.size();
    const qsizetype end = page.indexOf(QLatin1Char('"'), start);
    if (end < 0)
        return 0;

    qsizetype i = start;
    while (i < end && page.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < end && (page.at(i) == QLatin1Char('-') || page.at(i) == QLatin1Char('+'))) {
        negative = page.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulated as a 64-bit magnitude that stops growing past the 32-bit range.
    constexpr std::int64_t kLimit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; i < end && page.at(i) >= QLatin1Char('0') && page.at(i) <= QLatin1Char('9'); ++i)
        magnitude = std::min(kLimit, magnitude * 10 + (page.at(i).unicode() - '0'));
    if (negative)
        return std::int32_t(-magnitude); // -2^31 is representable
    return std::int32_t(
        std::min<std::int64_t>(magnitude, std::numeric_limits<std::int32_t>::max()));
}

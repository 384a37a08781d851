#include "player/map/RVMapViewTileHandler.h"

#include "player/map/RVMapViewTileAddress.h"

#include <QBuffer>
#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QWebEngineUrlRequestJob>

namespace {

// No answer at all (the network or the host cannot be reached, a timeout) or a server that
// cannot give the tile now: an old copy is better than none. A 4xx answer is the server's word
// that there is no such tile. (The reply's status code cannot tell: after a failed
// revalidation it is the cached copy's.)
bool worthTheCache(const QNetworkReply* reply)
{
    const QNetworkReply::NetworkError error = reply->error();
    return error < QNetworkReply::ContentAccessDenied ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

// The disk cache keeps tiles only, and keeps them: QNetworkDiskCache stores whatever answer it
// is given and QNetworkAccessManager drops an entry the server answers with an error, so a
// server's error page (503, 404) would take the place of the tile kept for going offline.
// Tiles go only when the cache is over its size.
class TileCache final : public QNetworkDiskCache
{
public:
    using QNetworkDiskCache::QNetworkDiskCache;

    QIODevice* prepare(const QNetworkCacheMetaData& metaData) override
    {
        const QVariant status =
            metaData.attributes().value(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && status.toInt() != 200)
            return nullptr;
        return QNetworkDiskCache::prepare(metaData);
    }
    bool remove(const QUrl&) override { return false; }
};

} // namespace

RVMapViewTileHandler::RVMapViewTileHandler(const QString& cacheDirectory, const QString& userAgent,
                                           QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), m_network(new QNetworkAccessManager(this)),
      m_userAgent(userAgent), m_tileTemplate(RVMapViewTileAddressUtil::usableTemplate(QString()))
{
    QDir().mkpath(cacheDirectory);
    auto* cache = new TileCache(m_network);
    cache->setCacheDirectory(cacheDirectory);
    cache->setMaximumCacheSize(kCacheBytes);
    m_network->setCache(cache);
}

void RVMapViewTileHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const std::optional<QUrl> address =
        RVMapViewTileAddressUtil::serverAddress(m_tileTemplate, job->requestUrl());
    if (!address) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    fetch(job, *address, false);
}

void RVMapViewTileHandler::fetch(QWebEngineUrlRequestJob* job, const QUrl& address, bool cacheOnly)
{
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    // PreferNetwork is HTTP's own rule: a fresh copy from the cache, a stale one revalidated.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         cacheOnly ? QNetworkRequest::AlwaysCache : QNetworkRequest::PreferNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, true);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxTileBytes)
            reply->abort();
    });
    // The page may drop the request (a tile scrolled away): the engine then deletes the job.
    QPointer<QWebEngineUrlRequestJob> pending(job);
    connect(job, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [this, pending, reply, cacheOnly] {
        reply->deleteLater();
        if (pending)
            answer(pending, reply, cacheOnly);
    });
}

void RVMapViewTileHandler::answer(QWebEngineUrlRequestJob* job, QNetworkReply* reply,
                                  bool cacheOnly)
{
    if (reply->error() == QNetworkReply::NoError) {
        QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        if (type.isEmpty())
            type = QByteArrayLiteral("image/png");
        // The engine reads the body on its own thread until the job is gone.
        auto* body = new QBuffer;
        body->setData(reply->readAll());
        connect(job, &QObject::destroyed, body, &QObject::deleteLater);
        job->reply(type, body);
        return;
    }
    if (!cacheOnly && worthTheCache(reply)) {
        fetch(job, reply->request().url(), true);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    job->fail(status == 404 || status == 410 ? QWebEngineUrlRequestJob::UrlNotFound
                                             : QWebEngineUrlRequestJob::RequestFailed);
}

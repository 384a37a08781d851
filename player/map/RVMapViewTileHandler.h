#pragma once

#include <QString>
#include <QWebEngineUrlSchemeHandler>

class QNetworkAccessManager;
class QNetworkReply;
class QWebEngineUrlRequestJob;

// Serves the map page's tiles ("korvela-tile:Z/X/Y") from the tile server through a disk cache
// of the program's own, so a route driven before shows its tiles offline:
//  - A tile is fetched as HTTP caching asks (a fresh cached copy is used without asking the
//    server, a stale one is revalidated), naming the program in the User-Agent as tile
//    servers' usage policies require.
//  - When no answer comes (no network, the host cannot be reached, a timeout) or the server
//    fails (5xx), the cached copy is served whatever its age.
//  - The cache is bounded; the oldest tiles go first.
class RVMapViewTileHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    // The cache folder's bound: the tiles of a few cities at every zoom.
    static constexpr qint64 kCacheBytes = 200 * 1024 * 1024;
    // A tile is a picture of 256 by 256 pixels, tens of kilobytes; anything far larger is not
    // one and is not kept in memory.
    static constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;
    // A tile that has not arrived after this long is served from the cache, if it is there;
    // tile servers answer within a second.
    static constexpr int kTimeoutMs = 6000;

    // cacheDirectory: where the tiles are kept (made when missing).
    RVMapViewTileHandler(const QString& cacheDirectory, const QString& userAgent,
                         QObject* parent = nullptr);

    // The tile server's address template (see RVMapViewTileAddressUtil).
    void setTileTemplate(const QString& tileTemplate) { m_tileTemplate = tileTemplate; }

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    void fetch(QWebEngineUrlRequestJob* job, const QUrl& address, bool cacheOnly);
    void answer(QWebEngineUrlRequestJob* job, QNetworkReply* reply, bool cacheOnly);

    QNetworkAccessManager* m_network;
    QString m_userAgent;
    QString m_tileTemplate;
};

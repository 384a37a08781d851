#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>
#include <stop_token>

class QNetworkReply;
class QNetworkRequest;
class QUrl;

// Blocking HTTP GET helpers over Qt Network, for background threads. Each call runs its own
// network access manager in a local event loop on the calling thread and returns when the
// transfer has ended. No cookies, headers or body of their own; redirects are followed only
// when they do not go from https to http; the transfer gives up after Qt's default inactivity
// timeout (QNetworkRequest::DefaultTransferTimeoutConstant, 30 s without data). Only http and
// https addresses are fetched. Certificates are checked with the process's default TLS
// configuration, so a certificate the system does not trust fails the transfer.
//
// A stop request on the optional token aborts the transfer, which then counts as failed; the
// updater uses it to end its background work promptly when it is destroyed.
class RVDownloadUtil final
{
public:
    RVDownloadUtil() = delete;

    // The most a text request takes unless told otherwise: the pages and descriptions fetched
    // as text are a few lines.
    static constexpr qint64 kMaxTextBytes = 1 << 20;

    // The whole body when the transfer ended without a transport error. The HTTP status is not
    // examined: a 404 page comes back like any other body. A transport error (refused, TLS
    // failure, timeout, abort), a body longer than maxBytes (the transfer stops there; logged)
    // or a text that is no http(s) URL gives nothing.
    static std::optional<QByteArray> requestData(const QString& url, std::stop_token stop = {},
                                                 qint64 maxBytes = kMaxTextBytes);

    // requestData's body as 7-bit text (a byte above 127 reads as its Latin-1 character).
    static std::optional<QString> request(const QString& url, std::stop_token stop = {},
                                          qint64 maxBytes = kMaxTextBytes);

    // The key=value lines of request's text; empty when the request fails.
    static QMap<QString, QString> requestIni(const QString& url, std::stop_token stop = {},
                                             qint64 maxBytes = kMaxTextBytes);

    // Fetches like requestData but streams the body into a file beside path as it arrives
    // (never more than about 1 MiB of it in memory), which replaces path once the transfer has
    // ended and every byte is written and synced. False without a body, when the body grows
    // past maxBytes (the transfer stops there; logged), or when writing fails (logged as
    // "Write returned error: ..." naming the file); path is then left as it was.
    static bool downloadFile(const QString& url, const QString& path, qint64 maxBytes,
                             std::stop_token stop = {});

    // Shared with the updater's asynchronous requests, so both treat transfers alike.
    static QNetworkRequest makeRequest(const QUrl& url);
    // True when a finished reply carries a body: no error, or only an HTTP error status.
    static bool endedWithoutTransportError(const QNetworkReply& reply);
    // True when the text is an absolute http or https URL.
    static bool isFetchableUrl(const QUrl& url);
};

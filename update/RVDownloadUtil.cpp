#include "update/RVDownloadUtil.h"

#include "core/RVAtomicFile.h"
#include "core/RVStringUtil.h"

#include <QDebug>
#include <QEventLoop>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <functional>
#include <memory>

QNetworkRequest RVDownloadUtil::makeRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(); // Qt's default inactivity limit
    return request;
}

bool RVDownloadUtil::endedWithoutTransportError(const QNetworkReply& reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return true;
    // Errors 201-299 and 401-499 are Qt's names for HTTP 4xx and 5xx answers: the server did
    // answer, with a body, which callers get like any other.
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Qt names a 400 (and a 418) answer a protocol error; it is an answer all the same.
    const bool badRequest = error == QNetworkReply::ProtocolInvalidOperationError &&
                            status.toInt() >= 400 && status.toInt() < 500;
    const bool httpStatusError =
        badRequest ||
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownContentError) ||
        (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    return httpStatusError && status.isValid();
}

bool RVDownloadUtil::isFetchableUrl(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

namespace {

// Qt keeps at most this much of a body that has not been read yet; a file download reads it
// as it comes, so the whole transfer never needs more memory than this.
constexpr qint64 kReadBufferBytes = 1 << 20;

// Runs one GET on this thread's own network access manager until it ends. `received` is
// called with each piece of the body as it arrives and may stop the transfer by returning
// false. True when the transfer ended without a transport error (and was not stopped).
bool runRequest(const QUrl& url, std::stop_token stop,
                const std::function<bool(const QByteArray&)>& received)
{
    QNetworkAccessManager manager;
    // Fresh manager per call: no cookies or cached credentials carry over between requests.
    std::unique_ptr<QNetworkReply> reply(manager.get(RVDownloadUtil::makeRequest(url)));
    reply->setReadBufferSize(kReadBufferBytes);
    bool refused = false;
    QEventLoop loop;
    QNetworkReply* target = reply.get();
    const auto take = [&] {
        if (refused || !target->isOpen()) // an aborted reply is closed
            return;
        const QByteArray data = target->readAll();
        if (!data.isEmpty() && !received(data)) {
            refused = true;
            target->abort();
        }
    };
    QObject::connect(target, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(target, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    {
        // Runs on the thread that asks to stop; the abort itself is posted to this thread.
        const std::stop_callback onStop(stop, [target] {
            QMetaObject::invokeMethod(target, &QNetworkReply::abort, Qt::QueuedConnection);
        });
        if (!reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    take();
    return !refused && RVDownloadUtil::endedWithoutTransportError(*reply);
}

// Counts a body's bytes against its limit; logs once when it is passed.
bool withinLimit(qint64& received, qint64 more, qint64 maxBytes, const QUrl& url)
{
    received += more;
    if (received <= maxBytes)
        return true;
    qWarning().noquote() << QStringLiteral("The answer from %1 is larger than %2 bytes; not read")
                                .arg(url.toDisplayString())
                                .arg(maxBytes);
    return false;
}

} // namespace

std::optional<QByteArray> RVDownloadUtil::requestData(const QString& url, std::stop_token stop,
                                                      qint64 maxBytes)
{
    const QUrl qurl(url, QUrl::StrictMode);
    if (!isFetchableUrl(qurl))
        return std::nullopt;
    QByteArray body;
    qint64 received = 0;
    if (!runRequest(qurl, stop, [&](const QByteArray& data) {
            if (!withinLimit(received, data.size(), maxBytes, qurl))
                return false;
            body.append(data);
            return true;
        }))
        return std::nullopt;
    return body;
}

std::optional<QString> RVDownloadUtil::request(const QString& url, std::stop_token stop,
                                               qint64 maxBytes)
{
    const std::optional<QByteArray> data = requestData(url, stop, maxBytes);
    if (!data)
        return std::nullopt;
    return QString::fromLatin1(*data);
}

QMap<QString, QString> RVDownloadUtil::requestIni(const QString& url, std::stop_token stop,
                                                  qint64 maxBytes)
{
    const std::optional<QString> text = request(url, stop, maxBytes);
    if (!text)
        return {};
    return RVStringUtil::createDictionaryFromText(*text);
}

bool RVDownloadUtil::downloadFile(const QString& url, const QString& path, qint64 maxBytes,
                                  std::stop_token stop)
{
    const QUrl qurl(url, QUrl::StrictMode);
    if (!isFetchableUrl(qurl))
        return false;
    // Written as it arrives, aside and renamed into place once complete: a body of any size
    // needs little memory, and a failed transfer or a full disk leaves no partial file.
    RVAtomicFile file(path);
    if (!file.open()) {
        qWarning().noquote() << "Write returned error:" << file.errorString();
        return false;
    }
    bool writeFailed = false;
    qint64 received = 0;
    const bool transferred = runRequest(qurl, stop, [&](const QByteArray& data) {
        if (!withinLimit(received, data.size(), maxBytes, qurl))
            return false;
        writeFailed = file.write(data) != data.size();
        return !writeFailed;
    });
    if (writeFailed || (transferred && !file.commit())) {
        qWarning().noquote() << "Write returned error:" << file.errorString();
        return false;
    }
    return transferred;
}

#include "update/RVDownloadUtil.h"

#include "metadata/RVStringUtil.h"

#include <QDebug>
#include <QEventLoop>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

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
    const bool httpStatusError =
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownContentError) ||
        (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    return httpStatusError && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

bool RVDownloadUtil::isFetchableUrl(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

std::optional<QByteArray> RVDownloadUtil::requestData(const QString& url, std::stop_token stop)
{
    const QUrl qurl(url, QUrl::StrictMode);
    if (!isFetchableUrl(qurl))
        return std::nullopt;

    QNetworkAccessManager manager;
    // Fresh manager per call: no cookies or cached credentials carry over between requests.
    std::unique_ptr<QNetworkReply> reply(manager.get(makeRequest(qurl)));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    {
        // Runs on the thread that asks to stop; the abort itself is posted to this thread.
        QNetworkReply* target = reply.get();
        const std::stop_callback onStop(stop, [target] {
            QMetaObject::invokeMethod(target, &QNetworkReply::abort, Qt::QueuedConnection);
        });
        if (!reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!endedWithoutTransportError(*reply))
        return std::nullopt;
    return reply->readAll();
}

std::optional<QString> RVDownloadUtil::request(const QString& url, std::stop_token stop)
{
    const std::optional<QByteArray> data = requestData(url, stop);
    if (!data)
        return std::nullopt;
    return QString::fromLatin1(*data);
}

QMap<QString, QString> RVDownloadUtil::requestIni(const QString& url, std::stop_token stop)
{
    const std::optional<QString> text = request(url, stop);
    if (!text)
        return {};
    return RVStringUtil::createDictionaryFromText(*text);
}

bool RVDownloadUtil::downloadFile(const QString& url, const QString& path, std::stop_token stop)
{
    const std::optional<QByteArray> data = requestData(url, stop);
    if (!data)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit()) {
        qWarning().noquote() << "Write returned error:" << file.errorString();
        return false;
    }
    return true;
}

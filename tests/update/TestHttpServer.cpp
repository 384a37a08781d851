#include "TestHttpServer.h"

#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>

#include <cctype>

class TestHttpServerCore final : public QTcpServer
{
public:
    TestHttpServerCore(TestHttpServer::Routes& routes, QSslCertificate certificate, QSslKey key)
        : m_routes(routes), m_certificate(std::move(certificate)), m_key(std::move(key))
    {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QSslSocket::readyRead, socket, [this, socket] { onData(socket); });
        if (!m_certificate.isNull()) {
            socket->setLocalCertificate(m_certificate);
            socket->setPrivateKey(m_key);
            socket->startServerEncryption();
        }
    }

private:
    void onData(QSslSocket* socket)
    {
        QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
        // Anything but a request line (such as a TLS greeting sent to the plain server) ends
        // the connection at once, as a real server would.
        if (!buffer.isEmpty() && !std::isalpha(static_cast<unsigned char>(buffer[0]))) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        socket->setProperty("buffer", buffer);
        if (!buffer.contains("\r\n\r\n") || socket->property("answered").toBool())
            return;
        socket->setProperty("answered", true);
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QString target = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : "";

        TestHttpServer::Response response{404, "<html><body><h1>Not Found</h1>\nversion=404page\n"
                                               "</body></html>\n"};
        {
            const QMutexLocker lock(&m_routes.mutex);
            m_routes.requests.append(target);
            const auto found = m_routes.responses.constFind(target);
            if (found != m_routes.responses.cend())
                response = *found;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n";
        head += "Content-Type: text/html\r\nConnection: close\r\n";
        if (response.announceLength)
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        socket->write(head + "\r\n" + response.body);
        socket->disconnectFromHost();
    }

    TestHttpServer::Routes& m_routes;
    QSslCertificate m_certificate;
    QSslKey m_key;
};

TestHttpServer::TestHttpServer(const QString& certificatePath, const QString& keyPath)
{
    QSslCertificate certificate;
    QSslKey key;
    if (!certificatePath.isEmpty()) {
        m_tls = true;
        certificate = QSslCertificate::fromPath(certificatePath).value(0);
        QFile keyFile(keyPath);
        keyFile.open(QIODevice::ReadOnly);
        key = QSslKey(keyFile.readAll(), QSsl::Rsa);
    }
    m_core = new TestHttpServerCore(m_routes, certificate, key);
    m_core->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_core,
        [this] {
            m_core->listen(QHostAddress::LocalHost, 0);
            m_port = m_core->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

TestHttpServer::~TestHttpServer()
{
    QMetaObject::invokeMethod(
        m_core, [this] { delete m_core; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void TestHttpServer::route(const QString& path, const Response& response)
{
    const QMutexLocker lock(&m_routes.mutex);
    m_routes.responses.insert(path, response);
}

QString TestHttpServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_tls ? "https" : "http")
        .arg(m_port)
        .arg(path);
}

QStringList TestHttpServer::requests() const
{
    const QMutexLocker lock(&m_routes.mutex);
    return m_routes.requests;
}

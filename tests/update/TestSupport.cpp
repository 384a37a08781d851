#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <cctype>

namespace {

// The folder of two certificates for 127.0.0.1, made with openssl on first use: "trusted" (added
// to the process's default TLS configuration as a certificate authority) and "untrusted".
QString certificates()
{
    static QTemporaryDir folder;
    static const bool made = [] {
        for (const QString name : {"trusted", "untrusted"}) {
            QProcess openssl;
            openssl.start("openssl",
                          {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                           "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                           folder.filePath(name + ".key"), "-out", folder.filePath(name + ".pem")});
            if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
                return false;
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(QSslCertificate::fromPath(folder.filePath("trusted.pem")));
        QSslConfiguration::setDefaultConfiguration(configuration);
        return true;
    }();
    EXPECT_TRUE(made) << "could not make test certificates with openssl";
    return folder.path();
}

} // namespace

TestHttpServer::TestHttpServer(const QString& certificate)
{
    if (certificate.isEmpty()) {
        m_server = new QTcpServer;
    } else {
        const QString name = certificates() + "/" + certificate;
        QSslConfiguration configuration;
        configuration.setLocalCertificate(QSslCertificate::fromPath(name + ".pem").value(0));
        configuration.setPrivateKey(QSslKey(readFile(name + ".key"), QSsl::Rsa));
        auto* server = new QSslServer;
        server->setSslConfiguration(configuration);
        m_server = server;
    }
    QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, m_server, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, this] { answer(socket); });
            answer(socket);
        }
    });
    m_server->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_server,
        [&] {
            m_server->listen(QHostAddress::LocalHost, 0);
            m_base = QStringLiteral("%1://127.0.0.1:%2")
                         .arg(certificate.isEmpty() ? "http" : "https")
                         .arg(m_server->serverPort());
        },
        Qt::BlockingQueuedConnection);
}

TestHttpServer::~TestHttpServer()
{
    QMetaObject::invokeMethod(
        m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void TestHttpServer::answer(QTcpSocket* socket)
{
    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    // Anything but a request line (such as a TLS greeting sent to the plain server) ends the
    // connection at once, as a real server would.
    if (!request.isEmpty() && !std::isalpha(static_cast<unsigned char>(request[0])))
        return socket->abort();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QString target = QString::fromLatin1(request.split(' ').value(1));
    Response response{404, "<html><body><h1>Not Found</h1>\nversion=404page\n</body></html>\n"};
    {
        const QMutexLocker lock(&m_mutex);
        m_requests.append(target);
        response = m_routes.value(target, response);
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                      " Answer\r\nContent-Type: text/html\r\nConnection: close\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    socket->write(head + "\r\n" + response.body);
    socket->disconnectFromHost();
}

bool writeZip(const QString& path, const QList<ZipEntry>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (const ZipEntry& entry : entries) {
        zip_fileinfo info{};
        info.tmz_date = tm_zip{8, 6, 5, 4, 2, 2021}; // 2021-03-04 05:06:08, months from 0
        info.external_fa = uLong(entry.unixMode) << 16;
        // A wrong checksum is written raw: stored, with a made-up CRC-32.
        ok = ok &&
             zipOpenNewFileInZip4_64(zip, entry.name.constData(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, entry.badChecksum ? 0 : Z_DEFLATED,
                                     Z_DEFAULT_COMPRESSION, entry.badChecksum, -MAX_WBITS,
                                     DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                     entry.unixMode ? (3u << 8) | 20u : 20u, 0, 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, entry.data.constData(), unsigned(entry.data.size())) ==
                 ZIP_OK &&
             (entry.badChecksum
                  ? zipCloseFileInZipRaw64(zip, ZPOS64_T(entry.data.size()), 0x12345678u)
                  : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    return zip && zipClose(zip, nullptr) == ZIP_OK && ok;
}

QByteArray zipBytes(const QList<ZipEntry>& entries)
{
    QTemporaryFile file;
    return file.open() && writeZip(file.fileName(), entries) ? readFile(file.fileName())
                                                             : QByteArray();
}

QStringList privateTemporaryFolders()
{
    return QDir(QDir::tempPath()).entryList({"KorvelaPlayer-*"}, QDir::Dirs | QDir::Hidden);
}

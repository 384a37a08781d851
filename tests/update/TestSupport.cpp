#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <openssl/evp.h>

#include <cctype>

namespace {

// A certificate for 127.0.0.1 (and no other name), made with openssl on first use and added to
// the process's default TLS configuration as a certificate authority; the path of its files
// without ".pem" or ".key".
QString certificate()
{
    static QTemporaryDir folder;
    static const bool made = [] {
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                       folder.filePath("server.key"), "-out", folder.filePath("server.pem")});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return false;
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(QSslCertificate::fromPath(folder.filePath("server.pem")));
        QSslConfiguration::setDefaultConfiguration(configuration);
        return true;
    }();
    EXPECT_TRUE(made) << "could not make a test certificate with openssl";
    return folder.filePath("server");
}

} // namespace

TestHttpServer::TestHttpServer(bool tls)
{
    auto* server = tls ? new QSslServer : nullptr;
    m_server.reset(server ? server : new QTcpServer);
    if (server) {
        QSslConfiguration configuration;
        configuration.setLocalCertificate(
            QSslCertificate::fromPath(certificate() + ".pem").value(0));
        configuration.setPrivateKey(QSslKey(readFile(certificate() + ".key"), QSsl::Rsa));
        server->setSslConfiguration(configuration);
    }
    QObject::connect(
        m_server.get(), &QTcpServer::pendingConnectionAvailable, m_server.get(), [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [=, this] { answer(socket); });
                answer(socket);
            }
        });
    EXPECT_TRUE(m_server->listen(QHostAddress::LocalHost, 0));
    m_base =
        QStringLiteral("%1://127.0.0.1:%2").arg(tls ? "https" : "http").arg(m_server->serverPort());
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
    m_requests.append(target);
    const Response response = m_routes.value(
        target, {404, "<html><body><h1>Not Found</h1>\nversion=404page\n</body></html>\n"});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                      " Answer\r\nContent-Type: text/html\r\nConnection: close\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    socket->write(head + "\r\n" + response.body);
    socket->disconnectFromHost();
}

QByteArray zipBytes(const QList<ZipEntry>& entries)
{
    QTemporaryFile file;
    zipFile zip = file.open() ? zipOpen64(QFile::encodeName(file.fileName()).constData(),
                                          APPEND_STATUS_CREATE)
                              : nullptr;
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
    EXPECT_TRUE(zip && zipClose(zip, nullptr) == ZIP_OK && ok) << "could not write a zip archive";
    return readFile(file.fileName());
}

std::optional<QByteArray> TestHttpServer::bodyAt(const QString& url) const
{
    const auto found = m_routes.constFind(url.mid(m_base.size()));
    if (!url.startsWith(m_base) || found == m_routes.cend())
        return std::nullopt;
    return found->body;
}

TestSigner::TestSigner()
{
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    if (context && EVP_PKEY_keygen_init(context) == 1)
        EVP_PKEY_keygen(context, &m_key);
    EVP_PKEY_CTX_free(context);
    std::size_t length = 32;
    m_publicKey.resize(32);
    if (!m_key || EVP_PKEY_get_raw_public_key(
                      m_key, reinterpret_cast<unsigned char*>(m_publicKey.data()), &length) != 1)
        m_publicKey.clear();
}

TestSigner::~TestSigner()
{
    EVP_PKEY_free(m_key);
}

QByteArray TestSigner::sign(QByteArray text) const
{
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    QByteArray signature(64, '\0');
    std::size_t length = std::size_t(signature.size());
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool ok =
        context && EVP_DigestSignInit(context, nullptr, nullptr, nullptr, m_key) == 1 &&
        EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(text.constData()),
                       std::size_t(text.size())) == 1;
    EVP_MD_CTX_free(context);
    return text + "signature=" + (ok ? signature.toBase64() : QByteArray("none")) + "\n";
}

QByteArray sha256Hex(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

#include "update/RVDownloadUtil.h"

#include "TestHttpServer.h"
#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

// A port nothing listens on: bound and released again.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

TEST(DownloadUtil, ReturnsBodiesWhateverTheStatusAndNothingOnTransportErrors)
{
    const TestTls& tls = TestTls::instance();
    TestHttpServer server(tls.trustedCertificate, tls.trustedKey);
    server.route("/ini", "version=X1-27\r\nurl=https://h/x.zip\r\nno equals here\n");
    server.route("/empty", "");
    server.route("/unsized", TestHttpServer::Response{200, "streamed=yes\n", false});
    QByteArray binary(70000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 7);
    server.route("/binary", binary);

    EXPECT_EQ(RVDownloadUtil::requestData(server.url("/binary")), binary);
    EXPECT_EQ(RVDownloadUtil::request(server.url("/unsized")), QStringLiteral("streamed=yes\n"));
    // An empty body is a body: present, empty.
    const auto empty = RVDownloadUtil::requestData(server.url("/empty"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());

    const auto ini = RVDownloadUtil::requestIni(server.url("/ini"));
    EXPECT_EQ(ini.value("version"), QStringLiteral("X1-27"));
    EXPECT_EQ(ini.value("url"), QStringLiteral("https://h/x.zip"));
    EXPECT_EQ(ini.size(), 2);

    // Error pages of either kind (4xx from 403 on, 5xx) come back like any body.
    server.route("/forbidden", TestHttpServer::Response{403, "forbidden page"});
    server.route("/failing", TestHttpServer::Response{500, "server error page"});
    EXPECT_EQ(RVDownloadUtil::requestData(server.url("/forbidden")), QByteArray("forbidden page"));
    EXPECT_EQ(RVDownloadUtil::requestData(server.url("/failing")), QByteArray("server error page"));
    // A 404 page comes back like any body, and requestIni takes whatever lines it holds.
    const auto page = RVDownloadUtil::request(server.url("/missing"));
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->contains("Not Found"));
    EXPECT_EQ(RVDownloadUtil::requestIni(server.url("/missing")).value("version"),
              QStringLiteral("404page"));

    // Transport errors, texts that are no http(s) address: nothing.
    const QString refused = QStringLiteral("https://127.0.0.1:%1/x").arg(closedPort());
    EXPECT_FALSE(RVDownloadUtil::requestData(refused).has_value());
    EXPECT_TRUE(RVDownloadUtil::requestIni(refused).isEmpty());
    EXPECT_FALSE(RVDownloadUtil::requestData("not a url at all").has_value());
    EXPECT_FALSE(RVDownloadUtil::requestData("file:///etc/passwd").has_value());
    EXPECT_FALSE(RVDownloadUtil::requestData("https://").has_value());

    // The server saw the five successful requests and the two for the missing page.
    EXPECT_EQ(server.requests().count("/missing"), 2);
}

TEST(DownloadUtil, ChecksCertificatesAndSpeaksPlainHttpToo)
{
    const TestTls& tls = TestTls::instance();
    TestHttpServer untrusted(tls.untrustedCertificate, tls.untrustedKey);
    untrusted.route("/x", "secret");
    EXPECT_FALSE(RVDownloadUtil::requestData(untrusted.url("/x")).has_value());
    EXPECT_TRUE(untrusted.requests().isEmpty()); // the handshake failed before any request

    TestHttpServer plain;
    plain.route("/x", "plain body");
    EXPECT_EQ(RVDownloadUtil::request(plain.url("/x")), QStringLiteral("plain body"));
    // TLS spoken to a plain server is a transport error.
    QString wrongScheme = plain.url("/x");
    wrongScheme.replace("http://", "https://");
    EXPECT_FALSE(RVDownloadUtil::requestData(wrongScheme).has_value());
}

TEST(DownloadUtil, DownloadFileWritesAtomicallyAndReportsFailures)
{
    const TestTls& tls = TestTls::instance();
    TestHttpServer server(tls.trustedCertificate, tls.trustedKey);
    server.route("/fw.zip", "new contents");
    QTemporaryDir dir;
    const QString target = dir.filePath("fw.zip");
    ASSERT_TRUE(writeFile(target, "old contents that are longer"));

    EXPECT_TRUE(RVDownloadUtil::downloadFile(server.url("/fw.zip"), target));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no side files

    // No body: false, and the old file stays.
    EXPECT_FALSE(RVDownloadUtil::downloadFile(
        QStringLiteral("https://127.0.0.1:%1/fw.zip").arg(closedPort()), target));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));

    // A folder that does not exist cannot be written to: false and the log line.
    LogCapture log;
    EXPECT_FALSE(RVDownloadUtil::downloadFile(server.url("/fw.zip"), dir.filePath("no/such/f")));
    EXPECT_TRUE(log.contains("Write returned error:"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));

    // A disk that fills up during the transfer: false, the log names the file, nothing left.
    SmallDisk disk;
    if (!disk.isValid())
        return;
    server.route("/big.zip", QByteArray(1 << 20, 'z'));
    EXPECT_FALSE(RVDownloadUtil::downloadFile(server.url("/big.zip"), disk.filePath("fw.zip")));
    EXPECT_TRUE(log.contains("Write returned error: Could not write " + disk.filePath("fw.zip")));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(DownloadUtil, WorksFromBackgroundThreadsAndStopsOnRequest)
{
    const TestTls& tls = TestTls::instance();
    TestHttpServer server(tls.trustedCertificate, tls.trustedKey);
    server.route("/a", "A");
    std::optional<QByteArray> fromThread;
    std::thread worker([&] { fromThread = RVDownloadUtil::requestData(server.url("/a")); });
    worker.join();
    EXPECT_EQ(fromThread, QByteArray("A"));

    // A stop requested before or during the transfer fails it instead of waiting.
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(RVDownloadUtil::requestData(server.url("/a"), stopped.get_token()).has_value());

    // A server that accepts but never answers: the stop ends the wait.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::stop_source source;
    std::optional<QByteArray> result = QByteArray("unset");
    std::thread blocked([&] {
        result = RVDownloadUtil::requestData(
            QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()), source.get_token());
    });
    QThread::msleep(300);
    source.request_stop();
    blocked.join();
    EXPECT_FALSE(result.has_value());
}

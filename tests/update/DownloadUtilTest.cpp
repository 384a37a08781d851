#include "update/RVDownloadUtil.h"

#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

TEST(DownloadUtil, BodiesWhateverTheStatusAndNothingOnTransportOrCertificateErrors)
{
    TestHttpServer server;
    QByteArray binary(70000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 7);
    // Error pages of either kind (4xx from 403 on, 5xx) come back like any body; an empty body
    // is present, empty.
    const std::tuple<QString, TestHttpServer::Response> bodies[] = {
        {"/binary", {200, binary}},
        {"/unsized", {200, "streamed=yes\n", false}},
        {"/empty", {200, ""}},
        {"/forbidden", {403, "forbidden page"}},
        {"/failing", {500, "server error page"}}};
    for (const auto& [path, response] : bodies) {
        server.route(path, response);
        EXPECT_EQ(RVDownloadUtil::requestData(server.url(path)), std::optional(response.body))
            << path.toStdString();
    }
    // The 404 page too, and requestIni takes whatever lines it holds.
    EXPECT_TRUE(RVDownloadUtil::request(server.url("/missing")).value_or("").contains("Not Found"));
    EXPECT_EQ(RVDownloadUtil::requestIni(server.url("/missing")).value("version"), "404page");
    server.route("/ini", "version=X1-27\r\nurl=https://h/x.zip\r\nno equals here\n");
    EXPECT_EQ(RVDownloadUtil::requestIni(server.url("/ini")),
              (QMap<QString, QString>{{"version", "X1-27"}, {"url", "https://h/x.zip"}}));

    // Transport errors, texts that are no http(s) address: nothing.
    EXPECT_TRUE(RVDownloadUtil::requestIni("https://127.0.0.1:1/x").isEmpty());
    for (const char* url :
         {"https://127.0.0.1:1/x", "not a url at all", "file:///etc/passwd", "https://"})
        EXPECT_FALSE(RVDownloadUtil::requestData(url).has_value()) << url;
    // An untrusted certificate fails the handshake before any request; TLS spoken to a plain
    // server is a transport error too.
    TestHttpServer untrusted("untrusted"), plain("");
    untrusted.route("/x", "secret");
    plain.route("/x", "plain body");
    EXPECT_FALSE(RVDownloadUtil::requestData(untrusted.url("/x")).has_value());
    EXPECT_TRUE(untrusted.requests().isEmpty());
    EXPECT_EQ(RVDownloadUtil::request(plain.url("/x")), QStringLiteral("plain body"));
    EXPECT_FALSE(RVDownloadUtil::requestData(plain.url("/x").replace("http:", "https:")));
}

TEST(DownloadUtil, DownloadFileWritesAtomicallyAndReportsFailures)
{
    TestHttpServer server;
    server.route("/fw.zip", "new contents");
    QTemporaryDir dir;
    const QString target = dir.filePath("fw.zip");
    ASSERT_TRUE(writeFile(target, "old contents that are longer"));
    EXPECT_TRUE(RVDownloadUtil::downloadFile(server.url("/fw.zip"), target));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));
    // No body: false, and the old file stays.
    EXPECT_FALSE(RVDownloadUtil::downloadFile("https://127.0.0.1:1/fw.zip", target));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no side files

    // A folder that does not exist, a disk that fills up during the transfer: false, the log
    // names the file, nothing is left.
    LogCapture log;
    EXPECT_FALSE(RVDownloadUtil::downloadFile(server.url("/fw.zip"), dir.filePath("no/such/f")));
    EXPECT_TRUE(log.contains("Write returned error:"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    server.route("/big.zip", QByteArray(1 << 20, 'z'));
    EXPECT_FALSE(RVDownloadUtil::downloadFile(server.url("/big.zip"), disk.filePath("fw.zip")));
    EXPECT_TRUE(log.contains("Write returned error: Could not write " + disk.filePath("fw.zip")));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(DownloadUtil, AStopEndsAWaitingTransfer)
{
    // A server that accepts but never answers: a stop from another thread ends the wait.
    std::optional<QByteArray> fromThread = "unset";
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::stop_source source;
    std::thread blocked([&] {
        fromThread = RVDownloadUtil::requestData(
            QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()), source.get_token());
    });
    QThread::msleep(300);
    source.request_stop();
    blocked.join();
    EXPECT_FALSE(fromThread.has_value());
}

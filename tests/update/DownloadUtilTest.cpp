#include "update/RVDownloadUtil.h"

#include "TestSupport.h"

#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

TEST(DownloadUtil, BodiesWhateverTheStatusNothingOnTransportErrorsFilesReplacedWholeAndAStop)
{
    TestHttpServer server;
    const QByteArray binary = QByteArray(70000, '\0') + "\x80\xff end";
    // Error pages of either kind (4xx, 5xx) come back like any body.
    const std::tuple<QString, TestHttpServer::Response> bodies[] = {
        {"/bin", {200, binary}},          {"/unsized", {200, "streamed", false}},
        {"/400", {400, "bad request"}},   {"/403", {403, "denied"}},
        {"/422", {422, "unprocessable"}}, {"/500", {500, "error"}}};
    for (const auto& [path, response] : bodies) {
        server.route(path, response);
        EXPECT_EQ(RVDownloadUtil::requestData(server.url(path)), std::optional(response.body))
            << path.toStdString();
    }
    // The 404 page too, and requestIni takes whatever lines it holds.
    EXPECT_EQ(RVDownloadUtil::requestIni(server.url("/missing")).value("version"), "404page");

    // Transport errors, texts that are no http(s) address: nothing.
    for (const char* url :
         {"https://127.0.0.1:1/x", "not a url at all", "file:///etc/passwd", "https://"})
        EXPECT_FALSE(RVDownloadUtil::requestData(url).has_value()) << url;
    // A certificate that does not name the host fails the handshake before any request; TLS
    // spoken to a plain server is a transport error too.
    TestHttpServer plain(false);
    EXPECT_FALSE(RVDownloadUtil::requestData(server.url("/x").replace("127.0.0.1", "localhost")));
    EXPECT_EQ(server.requests().count("/x"), 0);
    EXPECT_FALSE(RVDownloadUtil::requestData(plain.url("/x").replace("http:", "https:")));
    EXPECT_EQ(RVDownloadUtil::requestIni(plain.url("/x")).value("version"), "404page"); // http too

    // Files are replaced whole, and only by a body that arrived.
    server.route("/fw.zip", "new contents");
    QTemporaryDir dir;
    const QString target = dir.filePath("fw.zip");
    ASSERT_TRUE(writeFile(target, "old contents that are longer"));
    EXPECT_TRUE(RVDownloadUtil::downloadFile(server.url("/fw.zip"), target, 1 << 20));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));
    // No body or no address: false, and the old file stays.
    EXPECT_FALSE(RVDownloadUtil::downloadFile("https://127.0.0.1:1/fw.zip", target, 1 << 20));
    EXPECT_FALSE(RVDownloadUtil::downloadFile("file:///etc/passwd", target, 1 << 20));
    EXPECT_EQ(readFile(target), QByteArray("new contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no side files

    // A body longer than its limit, announced or not, is refused and stops there; the old file
    // stays. Exactly the limit is fine.
    server.route("/endless", {200, QByteArray(3 << 20, 'z'), false});
    server.route("/long", QByteArray(3 << 20, 'z'));
    for (const char* path : {"/endless", "/long"}) {
        EXPECT_FALSE(RVDownloadUtil::requestData(server.url(path), {}, 1 << 20)) << path;
        EXPECT_FALSE(RVDownloadUtil::downloadFile(server.url(path), target, 1 << 20)) << path;
        EXPECT_EQ(readFile(target), QByteArray("new contents"));
    }
    EXPECT_TRUE(RVDownloadUtil::requestData(server.url("/long"), {}, 3 << 20));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A folder that does not exist: false, the log says why, nothing is left.
    LogCapture log;
    EXPECT_FALSE(
        RVDownloadUtil::downloadFile(server.url("/fw.zip"), dir.filePath("no/such/f"), 1 << 20));
    EXPECT_TRUE(log.contains("Write returned error:"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));

    // A server that accepts but never answers: a stop from another thread ends the wait.
    std::optional<QByteArray> fromThread = "unset";
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::jthread blocked([&](std::stop_token stop) {
        fromThread = RVDownloadUtil::requestData(
            QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()), stop);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    blocked.request_stop();
    blocked.join();
    EXPECT_FALSE(fromThread.has_value());
}

// One window per user: the message a second launch sends, and a real second launch handing
// its paths to this process, which plays the running player.
#include "app/RVLaunchMessage.h"
#include "app/RVSingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// A long list arrives whole in parts; a peer that floods the socket with connections holds only
// a bounded number open.
TEST(SingleInstance, CompleteMessagesOnlyASecondLaunchHandsItsPathsOverLongListsAndFloods)
{
    const QByteArray full = RVLaunchMessage::encode({"/a b/ü.mp4", "", "/c"});
    EXPECT_EQ(RVLaunchMessage::decode(full), (QStringList{"/a b/ü.mp4", "/c"}));
    EXPECT_EQ(RVLaunchMessage::decode(RVLaunchMessage::encode({})), QStringList{});
    // Cut after a whole path, cut inside one, another program's bytes, an empty path inside,
    // one byte over the limit.
    QByteArray oversized = RVLaunchMessage::encode({});
    oversized.insert(13, QByteArray(RVLaunchMessage::kMaxBytes, 'x'));
    for (const QByteArray& bad :
         {full.left(full.indexOf('\0', 14) + 1), full.left(16),
          QByteArray("GET / HTTP/1.1\0\0", 16), QByteArray("korvela-open\0/a\0\0/b\0\0", 22),
          oversized, QByteArray()})
        EXPECT_FALSE(RVLaunchMessage::decode(bad)) << bad.left(40).toStdString();

    QTemporaryDir runtime; // the user's runtime folder: mode 0700, as the desktop makes it
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString name = RVSingleInstance::defaultServerName();
    ASSERT_TRUE(name.startsWith(runtime.path()));
    // A player that crashed left its socket file behind; it must not block the start.
    ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
    RVSingleInstance running(name);
    ASSERT_FALSE(running.handOver({"/x"}, 500));
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &RVSingleInstance::pathsReceived);

    QDir(runtime.path()).mkdir(QStringLiteral("card"));
    QProcess second;
    second.setWorkingDirectory(runtime.path());
    second.start(QStringLiteral(KORVELA_BINARY_DIR "/app/korvela-player"),
                 {QStringLiteral("card"), QStringLiteral("file:///tmp/x.mp4")});
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(received.wait(20000)) << second.readAllStandardError().toStdString();
    EXPECT_EQ(received.at(0).at(0).toStringList(),
              (QStringList{runtime.filePath(QStringLiteral("card")), "file:///tmp/x.mp4"}));
    // It quits at once instead of opening a second window.
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(std::pair(second.exitStatus(), second.exitCode()),
              std::pair(QProcess::NormalExit, 0));

    // A running player that is slow to answer keeps its socket. This thread's event loop does
    // not turn: the running player answers nobody. A launch gives up, but must neither take the
    // name nor remove the socket.
    received.clear();
    RVSingleInstance gaveUp(name);
    EXPECT_FALSE(gaveUp.handOver({"/late"}, 300));
    EXPECT_FALSE(gaveUp.listen());
    EXPECT_TRUE(QFileInfo::exists(name));

    // Three thousand paths of 500 bytes: more than one message holds.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many.append(QStringLiteral("/card/%1/").arg(i) + QString(490, QLatin1Char('x')));
    std::atomic<bool> handedOver{false};
    std::thread launch([&] {
        RVSingleInstance third(name);
        handedOver = third.handOver(many, 10000);
    });
    // The launch that gave up may still be read once the loop turns; it is no part of the list.
    QStringList arrived;
    const auto fromThird = [&] { return arrived.size() - arrived.count("/late"); };
    while (fromThird() < many.size() && received.wait(10000)) {
        for (const QList<QVariant>& signal : std::as_const(received))
            arrived += signal.at(0).toStringList();
        received.clear();
    }
    launch.join();
    EXPECT_TRUE(handedOver);
    arrived.removeAll("/late");
    EXPECT_EQ(arrived, many);

    // A flood of silent connections: the ones over the cap are closed at once.
    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int i = 0; i < 3 * RVSingleInstance::kMaxConnections; ++i) {
        flood.push_back(std::make_unique<QLocalSocket>());
        flood.back()->connectToServer(name);
        ASSERT_TRUE(flood.back()->waitForConnected(1000));
    }
    const auto open = [&] {
        return std::count_if(flood.begin(), flood.end(), [](const auto& socket) {
            return socket->state() == QLocalSocket::ConnectedState;
        });
    };
    for (int turn = 0; turn < 50 && open() > RVSingleInstance::kMaxConnections; ++turn) {
        QCoreApplication::processEvents();
        for (const auto& socket : flood)
            socket->waitForDisconnected(1);
    }
    EXPECT_EQ(open(), RVSingleInstance::kMaxConnections);
}

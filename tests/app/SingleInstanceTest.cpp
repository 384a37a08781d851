// One window per user: the message a second launch sends, and a real second launch handing
// its paths to this process, which plays the running player.
#include "app/RVLaunchMessage.h"
#include "app/RVSingleInstance.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstance, CompleteMessagesOnlyAndASecondLaunchHandsItsPathsOver)
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
}

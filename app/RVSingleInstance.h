#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One player window per user: a second launch hands its paths to the running one and quits.
//
// The first launch listens on a local socket named per user (in the user's runtime folder,
// else a name carrying the user id in the temporary folder). A later launch connects, sends
// its paths and waits for the running window's acknowledgement; without one it opens its own
// window. The running player holds a lock on "<socket>.lock" for as long as it lives, so a
// socket file is replaced only when no live player holds that lock (one left by a crashed
// player); a running player that is merely slow to answer keeps its socket.
// The paths travel as RVLaunchMessages of at most RVLaunchMessage::kMaxBytes, a long list in
// several, one per connection; each is answered with the single byte 0x06 once taken. The
// running player serves at most kMaxConnections clients at once (the rest are closed at
// once), so a local peer that floods it holds at most that many messages in memory.
class RVSingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit RVSingleInstance(QString serverName, QObject* parent = nullptr);
    ~RVSingleInstance() override;

    // The per-user socket of the installed program.
    static QString defaultServerName();

    // True when a running instance took the paths (absolute paths; the receiver's working
    // folder is not ours).
    bool handOver(const QStringList& paths, int timeoutMs = 3000);
    // Becomes the running instance; replaces a stale socket. False when the socket cannot be
    // made, or another live player holds it (the window then works alone).
    bool listen();

    static constexpr int kMaxConnections = 16;

Q_SIGNALS:
    void pathsReceived(const QStringList& paths);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
    int m_lockFd = -1; // held while this is the running instance
    int m_connections = 0;
};

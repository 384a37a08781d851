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
// window. A socket file left by a crashed player answers nobody and is replaced.
// The paths travel as an RVLaunchMessage; the answer is the single byte 0x06 once they were
// taken.
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
    // made (the window then works alone).
    bool listen();

Q_SIGNALS:
    void pathsReceived(const QStringList& paths);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QLocalServer;

// One player window per user: a second launch hands its paths to the running one and quits.
//
// The first launch listens on a local socket named per user (in the user's runtime folder,
// else a name carrying the user id in the temporary folder). A later launch connects, sends
// its paths and waits for the running window's acknowledgement; without one it opens its own
// window. A socket file left by a crashed player answers nobody and is replaced.
//
// Message (client to server), all UTF-8:
//   "korvela-open" NUL, each path followed by NUL, then one more NUL (paths are never empty);
//   at most kMaxMessageBytes in all.
// Answer: the single byte 0x06 once the paths were taken.
class RVSingleInstance final : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxMessageBytes = 1 << 20; // far more than any command line

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

    static QByteArray encodeMessage(const QStringList& paths);
    // Empty when the bytes are not a complete message.
    static std::optional<QStringList> decodeMessage(const QByteArray& bytes);

Q_SIGNALS:
    void pathsReceived(const QStringList& paths);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};

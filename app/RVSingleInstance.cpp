#include "app/RVSingleInstance.h"

#include "app/RVLaunchMessage.h"
#include "core/platform/RVPlatformFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace {
constexpr char kAcknowledge = '\x06';
// A client that connects and sends nothing is dropped after this long.
constexpr int kReadTimeoutMs = 5000;
} // namespace

RVSingleInstance::RVSingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName))
{}

RVSingleInstance::~RVSingleInstance()
{
    RVPlatformFile::closeFile(m_lockFd); // releases the lock
}

QString RVSingleInstance::defaultServerName()
{
    // The runtime folder is the user's own (mode 0700); the fallback name in the shared
    // temporary folder carries the user id so that two users never meet.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("korvela-player.socket"));
    return QStringLiteral("korvela-player-%1").arg(RVPlatformFile::userId());
}

namespace {

// The paths cut into messages that each stay within the message limit.
QList<QStringList> messageParts(const QStringList& paths)
{
    QList<QStringList> parts(1);
    qsizetype bytes = RVLaunchMessage::encode({}).size();
    for (const QString& path : paths) {
        const qsizetype size = path.toUtf8().size() + 1;
        if (bytes + size > RVLaunchMessage::kMaxBytes && !parts.back().isEmpty()) {
            parts.append(QStringList());
            bytes = RVLaunchMessage::encode({}).size();
        }
        if (bytes + size > RVLaunchMessage::kMaxBytes)
            continue; // a single path longer than any file system allows
        parts.back().append(path);
        bytes += size;
    }
    return parts;
}

bool sendMessage(const QString& serverName, const QStringList& paths, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(RVLaunchMessage::encode(paths));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    }
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.read(1) == QByteArray(1, kAcknowledge);
}

} // namespace

bool RVSingleInstance::handOver(const QStringList& paths, int timeoutMs)
{
    // The first part decides whether a player answers at all; later parts follow only then.
    for (const QStringList& part : messageParts(paths)) {
        if (!sendMessage(m_serverName, part, timeoutMs))
            return false;
    }
    return true;
}

bool RVSingleInstance::listen()
{
    // The lock says whether a live player owns the socket: the kernel drops it when the
    // holder ends, however it ends.
    // A bare name (no runtime folder) is a socket in the temporary folder; its lock lies there.
    const QString socketPath = QFileInfo(m_serverName).isAbsolute()
                                   ? m_serverName
                                   : QDir(QDir::tempPath()).filePath(m_serverName);
    const QByteArray lockPath = QFile::encodeName(socketPath + QStringLiteral(".lock"));
    m_lockFd = RVPlatformFile::lockExclusively(lockPath);
    if (m_lockFd < 0) {
        qWarning().noquote() << "Another player holds" << m_serverName
                             << "; this window works alone";
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        // Nobody holds the lock: whatever holds the name is left from a player that ended
        // without removing it.
        if (m_server->serverError() != QAbstractSocket::AddressInUseError)
            return false;
        QLocalServer::removeServer(m_serverName);
        if (!m_server->listen(m_serverName)) {
            qWarning().noquote() << "Cannot listen for other launches:" << m_server->errorString();
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &RVSingleInstance::acceptConnection);
    return true;
}

void RVSingleInstance::acceptConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        if (m_connections >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        // What came so far; null once the message was answered.
        auto buffer = std::make_shared<std::optional<QByteArray>>(QByteArray());
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kReadTimeoutMs, socket, [socket] { socket->abort(); });
        auto readMore = [this, socket, buffer] {
            if (!*buffer)
                return; // answered already
            **buffer += socket->readAll();
            if ((*buffer)->size() > RVLaunchMessage::kMaxBytes) {
                socket->abort();
                return;
            }
            // Wait for more until the message is complete.
            const std::optional<QStringList> paths = RVLaunchMessage::decode(**buffer);
            if (!paths)
                return;
            buffer->reset();
            socket->write(QByteArray(1, kAcknowledge));
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT pathsReceived(*paths);
        };
        connect(socket, &QLocalSocket::readyRead, this, readMore);
        // What came with the connection may already wait in the socket.
        if (socket->bytesAvailable() > 0)
            readMore();
    }
}

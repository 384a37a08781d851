#include "app/RVSingleInstance.h"

#include "app/RVLaunchMessage.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

#include <unistd.h>

namespace {
constexpr char kAcknowledge = '\x06';
// A client that connects and sends nothing is dropped after this long.
constexpr int kReadTimeoutMs = 5000;
} // namespace

RVSingleInstance::RVSingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName))
{}

RVSingleInstance::~RVSingleInstance() = default;

QString RVSingleInstance::defaultServerName()
{
    // The runtime folder is the user's own (mode 0700); the fallback name in the shared
    // temporary folder carries the user id so that two users never meet.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("korvela-player.socket"));
    return QStringLiteral("korvela-player-%1").arg(::getuid());
}

bool RVSingleInstance::handOver(const QStringList& paths, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
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

bool RVSingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        // handOver found nobody answering: whatever holds the name is left from a player
        // that ended without removing it.
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

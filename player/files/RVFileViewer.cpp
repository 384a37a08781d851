#include "player/files/RVFileViewer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QtDebug>

namespace {
const auto kService = QStringLiteral("org.freedesktop.FileManager1");
const auto kPath = QStringLiteral("/org/freedesktop/FileManager1");

void openFolderOf(const QString& path, const std::function<void(const QString&)>& notShown)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (RVFileViewer::openFile(folder))
        return;
    qInfo().noquote() << "Cannot open folder" << folder;
    if (notShown)
        notShown(folder);
}
} // namespace

bool RVFileViewer::openFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool RVFileViewer::revealFiles(const QStringList& paths,
                               std::function<void(const QString& folder)> notShown)
{
    if (paths.isEmpty())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        openFolderOf(paths.constFirst(), notShown);
        return true;
    }

    QStringList uris;
    for (const QString& path : paths)
        uris << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("ShowItems"));
    call << uris << QString(); // startup id: none
    // The bus starts an activatable file manager by itself; an error answer (no such service,
    // or the file manager failed) falls back to the folder.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    const QString first = paths.constFirst();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [first, notShown](QDBusPendingCallWatcher* self) {
                         if (self->isError()) {
                             qInfo().noquote()
                                 << "File manager did not show items:" << self->error().message();
                             openFolderOf(first, notShown);
                         }
                         self->deleteLater();
                     });
    return true;
}

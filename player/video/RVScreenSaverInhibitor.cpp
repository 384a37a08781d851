#include "player/video/RVScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
} // namespace

RVScreenSaverInhibitor::RVScreenSaverInhibitor(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{}

RVScreenSaverInhibitor::~RVScreenSaverInhibitor()
{
    release();
}

void RVScreenSaverInhibitor::setInhibited(bool inhibited)
{
    if (inhibited == m_wanted)
        return;
    m_wanted = inhibited;
    if (!inhibited) {
        release(); // an answer still on its way is given back when it comes
        return;
    }
    if (m_cookie || m_asking || !m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("Korvela Player") << QStringLiteral("Playing a trip");
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                m_asking = false;
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    qInfo().noquote() << "Screensaver not inhibited:" << reply.error().message();
                    return;
                }
                m_cookie = reply.value();
                Q_EMIT heldChanged(true);
                if (!m_wanted)
                    release();
            });
}

void RVScreenSaverInhibitor::release()
{
    if (!m_cookie)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << *m_cookie;
    m_cookie.reset();
    m_bus.send(call);
    Q_EMIT heldChanged(false);
}

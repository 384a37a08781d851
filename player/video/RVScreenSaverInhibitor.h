#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

// Keeps the desktop's screensaver (and the screen's blanking) off while a trip plays, through
// the freedesktop ScreenSaver service on the session bus: Inhibit(application, reason) gives a
// cookie that UnInhibit(cookie) returns. Calls never wait on the bus; without a bus or a
// service nothing happens.
class RVScreenSaverInhibitor final : public QObject
{
    Q_OBJECT

public:
    explicit RVScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                    QObject* parent = nullptr);
    // Gives back an inhibition still held.
    ~RVScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);
    // True while the service holds an inhibition of ours.
    bool isHeld() const { return m_cookie.has_value(); }

Q_SIGNALS:
    // The service answered: held or given back.
    void heldChanged(bool held);

private:
    void release();

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_asking = false; // an Inhibit call is on its way
    std::optional<uint> m_cookie;
};

#include "player/video/RVScreenSaverInhibitor.h"

#include "support/Support.h"

#include <QDBusConnection>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// The desktop's screensaver service, stood up on a bus of the test's own.
class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<uint> inhibited, released; // cookies handed out and given back

public Q_SLOTS:
    Q_SCRIPTABLE uint Inhibit(const QString&, const QString&)
    {
        inhibited.append(uint(100 + inhibited.size()));
        return inhibited.last();
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie) { released.append(cookie); }
};

} // namespace

TEST(ScreenSaver, InhibitedWhilePlayingAndGivenBackOnce)
{
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(10000)) << "dbus-daemon did not start";
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "screensaver-service");
        FakeScreenSaver service;
        ASSERT_TRUE(serviceBus.registerService("org.freedesktop.ScreenSaver"));
        ASSERT_TRUE(serviceBus.registerObject("/org/freedesktop/ScreenSaver", &service,
                                              QDBusConnection::ExportScriptableSlots));
        {
            RVScreenSaverInhibitor inhibitor(
                QDBusConnection::connectToBus(address, "screensaver-player"));
            inhibitor.setInhibited(true);
            inhibitor.setInhibited(true); // a rate change while playing asks nothing more
            ASSERT_TRUE(support::waitFor([&] { return inhibitor.isHeld(); }));
            inhibitor.setInhibited(false);
            EXPECT_FALSE(inhibitor.isHeld());
            // Paused again before the service answered: the late cookie goes straight back.
            inhibitor.setInhibited(true);
            inhibitor.setInhibited(false);
            ASSERT_TRUE(support::waitFor([&] { return service.released.size() == 2; }));
            EXPECT_EQ(service.released, service.inhibited);
            // Closing the window while playing gives it back too.
            inhibitor.setInhibited(true);
            ASSERT_TRUE(support::waitFor([&] { return inhibitor.isHeld(); }));
        }
        EXPECT_TRUE(support::waitFor([&] { return service.released.size() == 3; }));
        EXPECT_EQ(service.released, service.inhibited);
    }
    daemon.kill();
    daemon.waitForFinished();
}

#include "ScreenSaverTest.moc"

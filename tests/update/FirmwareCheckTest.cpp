#include "update/RVUpdater.h"

#include "metadata/RVSettings.h"

#include "TestHttpServer.h"
#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString kAsk = "question UPTATE_FIRMWARE_READY_TITLE UPTATE_FIRMWARE_READY_MESSAGE";
const QString kDone = "alert UPTATE_FIRMWARE_FINISHED_TITLE UPTATE_FIRMWARE_FINISHED_MESSAGE";
const QString kFailed = "alert UPTATE_FAILED_FINISHED_TITLE UPTATE_FAILED_FINISHED_MESSAGE";

class FirmwareCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RVSettings::store().clear();
        RVSettings::setText(RVSettings::kFirmwareUrl, m_server.url("/fw/%model%.txt?m=%model%"));
        m_server.route("/fw.zip", zipBytes({{"sotava.bin", m_image}, {"notes.txt", "notes"}}));
        describe("X1", "X1-27", m_server.url("/fw.zip"));
        makeCard("cardA", "[autorun]\r\nfirmware=X1-15\r\nlabel=CAM\r\n");
    }

    void describe(const QString& model, const QByteArray& version, const QString& url)
    {
        m_server.route("/fw/" + model + ".txt?m=" + model,
                       "version=" + version + "\nurl=" + url.toLatin1() + "\n");
    }
    QString makeCard(const QString& name, const QByteArray& autorun)
    {
        const QString card = m_root.filePath(name);
        QDir().mkpath(card + "/DCIM");
        if (!autorun.isNull())
            writeFile(card + "/autorun.inf", autorun);
        m_cards.append(card);
        return card;
    }
    QString card() const { return m_cards.first(); }
    // Update information with only the firmware address, in an answer without a length.
    void publishFirmwareOnly()
    {
        const QByteArray info =
            "firmwareURL=" + m_server.url("/fw/%model%.txt?m=%model%").toLatin1() + "\n";
        m_server.route("/korvelaplayer.php", TestHttpServer::Response{200, info, false});
    }

    RVUpdaterEnvironment environment()
    {
        RVUpdaterEnvironment env;
        env.serverUrl = m_server.url("/");
        env.dashcamFlashDrives = [this] { return m_cards; };
        env.firmwareChecked = &m_checked;
        env.endProcess = [](int) { FAIL() << "the firmware check must not end the process"; };
        return env;
    }

    QTemporaryDir m_root;
    TestHttpServer m_server{TestTls::instance().trustedCertificate, TestTls::instance().trustedKey};
    QStringList m_cards;
    std::atomic<bool> m_checked{false};
    const QByteArray m_image = QByteArray(100000, '\x5a') + "end of image";
};

} // namespace

TEST_F(FirmwareCheck, NewerFirmwareIsPlacedOnTheFirstCardWithItsMarker)
{
    makeCard("cardB", "firmware=X1-01\n"); // a second card is never looked at
    ScriptedDialogs dialogs({true});
    RVUpdater updater(environment(), &dialogs);
    updater.checkReleasedFirmwareVersion();

    EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kDone}));
    EXPECT_EQ(m_server.requests(), QStringList({"/fw/X1.txt?m=X1", "/fw.zip"}));
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);
    EXPECT_EQ(QFileInfo(card() + "/firmware.ready").size(), 0);
    EXPECT_EQ(QDir(card()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "firmware.ready", "sotava.bin"}));
    EXPECT_FALSE(QFileInfo::exists(m_cards[1] + "/sotava.bin"));
    EXPECT_TRUE(m_checked);
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());

    // Once per run: a second check asks nothing.
    updater.checkReleasedFirmwareVersion();
    EXPECT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(m_server.requests().size(), 2);
}

TEST_F(FirmwareCheck, VersionsCompareAsText)
{
    struct Case
    {
        QByteArray card, published;
        bool asked;
    };
    const Case cases[] = {{"X1-15", "X1-27", true}, {"X1-15", "X1-15", false},
                          {"X1-10", "X1-9", true},  {"X1-27", "X1-15", false},
                          {"X1-15", "x1-15", true}, {"X1", "X1-1", true}};
    for (const Case& c : cases) {
        m_checked = false;
        writeFile(card() + "/autorun.inf", "firmware=" + c.card + "\n");
        describe("X1", c.published, m_server.url("/fw.zip"));
        ScriptedDialogs dialogs({false}); // "No": nothing is downloaded
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
        EXPECT_EQ(dialogs.shown(), c.asked ? QStringList({kAsk}) : QStringList())
            << c.card.constData() << " vs " << c.published.constData();
        EXPECT_TRUE(m_checked);
    }
    EXPECT_FALSE(m_server.requests().contains("/fw.zip"));
    EXPECT_FALSE(QFileInfo::exists(card() + "/sotava.bin"));
}

TEST_F(FirmwareCheck, NothingHappensWithoutCardModelOrDescription)
{
    ScriptedDialogs dialogs({true, true, true, true, true});
    const auto check = [&] {
        m_checked = false;
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
    };
    const QStringList cards = m_cards;

    m_cards.clear(); // no card: the flag stays clear for a card mounted later
    check();
    EXPECT_FALSE(m_checked);
    m_cards = cards;

    QFile::remove(card() + "/autorun.inf");
    check();
    writeFile(card() + "/autorun.inf", "label=CAM\n");
    check();
    EXPECT_TRUE(m_server.requests().isEmpty());

    writeFile(card() + "/autorun.inf", "firmware=Z9-1\n"); // no description for Z9: a 404 page
    check();
    EXPECT_EQ(m_server.requests(), QStringList({"/fw/Z9.txt?m=Z9"}));

    writeFile(card() + "/autorun.inf", "firmware=X1-1\n");
    m_server.route("/fw/X1.txt?m=X1", "version=X1-99\n"); // no url
    check();
    RVSettings::store().remove(RVSettings::kFirmwareUrl); // no template
    check();
    RVSettings::setText(RVSettings::kFirmwareUrl, "http://127.0.0.1:1/%model%"); // not https
    LogCapture log;
    check();
    EXPECT_TRUE(log.contains("Refusing firmware description that is not https"));
    EXPECT_EQ(m_server.requests().size(), 2);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(FirmwareCheck, ReplacesAnEarlierImageAndReportsFailures)
{
    // An image (read-only, as the camera may leave it) and a marker from an earlier run.
    ASSERT_TRUE(writeFile(card() + "/sotava.bin", "earlier image"));
    QFile::setPermissions(card() + "/sotava.bin", QFile::ReadOwner);
    ASSERT_TRUE(writeFile(card() + "/firmware.ready", "stale"));
    {
        ScriptedDialogs dialogs({true});
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
        EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kDone}));
    }
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);
    EXPECT_EQ(QFileInfo(card() + "/firmware.ready").size(), 0);

    const auto failingWith = [&](const QString& archiveUrl) {
        QFile::remove(card() + "/sotava.bin");
        QFile::remove(card() + "/firmware.ready");
        describe("X1", "X1-99", archiveUrl);
        m_checked = false;
        ScriptedDialogs dialogs({true});
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
        EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kFailed})) << archiveUrl.toStdString();
        EXPECT_FALSE(QFileInfo::exists(card() + "/sotava.bin"));
        EXPECT_FALSE(QFileInfo::exists(card() + "/firmware.ready"));
        EXPECT_TRUE(privateTemporaryFolders().isEmpty());
    };
    // Download fails (nothing listens).
    failingWith("https://127.0.0.1:1/fw.zip");
    // An error page instead of the archive: nothing to unpack, so the copy fails.
    failingWith(m_server.url("/missing.zip"));
    // A damaged image is never copied to the card.
    m_server.route("/damaged.zip", zipBytes({{"sotava.bin", "broken", 0, true}}));
    failingWith(m_server.url("/damaged.zip"));
    // Firmware is code the camera will run: never over plain http.
    TestHttpServer plain;
    plain.route("/fw.zip", zipBytes({{"sotava.bin", "unsigned"}}));
    failingWith(plain.url("/fw.zip"));
    EXPECT_TRUE(plain.requests().isEmpty());

    // The marker cannot be written: failure alert, the image stays without a marker.
    if (::geteuid() != 0) { // root writes anywhere
        describe("X1", "X1-99", m_server.url("/fw.zip"));
        m_checked = false;
        ScriptedDialogs dialogs({true});
        QFile::setPermissions(card(), QFile::ReadOwner | QFile::ExeOwner);
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
        QFile::setPermissions(card(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kFailed}));
    }
}

TEST_F(FirmwareCheck, RunsOnItsOwnThreadAfterTheUpdateInformation)
{
    // The address comes with the update information, stored for the check.
    publishFirmwareOnly();
    RVSettings::store().remove(RVSettings::kFirmwareUrl);
    ScriptedDialogs dialogs({true});
    LogCapture log;
    RVUpdater updater(environment(), &dialogs);
    int finished = 0;
    QObject::connect(&updater, &RVUpdater::firmwareCheckFinished, [&finished] { ++finished; });
    updater.checkForUpdate();
    ASSERT_TRUE(waitFor([&] { return finished == 1; }));
    EXPECT_TRUE(updater.versionDownloaded());
    EXPECT_TRUE(log.lines().contains("Response length unexpected"));
    EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kDone}));
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);
    EXPECT_EQ(m_server.requests(),
              QStringList({"/korvelaplayer.php", "/fw/X1.txt?m=X1", "/fw.zip"}));
}

TEST_F(FirmwareCheck, DestroyingTheUpdaterEndsAWaitingCheck)
{
    publishFirmwareOnly();
    ScriptedDialogs dialogs({true});
    {
        RVUpdater updater(environment(), &dialogs);
        updater.checkForUpdate();
        // Let the information arrive and the firmware thread start, then stop serving this
        // thread's events: the question the thread posts after fetching the description is
        // never shown, because the updater goes first.
        ASSERT_TRUE(waitFor([&] { return m_checked.load(); }));
        for (int i = 0; i < 500 && m_server.requests().size() < 2; ++i)
            QThread::msleep(10);
        EXPECT_EQ(m_server.requests().size(), 2);
        QThread::msleep(200);
    }
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(card() + "/sotava.bin"));
}

TEST_F(FirmwareCheck, AFullCardGetsNoPartialImageAndALinkAtTheImageIsReplaced)
{
    // A link planted where the image goes: replaced, and what it pointed to is untouched.
    const QString victim = m_root.filePath("victim");
    ASSERT_TRUE(writeFile(victim, "victim"));
    ASSERT_TRUE(QFile::link(victim, card() + "/sotava.bin"));
    {
        ScriptedDialogs dialogs({true});
        RVUpdater updater(environment(), &dialogs);
        updater.checkReleasedFirmwareVersion();
        EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kDone}));
    }
    EXPECT_EQ(readFile(victim), QByteArray("victim"));
    EXPECT_FALSE(QFileInfo(card() + "/sotava.bin").isSymLink());
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);

    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    ASSERT_TRUE(writeFile(disk.filePath("autorun.inf"), "firmware=X1-15\n"));
    disk.fill();
    m_cards = {disk.path()};
    m_checked = false;
    ScriptedDialogs dialogs({true});
    RVUpdater updater(environment(), &dialogs);
    updater.checkReleasedFirmwareVersion();
    EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kFailed}));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "filler"}));
}

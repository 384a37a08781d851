#include "update/RVUpdater.h"

#include "metadata/RVSettings.h"

#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        describe("X1-27", m_server.url("/fw.zip"));
        writeFile(card() + "/autorun.inf", "[autorun]\r\nfirmware=X1-15\r\nlabel=CAM\r\n");
    }

    void describe(const QByteArray& version, const QString& url)
    {
        m_server.route("/fw/X1.txt?m=X1", "version=" + version + "\nurl=" + url.toLatin1() + "\n");
    }
    QString card() const { return m_cards.first(); }
    RVUpdaterEnvironment environment()
    {
        RVUpdaterEnvironment env;
        env.serverUrl = m_server.url("/");
        env.dashcamFlashDrives = [this] { return m_cards; };
        env.firmwareChecked = &m_checked;
        env.endProcess = [](int) { FAIL() << "the firmware check must not end the process"; };
        return env;
    }
    // One check by an updater that is gone afterwards; the dialogs it showed.
    QStringList check(bool answer = true)
    {
        m_checked = false;
        ScriptedDialogs dialogs({answer});
        RVUpdater(environment(), &dialogs).checkReleasedFirmwareVersion();
        EXPECT_TRUE(privateTemporaryFolders().isEmpty());
        return dialogs.shown();
    }
    QTemporaryDir m_root;
    TestHttpServer m_server;
    QStringList m_cards{m_root.filePath("cardA")};
    std::atomic<bool> m_checked{false};
    const QByteArray m_image = QByteArray(100000, '\x5a') + "end of image";
};

} // namespace

TEST_F(FirmwareCheck, AfterTheUpdateInformationNewerFirmwareGoesOnTheFirstCardOncePerRun)
{
    // An image (read-only, as the camera may leave it) and a marker from an earlier run; a second
    // card is never looked at.
    ASSERT_TRUE(writeFile(card() + "/sotava.bin", "earlier image"));
    QFile::setPermissions(card() + "/sotava.bin", QFile::ReadOwner);
    ASSERT_TRUE(writeFile(card() + "/firmware.ready", "stale"));
    m_cards.append(m_root.filePath("cardB"));
    ASSERT_TRUE(writeFile(m_cards[1] + "/autorun.inf", "firmware=X1-01\n"));
    // The address comes with the update information (an answer without a length), stored for
    // the check, which runs on its own thread.
    RVSettings::store().remove(RVSettings::kFirmwareUrl);
    m_server.route(
        "/korvelaplayer.php",
        {200, "firmwareURL=" + m_server.url("/fw/%model%.txt?m=%model%").toLatin1(), false});
    ScriptedDialogs dialogs({true, true});
    LogCapture log;
    RVUpdater updater(environment(), &dialogs);
    int finished = 0;
    QObject::connect(&updater, &RVUpdater::firmwareCheckFinished, [&finished] { ++finished; });
    updater.checkForUpdate();
    ASSERT_TRUE(waitFor([&] { return finished == 1; }));
    updater.checkReleasedFirmwareVersion(); // asks nothing more
    EXPECT_TRUE(log.lines().contains("Response length unexpected"));
    EXPECT_EQ(dialogs.shown(), QStringList({kAsk, kDone}));
    EXPECT_EQ(m_server.requests(),
              QStringList({"/korvelaplayer.php", "/fw/X1.txt?m=X1", "/fw.zip"}));
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);
    EXPECT_EQ(QFileInfo(card() + "/firmware.ready").size(), 0);
    EXPECT_EQ(QDir(card()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "firmware.ready", "sotava.bin"}));
    EXPECT_FALSE(QFileInfo::exists(m_cards[1] + "/sotava.bin"));
    EXPECT_TRUE(m_checked && privateTemporaryFolders().isEmpty());
}

TEST_F(FirmwareCheck, VersionsCompareAsTextAndNothingHappensWithoutCardModelOrDescription)
{
    const std::tuple<QByteArray, QByteArray, bool> versions[] = {
        {"X1-15", "X1-27", true},  {"X1-15", "X1-15", false}, {"X1-10", "X1-9", true},
        {"X1-27", "X1-15", false}, {"X1-15", "x1-15", true},  {"X1", "X1-1", true}};
    for (const auto& [onCard, published, asked] : versions) {
        writeFile(card() + "/autorun.inf", "firmware=" + onCard + "\n");
        describe(published, m_server.url("/fw.zip"));
        // "No": nothing is downloaded.
        EXPECT_EQ(check(false), asked ? QStringList({kAsk}) : QStringList())
            << onCard.constData() << " vs " << published.constData();
        EXPECT_TRUE(m_checked);
    }
    EXPECT_EQ(m_server.requests().count("/fw.zip"), 0);

    // Nothing happens without a card (the flag stays clear for a card mounted later), without a
    // model on it or its description (a 404 page for Z9), an address, a template, or https.
    m_cards.clear();
    EXPECT_TRUE(check().isEmpty());
    EXPECT_FALSE(m_checked);
    m_cards = {m_root.filePath("cardA")};
    const qsizetype asked = m_server.requests().size();
    for (const QByteArray autorun : {"", "label=CAM\n", "firmware=Z9-1\n"}) {
        QFile::remove(card() + "/autorun.inf");
        if (!autorun.isEmpty())
            writeFile(card() + "/autorun.inf", autorun);
        EXPECT_TRUE(check().isEmpty()) << autorun.constData();
    }
    EXPECT_EQ(m_server.requests().mid(asked), QStringList({"/fw/Z9.txt?m=Z9"}));
    writeFile(card() + "/autorun.inf", "firmware=X1-1\n");
    m_server.route("/fw/X1.txt?m=X1", "version=X1-99\n"); // no url
    EXPECT_TRUE(check().isEmpty());
    RVSettings::store().remove(RVSettings::kFirmwareUrl); // no template
    EXPECT_TRUE(check().isEmpty());
    RVSettings::setText(RVSettings::kFirmwareUrl, "http://127.0.0.1:1/%model%"); // not https
    LogCapture log;
    EXPECT_TRUE(check().isEmpty());
    EXPECT_TRUE(log.contains("Refusing firmware description that is not https"));
    EXPECT_EQ(m_server.requests().size(), asked + 2);
}

TEST_F(FirmwareCheck, FailuresLeaveNoImageAndALinkAtTheImageIsReplaced)
{
    // Download fails (nothing listens); an error page instead of the archive; a damaged image;
    // firmware is code the camera will run: never over plain http.
    TestHttpServer plain("");
    plain.route("/fw.zip", zipBytes({{"sotava.bin", "unsigned"}}));
    m_server.route("/damaged.zip", zipBytes({{"sotava.bin", "broken", 0, true}}));
    for (const QString& url : {QString("https://127.0.0.1:1/fw.zip"), m_server.url("/missing.zip"),
                               m_server.url("/damaged.zip"), plain.url("/fw.zip")}) {
        describe("X1-99", url);
        EXPECT_EQ(check(), QStringList({kAsk, kFailed})) << url.toStdString();
        EXPECT_EQ(QDir(card()).entryList(QDir::Files), QStringList({"autorun.inf"}));
    }
    EXPECT_TRUE(plain.requests().isEmpty());

    // A link planted where the image goes: replaced, and what it pointed to is untouched.
    const QString victim = m_root.filePath("victim");
    ASSERT_TRUE(writeFile(victim, "victim"));
    ASSERT_TRUE(QFile::link(victim, card() + "/sotava.bin"));
    describe("X1-99", m_server.url("/fw.zip"));
    EXPECT_EQ(check(), QStringList({kAsk, kDone}));
    EXPECT_EQ(readFile(victim), QByteArray("victim"));
    EXPECT_FALSE(QFileInfo(card() + "/sotava.bin").isSymLink());
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);

    // A full card gets no partial image.
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    ASSERT_TRUE(writeFile(disk.filePath("autorun.inf"), "firmware=X1-15\n"));
    disk.fill();
    m_cards = {disk.path()};
    EXPECT_EQ(check(), QStringList({kAsk, kFailed}));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "filler"}));
}

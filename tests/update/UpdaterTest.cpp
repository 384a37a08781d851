#include "update/RVAppBundle.h"
#include "update/RVUpdater.h"

#include "metadata/RVSettings.h"

#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr QFile::Permissions kMode0755(0x7755); // rwxr-xr-x, owner and user alike
const QString kAsk = "question UPTATE_READY_TITLE UPTATE_READY_MESSAGE";
const QString kAskFirmware = "question UPTATE_FIRMWARE_READY_TITLE UPTATE_FIRMWARE_READY_MESSAGE";
const QString kDone = "alert UPTATE_FIRMWARE_FINISHED_TITLE UPTATE_FIRMWARE_FINISHED_MESSAGE";
const QString kFailed = "alert UPTATE_FAILED_FINISHED_TITLE UPTATE_FAILED_FINISHED_MESSAGE";

// A folder with the installed bundle, the update server, and an environment for the updater
// around them that records ends of the process instead of ending it.
class Updater : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RVSettings::store().clear();
        makeBundle(installed(), "1.2.3");
    }
    QString installed() const { return m_root.filePath("Korvela Player"); }
    QString temporary() const { return m_root.filePath("KorvelaPlayerUpdate"); }
    QString launchLog() const { return m_root.filePath("launch.log"); }
    QStringList launches() const
    {
        return QString(readFile(launchLog())).split('\n', Qt::SkipEmptyParts);
    }
    // A shell script stands in for the program: each start appends "$0|working folder" to the
    // launch log.
    QByteArray program(const QByteArray& version) const
    {
        return "#!/bin/sh\n# stand-in for korvela-player " + version + "\necho \"$0|$(pwd)\" >> '" +
               QFile::encodeName(launchLog()) + "'\n";
    }
    void makeBundle(const QString& bundle, const QByteArray& version)
    {
        ASSERT_TRUE(writeFile(bundle + "/bin/korvela-player", program(version)));
        QFile::setPermissions(bundle + "/bin/korvela-player", kMode0755);
        ASSERT_TRUE(writeFile(bundle + "/share/version.txt", version));
    }
    RVUpdaterEnvironment environment(const QString& bundle = {})
    {
        RVUpdaterEnvironment env;
        env.serverUrl = m_server.url("/");
        env.installedVersion = "1.2.3";
        env.executablePath = RVAppBundle::executableOf(bundle.isEmpty() ? installed() : bundle);
        env.dashcamFlashDrives = [this] { return m_cards; };
        env.endProcess = [this](int status) { m_exitStatuses.append(status); };
        env.settleDelay = std::chrono::milliseconds(10);
        env.firmwareChecked = &m_checked;
        return env;
    }
    // Runs the whole asynchronous check until it comes to rest.
    static void runCheck(RVUpdater& updater)
    {
        int finished = 0;
        QObject::connect(&updater, &RVUpdater::updateCheckFinished, [&finished] { ++finished; });
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return finished > 0; }));
    }

    QTemporaryDir m_root;
    TestHttpServer m_server;
    QStringList m_cards;
    QList<int> m_exitStatuses;
    std::atomic<bool> m_checked{false};
};

class SelfUpdate : public Updater
{
protected:
    // A new bundle with its program, its version and files of resources: a real bundle holds
    // thousands, so unpacking it takes a while.
    QByteArray bundleArchive(int resources) const
    {
        QList<ZipEntry> entries{{"Korvela Player/bin/korvela-player", program("9.0")},
                                {"Korvela Player/share/version.txt", "9.0"}};
        for (int i = 0; i < resources; ++i) {
            QByteArray data;
            for (int line = 0; line < 400; ++line)
                data += QByteArray::number(i * 7919 + line * 104729) + " resource line\n";
            entries.append({"Korvela Player/share/res/" + QByteArray::number(i) + ".txt", data});
        }
        return zipBytes(entries);
    }
    // Update information that offers the version, to be downloaded from the address.
    static TestHttpServer::Response offer(const QString& version, const QString& archive)
    {
        return {200, ("macVersion=" + version + "\nmacDownloadURL=" + archive).toLatin1()};
    }
};

class FirmwareCheck : public Updater
{
protected:
    void SetUp() override
    {
        Updater::SetUp();
        RVSettings::setText(RVSettings::kFirmwareUrl, m_server.url("/fw/%model%.txt?m=%model%"));
        m_server.route("/fw.zip", zipBytes({{"sotava.bin", m_image}, {"notes.txt", "notes"}}));
        describe("X1-27", m_server.url("/fw.zip"));
        m_cards = {m_root.filePath("cardA")};
        writeFile(card() + "/autorun.inf", "[autorun]\r\nfirmware=X1-15\r\nlabel=CAM\r\n");
    }
    void describe(const QByteArray& version, const QString& url)
    {
        m_server.route("/fw/X1.txt?m=X1", "version=" + version + "\nurl=" + url.toLatin1() + "\n");
    }
    QString card() const { return m_cards.first(); }
    // One check by an updater that is gone afterwards; the dialogs it showed.
    QStringList check(bool answer = true)
    {
        m_checked = false;
        ScriptedDialogs dialogs({answer});
        RVUpdater(environment(), &dialogs).checkReleasedFirmwareVersion();
        EXPECT_TRUE(privateTemporaryFolders().isEmpty() && m_exitStatuses.isEmpty());
        return dialogs.shown();
    }

    const QByteArray m_image = QByteArray(100000, '\x5a') + "end of image";
};

} // namespace

TEST_F(SelfUpdate, NewerVersionIsDownloadedAskedUnpackedBesideTheEventLoopAndLaunched)
{
    constexpr int kResources = 600;
    m_server.route("/big.zip", bundleArchive(kResources));
    m_server.route("/korvelaplayer.php", offer("1.2.4", m_server.url("/big.zip")));
    // Counts turns of the GUI thread's event loop: a zero timer fires once per turn.
    int turns = 0;
    QTimer turn;
    turn.callOnTimeout([&turns] { ++turns; });
    turn.start(0);

    ScriptedDialogs dialogs({true});
    int turnsAtAnswer = -1, turnsAtLaunch = -1;
    dialogs.whenAsked = [&] { turnsAtAnswer = turns; };
    RVUpdaterEnvironment env = environment();
    QStringList progressAtLaunch;
    bool launchedOnGuiThread = false;
    env.launch = [&](const QString& executable) {
        turnsAtLaunch = turns;
        progressAtLaunch = dialogs.progress();
        launchedOnGuiThread = QThread::currentThread() == qApp->thread();
        return RVUpdaterEnvironment().launch(executable);
    };
    RVUpdater updater(env, &dialogs);
    qint64 received = 0, total = 0;
    QObject::connect(&updater, &RVUpdater::archiveProgress, [&](qint64 r, qint64 t) {
        received = r;
        total = t;
    });
    updater.checkForUpdate();
    ASSERT_TRUE(waitFor([&] { return !m_exitStatuses.isEmpty(); }, 60000));
    EXPECT_TRUE(received > 0 && received == total);
    EXPECT_EQ(m_exitStatuses, QList<int>({0}));
    EXPECT_EQ(m_server.requests(), QStringList({"/korvelaplayer.php", "/big.zip"}));
    EXPECT_EQ(dialogs.shown(), QStringList({kAsk}));
    EXPECT_TRUE(updater.versionDownloaded() && launchedOnGuiThread);
    EXPECT_EQ(updater.lastVersion(), QStringLiteral("1.2.4"));
    // The event loop kept turning between the answer and the launch: the unpacking did not
    // hold the GUI thread.
    ASSERT_GE(turnsAtAnswer, 0);
    EXPECT_GE(turnsAtLaunch - turnsAtAnswer, 3);
    // Progress: busy at first, then counted entries up to all of them in several steps, hidden
    // before the launch.
    ASSERT_GT(progressAtLaunch.size(), 10);
    EXPECT_EQ(progressAtLaunch.first(), QStringLiteral("UPTATE_INSTALLING_TITLE 0/0"));
    EXPECT_EQ(progressAtLaunch.at(progressAtLaunch.size() - 2),
              QStringLiteral("UPTATE_INSTALLING_TITLE %1/%1").arg(kResources + 2));
    EXPECT_EQ(progressAtLaunch.last(), QStringLiteral("hidden"));

    const QString fresh = temporary() + "/Korvela Player";
    EXPECT_EQ(QDir(fresh + "/share/res").entryList(QDir::Files).size(), kResources);
    EXPECT_EQ(QFile::permissions(fresh + "/bin/korvela-player"), kMode0755);
    EXPECT_EQ(readFile(fresh + "/share/version.txt"), QByteArray("9.0"));
    // The installed copy is untouched until the new one replaces it.
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("1.2.3"));
    ASSERT_TRUE(waitFor([&] { return !launches().isEmpty(); }));
    EXPECT_EQ(launches(), QStringList({fresh + "/bin/korvela-player|" + fresh + "/bin"}));
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());

    // Closing while an update unpacks stops it and launches nothing.
    m_exitStatuses.clear();
    env.settleDelay = std::chrono::hours(1); // only a stop can end the wait
    bool launched = false;
    env.launch = [&](const QString&) { return launched = true; };
    ScriptedDialogs again({true});
    {
        RVUpdater closing(env, &again);
        closing.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return !again.progress().isEmpty(); }, 60000));
    } // the destructor stops the unpacking or the wait, and joins the thread
    QCoreApplication::processEvents();
    EXPECT_TRUE(!launched && m_exitStatuses.isEmpty());
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
}

TEST_F(SelfUpdate, NothingIsInstalledWhenDeclinedOlderInsecureOrBroken)
{
    TestHttpServer plain("");
    m_server.route("/app.zip", bundleArchive(0));
    m_server.route("/broken.zip", zipBytes({{"Korvela Player/share/only-data.txt", "x"}}));
    const QString app = m_server.url("/app.zip");
    const QString failed = "plain Update failed There was a problem during installation. Update "
                           "canceled.";
    const struct
    {
        TestHttpServer::Response information;
        QString server, bundle;
        QStringList shown;
        QString log;
    } cases[] = {
        // The installed version again: no question. An http archive address is refused before
        // anything is fetched; an error page instead of the archive is not offered.
        {offer("1.2.3", app), {}, {}, {}, {}},
        {offer("2", plain.url("/app.zip")), {}, {}, {}, "download that is not https"},
        {offer("2", m_server.url("/gone.zip")), {}, {}, {}, "failed with HTTP status 404"},
        // A copy installed by the package manager (not inside "Korvela Player") is left alone;
        // the user is told where the new version is.
        {offer("2", app), {}, m_root.filePath("usr"), {"newVersion 2 " + app}, {}},
        // An update server that is not https is not asked at all, nor one that does not answer;
        // a 404 page is read like any answer and holds no keys.
        {offer("4", app), plain.url(""), {}, {}, {}},
        {offer("4", app), "https://127.0.0.1:1", {}, {}, "fail"},
        {{404, "no keys"}, {}, {}, {}, {}},
        // Declined, and a broken archive that ends in the failure alert.
        {offer("1.3", app), {}, {}, {kAsk}, {}},
        {offer("3", m_server.url("/broken.zip")), {}, {}, {kAsk, failed}, {}}};
    for (const auto& c : cases) {
        m_server.route("/korvelaplayer.php", c.information);
        RVUpdaterEnvironment env = environment(c.bundle);
        env.serverUrl = c.server.isEmpty() ? env.serverUrl : c.server;
        LogCapture log;
        ScriptedDialogs dialogs({c.shown.size() == 2});
        RVUpdater updater(env, &dialogs);
        runCheck(updater);
        updater.checkForUpdate(); // a second call in the same run does nothing
        QCoreApplication::processEvents();
        EXPECT_EQ(dialogs.shown(), c.shown) << c.information.body.constData();
        EXPECT_TRUE(c.log.isEmpty() || log.contains(c.log)) << c.log.toStdString();
        EXPECT_EQ(updater.versionDownloaded(), c.server.isEmpty());
        EXPECT_EQ(updater.lastVersion().isEmpty(),
                  !c.server.isEmpty() || c.information.status == 404);
        EXPECT_TRUE(c.shown.size() == 2 || !QFileInfo::exists(temporary()));
    }
    EXPECT_EQ(m_server.requests().count("/korvelaplayer.php"), 7);
    EXPECT_EQ(m_server.requests().count("/app.zip"), 1); // only for the declined offer
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(m_exitStatuses.isEmpty() && launches().isEmpty());
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
    // So is a bundle below /usr, or one that is missing.
    EXPECT_TRUE(RVAppBundle::canReplace(installed()));
    EXPECT_FALSE(RVAppBundle::canReplace("/usr/lib/Korvela Player"));
    EXPECT_FALSE(RVAppBundle::canReplace(m_root.filePath("missing/Korvela Player")));
}

TEST_F(SelfUpdate, SecondStageReplacesTheInstalledBundleAndANormalStartClearsUp)
{
    ASSERT_TRUE(writeFile(installed() + "/share/obsolete.txt", "old only"));
    const QString fresh = temporary() + "/Korvela Player";
    makeBundle(fresh, "9.0");
    ASSERT_TRUE(QFile::link("version.txt", fresh + "/share/alias.txt"));
    RVUpdater(environment(fresh), nullptr).checkIfAppInTemporaryDir();
    EXPECT_EQ(m_exitStatuses, QList<int>({0}));
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("9.0"));
    EXPECT_FALSE(QFileInfo::exists(installed() + "/share/obsolete.txt"));
    EXPECT_EQ(QFileInfo(installed() + "/share/alias.txt").symLinkTarget(),
              installed() + "/share/version.txt");
    EXPECT_EQ(QFile::permissions(installed() + "/bin/korvela-player"), kMode0755);
    // No side copies left beside the installed bundle.
    EXPECT_TRUE(QDir(m_root.path())
                    .entryList({".*"}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    ASSERT_TRUE(waitFor([&] { return !launches().isEmpty(); }));
    EXPECT_EQ(launches(),
              QStringList({installed() + "/bin/korvela-player|" + installed() + "/bin"}));

    // Without a launch the program keeps running. A copy that cannot be made (a named pipe in
    // the new bundle) keeps the installed bundle as it was, leaves no half copy, and launches
    // nothing.
    m_exitStatuses.clear();
    makeBundle(fresh, "9.0");
    auto env = environment(fresh);
    QStringList launched;
    env.launch = [&](const QString& exe) {
        launched.append(exe);
        return false;
    };
    RVUpdater(env, nullptr).checkIfAppInTemporaryDir();
    EXPECT_EQ(launched, QStringList({installed() + "/bin/korvela-player"}));
    EXPECT_TRUE(m_exitStatuses.isEmpty());
    makeBundle(installed(), "1.2.3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fresh + "/share/pipe").constData(), 0600), 0);
    RVUpdater(env, nullptr).checkIfAppInTemporaryDir();
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("1.2.3"));
    EXPECT_EQ(launched.size(), 1);
    EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Korvela Player", "KorvelaPlayerUpdate", "launch.log"}));

    // A normal start removes the temporary folder only, not what a link in it points to.
    const QString outside = m_root.filePath("keep");
    ASSERT_TRUE(writeFile(outside + "/precious.txt", "keep me"));
    ASSERT_TRUE(QFile::link(outside, fresh + "/share/link"));
    RVUpdater updater(environment(), nullptr);
    updater.checkIfAppInTemporaryDir();
    EXPECT_FALSE(QFileInfo::exists(temporary()));
    EXPECT_EQ(readFile(outside + "/precious.txt"), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo::exists(installed() + "/bin/korvela-player"));
    updater.checkIfAppInTemporaryDir(); // missing folder: no error
    EXPECT_TRUE(m_exitStatuses.isEmpty());
    // Not a bundle: nothing beside it is touched.
    QDir().mkpath(m_root.filePath("usr/KorvelaPlayerUpdate"));
    RVUpdater(environment(m_root.filePath("usr")), nullptr).checkIfAppInTemporaryDir();
    EXPECT_TRUE(QFileInfo::exists(m_root.filePath("usr/KorvelaPlayerUpdate")));
}

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
    EXPECT_EQ(dialogs.shown(), QStringList({kAskFirmware, kDone}));
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
        EXPECT_EQ(check(false), asked ? QStringList({kAskFirmware}) : QStringList())
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
        EXPECT_EQ(check(), QStringList({kAskFirmware, kFailed})) << url.toStdString();
        EXPECT_EQ(QDir(card()).entryList(QDir::Files), QStringList({"autorun.inf"}));
    }
    EXPECT_TRUE(plain.requests().isEmpty());

    // A link planted where the image goes: replaced, and what it pointed to is untouched.
    const QString victim = m_root.filePath("victim");
    ASSERT_TRUE(writeFile(victim, "victim"));
    ASSERT_TRUE(QFile::link(victim, card() + "/sotava.bin"));
    describe("X1-99", m_server.url("/fw.zip"));
    EXPECT_EQ(check(), QStringList({kAskFirmware, kDone}));
    EXPECT_EQ(readFile(victim), QByteArray("victim"));
    EXPECT_FALSE(QFileInfo(card() + "/sotava.bin").isSymLink());
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);

    // A full card gets no partial image.
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    ASSERT_TRUE(writeFile(disk.filePath("autorun.inf"), "firmware=X1-15\n"));
    disk.fill();
    m_cards = {disk.path()};
    EXPECT_EQ(check(), QStringList({kAskFirmware, kFailed}));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "filler"}));
}

#include "update/RVAppBundle.h"
#include "update/RVUpdater.h"

#include "core/RVSettings.h"

#include "TestSupport.h"
#include "korvela_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr QFile::Permissions kMode0755(0x7755); // rwxr-xr-x, owner and user alike
const QString kAsk = "question UPTATE_READY_TITLE UPTATE_READY_MESSAGE";
const QString kAskFirmware = "question UPTATE_FIRMWARE_READY_TITLE UPTATE_FIRMWARE_READY_MESSAGE";
const QString kDone = "alert UPTATE_FIRMWARE_FINISHED_TITLE UPTATE_FIRMWARE_FINISHED_MESSAGE";
const QString kFailed = "alert UPTATE_FAILED_FINISHED_TITLE UPTATE_FAILED_FINISHED_MESSAGE";

// The updater's private temporary folders that currently exist.
QStringList privateTemporaryFolders()
{
    return QDir(QDir::tempPath()).entryList({"KorvelaPlayer-*"}, QDir::Dirs | QDir::Hidden);
}

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
    QStringList launches() const
    {
        return QString(readFile(m_log)).split('\n', Qt::SkipEmptyParts);
    }
    // A shell script stands in for the program: each start appends "$0|working folder" to the
    // launch log.
    QByteArray program() const
    {
        return "#!/bin/sh\necho \"$0|$(pwd)\" >> '" + QFile::encodeName(m_log) + "'\n";
    }
    void makeBundle(const QString& bundle, const QByteArray& version)
    {
        ASSERT_TRUE(writeFile(bundle + "/bin/korvela-player", program()));
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
        env.publicKey = m_signer.publicKey();
        return env;
    }
    // A new bundle with its program, its version and files of resources: a real bundle holds
    // thousands, so unpacking it takes a while.
    QByteArray bundleArchive(int resources) const
    {
        QList<ZipEntry> entries{{"Korvela Player/bin/korvela-player", program()},
                                {"Korvela Player/share/version.txt", "9.0"}};
        for (int i = 0; i < resources; ++i)
            entries.append({"Korvela Player/share/res/" + QByteArray::number(i) + ".txt",
                            QByteArray::number(i * 7919).repeated(800)});
        return zipBytes(entries);
    }
    // The signed update information offering the archive (with its SHA-256 when this server
    // serves it), or its text unsigned.
    QByteArray offerText(const QString& version, const QString& archive) const
    {
        QByteArray text = ("macVersion=" + version + "\nmacDownloadURL=" + archive).toLatin1();
        if (const std::optional<QByteArray> body = m_server.bodyAt(archive))
            text += "\nmacDownloadSHA256=" + sha256Hex(*body);
        return text;
    }
    TestHttpServer::Response offer(const QString& version, const QString& archive) const
    {
        return {200, m_signer.sign(offerText(version, archive))};
    }

    QTemporaryDir m_root;
    const QString m_log = m_root.filePath("launch.log");
    TestHttpServer m_server;
    QStringList m_cards;
    QList<int> m_exitStatuses;
    std::atomic<bool> m_checked{false};
    TestSigner m_signer;
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
    QByteArray descriptionText(const QByteArray& version, const QString& url) const
    {
        return "version=" + version + "\nurl=" + url.toLatin1() +
               "\nsha256=" + sha256Hex(m_server.bodyAt(url).value_or(QByteArray())) + "\n";
    }
    void describe(const QByteArray& version, const QString& url)
    {
        m_server.route("/fw/X1.txt?m=X1", m_signer.sign(descriptionText(version, url)));
    }
    QString card() const { return m_cards.first(); }
    // One check by an updater that is gone afterwards; the dialogs it showed.
    QStringList check(bool answer = true)
    {
        m_checked = false;
        ScriptedDialogs dialogs({answer});
        RVUpdater(environment(), &dialogs).checkReleasedFirmwareVersion();
        EXPECT_TRUE(privateTemporaryFolders().isEmpty() && m_exitStatuses.isEmpty());
        return dialogs.shown;
    }

    const QByteArray m_image = QByteArray(100000, '\x5a') + "end of image";
};

} // namespace

TEST_F(Updater, NewerVersionIsDownloadedAskedUnpackedBesideTheEventLoopAndLaunched)
{
    constexpr int kResources = 600;
    m_server.route("/big.zip", bundleArchive(kResources));
    m_server.route("/korvelaplayer.php", offer("1.2.4", m_server.url("/big.zip")));
    // Counts turns of the GUI thread's event loop: a zero timer fires once per turn. Unset, the
    // turn at the first counted progress stays too large for the check below to pass.
    int turns = 0, turnsAtStart = 1 << 30, turnsAtLaunch = -1;
    QTimer turn;
    turn.callOnTimeout([&turns] { ++turns; });
    turn.start(0);
    ScriptedDialogs dialogs({true});
    RVUpdaterEnvironment env = environment();
    env.launch = [&](const QString& executable) {
        turnsAtLaunch = turns;
        return RVUpdaterEnvironment().launch(executable);
    };
    RVUpdater updater(env, &dialogs);
    QObject::connect(&updater, &RVUpdater::installProgress,
                     [&] { turnsAtStart = std::min(turns, turnsAtStart); });
    updater.checkForUpdate();
    ASSERT_TRUE(waitFor([&] { return !m_exitStatuses.isEmpty(); }, 60000));
    EXPECT_EQ(m_exitStatuses, QList<int>({0}));
    EXPECT_EQ(m_server.requests(), QStringList({"/korvelaplayer.php", "/big.zip"}));
    EXPECT_EQ(dialogs.shown, QStringList({kAsk}));
    EXPECT_EQ(updater.lastVersion(), QStringLiteral("1.2.4"));
    // The unpacking did not hold the GUI thread. Progress: busy at first, then counted entries
    // up to all of them in several steps, hidden at the end.
    EXPECT_GE(turnsAtLaunch - turnsAtStart, 3);
    const QStringList progress = dialogs.progress;
    const QString all = QString("UPTATE_INSTALLING_TITLE %1/%1").arg(kResources + 2);
    ASSERT_GT(progress.size(), 10);
    EXPECT_EQ(progress.first(), QStringLiteral("UPTATE_INSTALLING_TITLE 0/0"));
    EXPECT_EQ(progress.mid(progress.size() - 2), QStringList({all, "hidden"}));
    const QString fresh = temporary() + "/Korvela Player";
    EXPECT_EQ(QDir(fresh + "/share/res").entryList(QDir::Files).size(), kResources);
    EXPECT_EQ(QFile::permissions(fresh + "/bin/korvela-player"), kMode0755);
    EXPECT_EQ(readFile(fresh + "/share/version.txt") + readFile(installed() + "/share/version.txt"),
              QByteArray("9.01.2.3")); // the installed copy is untouched until replaced
    ASSERT_TRUE(waitFor([&] { return !launches().isEmpty(); }));
    EXPECT_EQ(launches(), QStringList({fresh + "/bin/korvela-player|" + fresh + "/bin"}));

    // Closing while an unpacked update waits to launch stops it and launches nothing.
    m_exitStatuses.clear();
    env.settleDelay = std::chrono::hours(1); // only a stop can end the wait
    env.launch = [&](const QString&) {
        m_exitStatuses.append(-1);
        return true;
    };
    ScriptedDialogs again({true});
    {
        RVUpdater closing(env, &again);
        closing.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return again.progress.contains(all); }, 60000));
        EXPECT_FALSE(waitFor([&] { return !m_exitStatuses.isEmpty(); }, 200));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_exitStatuses.isEmpty() && privateTemporaryFolders().isEmpty());
}

TEST_F(Updater, NothingIsInstalledWhenDeclinedOlderInsecureOrBroken)
{
    TestHttpServer plain(false);
    m_server.route("/app.zip", bundleArchive(0));
    m_server.route("/broken.zip", zipBytes({{"Korvela Player/share/only-data.txt", "x"}}));
    m_server.route("/endless.zip", {200, QByteArray(2 << 20, 'z'), false});
    const QString app = m_server.url("/app.zip"), self = m_server.url("");
    const QByteArray huge = offer("5", app).body + QByteArray(64 << 10, '\n');
    const QByteArray otherArchive =
        m_signer.sign(offerText("7", app).replace("macDownloadSHA256=", "x=") +
                      "\nmacDownloadSHA256=" + sha256Hex("other"));
    const QString failed = "plain Update failed There was a problem during installation. Update "
                           "canceled.";
    // Update information, server and bundle (the fixture's when empty), dialogs, a log line.
    const std::tuple<TestHttpServer::Response, QString, QString, QStringList, QString> cases[] = {
        // The installed version again: no question. An http archive address is refused before
        // anything is fetched; an error page instead of the archive is not offered.
        {offer("1.2.3", app), {}, {}, {}, {}},
        {offer("2", plain.url("/app.zip")), {}, {}, {}, "download that is not https"},
        {offer("2", m_server.url("/gone.zip")), {}, {}, {}, "failed with HTTP status 404"},
        // Information too large to be what it claims is not read.
        {{200, huge}, self, {}, {}, "not read"},
        // A copy installed by the package manager (not inside "Korvela Player") is left alone;
        // the user is told where the new version is.
        {offer("2", app), {}, m_root.filePath("usr"), {"newVersion 2 " + app}, {}},
        // An update server that is not https is not asked at all, nor one that does not answer;
        // a 404 page is read like any answer and holds no keys.
        {offer("4", app), plain.url(""), {}, {}, {}},
        {offer("4", app), "https://127.0.0.1:1", {}, {}, "fail"},
        {{404, "no keys"}, {}, {}, {}, {}},
        // An archive that goes on past its limit (1 MiB here) is stopped and never offered.
        {offer("3", m_server.url("/endless.zip")), {}, {}, {}, "archive is larger than"},
        // Not signed, or signed with another key: nothing in it is acted on.
        {{200, offerText("7", app)}, {}, {}, {}, "Ignoring the update information: it is not"},
        {{200, TestSigner().sign(offerText("7", app))}, {}, {}, {}, "does not verify"},
        // An archive that is not the one signed for is never offered nor unpacked.
        {{200, otherArchive}, {}, {}, {kFailed}, "Refusing the update archive: its SHA-256 is"},
        // Declined, and a broken archive that ends in the failure alert.
        {offer("1.3", app), {}, {}, {kAsk}, {}},
        {offer("3", m_server.url("/broken.zip")), {}, {}, {kAsk, failed}, {}}};
    for (const auto& [information, server, bundle, shown, logged] : cases) {
        m_server.route("/korvelaplayer.php", information);
        RVUpdaterEnvironment env = environment(bundle);
        env.serverUrl = server.isEmpty() ? env.serverUrl : server;
        env.maxArchiveBytes = 1 << 20;
        LogCapture log;
        ScriptedDialogs dialogs({shown.size() == 2 && shown[0] == kAsk});
        RVUpdater updater(env, &dialogs);
        int finished = 0;
        QObject::connect(&updater, &RVUpdater::updateCheckFinished, [&finished] { ++finished; });
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return finished > 0; }));
        EXPECT_EQ(dialogs.shown, shown) << information.body.left(40).constData();
        EXPECT_TRUE(logged.isEmpty() || log.contains(logged)) << logged.toStdString();
        EXPECT_EQ(updater.versionDownloaded(), server.isEmpty());
        EXPECT_TRUE(shown.size() == 2 || !QFileInfo::exists(temporary()));
    }
    EXPECT_EQ(m_server.requests().count("/korvelaplayer.php"), 12);
    // Only for the declined offer and the one whose hash differs.
    EXPECT_EQ(m_server.requests().count("/app.zip"), 2);
    EXPECT_TRUE(plain.requests().isEmpty() && launches().isEmpty() && m_exitStatuses.isEmpty());
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
    EXPECT_FALSE(RVAppBundle::canReplace("/usr/lib/Korvela Player")); // nor is one below /usr
}

TEST_F(Updater, SecondStageReplacesTheInstalledBundleAndANormalStartClearsUp)
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
    ASSERT_TRUE(waitFor([&] { return !launches().isEmpty(); }));

    // Without a launch the program keeps running. A copy that cannot be made (a named pipe in
    // the new bundle) keeps the installed bundle as it was and launches nothing. Neither leaves
    // side copies beside the installed bundle.
    m_exitStatuses.clear();
    makeBundle(fresh, "9.0");
    auto env = environment(fresh);
    QStringList launched;
    env.launch = [&](const QString& exe) {
        launched.append(exe);
        return false;
    };
    RVUpdater(env, nullptr).checkIfAppInTemporaryDir();
    makeBundle(installed(), "1.2.3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fresh + "/share/pipe").constData(), 0600), 0);
    RVUpdater(env, nullptr).checkIfAppInTemporaryDir();
    EXPECT_EQ(launched, QStringList({installed() + "/bin/korvela-player"}));
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("1.2.3"));
    EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Korvela Player", "KorvelaPlayerUpdate", "launch.log"}));

    // A normal start removes the temporary folder.
    RVUpdater(environment(), nullptr).checkIfAppInTemporaryDir();
    EXPECT_FALSE(QFileInfo::exists(temporary()));
    EXPECT_TRUE(m_exitStatuses.isEmpty());
}

TEST_F(FirmwareCheck, AfterTheUpdateInformationNewerFirmwareGoesOnTheCardOncePerRun)
{
    // An image from an earlier run, read-only as the camera may leave it.
    ASSERT_TRUE(writeFile(card() + "/sotava.bin", "earlier image"));
    QFile::setPermissions(card() + "/sotava.bin", QFile::ReadOwner);
    // The address comes with the update information (an answer without a length), stored for
    // the check, which runs on its own thread.
    RVSettings::store().remove(RVSettings::kFirmwareUrl);
    m_server.route(
        "/korvelaplayer.php",
        {200, m_signer.sign("firmwareURL=" + m_server.url("/fw/%model%.txt?m=%model%").toLatin1()),
         false});
    ScriptedDialogs dialogs({true, true});
    RVUpdater updater(environment(), &dialogs);
    int finished = 0;
    QObject::connect(&updater, &RVUpdater::firmwareCheckFinished, [&finished] { ++finished; });
    updater.checkForUpdate();
    ASSERT_TRUE(waitFor([&] { return finished == 1; }));
    updater.checkReleasedFirmwareVersion(); // asks nothing more
    EXPECT_EQ(dialogs.shown, QStringList({kAskFirmware, kDone}));
    EXPECT_EQ(m_server.requests(),
              QStringList({"/korvelaplayer.php", "/fw/X1.txt?m=X1", "/fw.zip"}));
    EXPECT_EQ(readFile(card() + "/sotava.bin"), m_image);
    EXPECT_EQ(QFileInfo(card() + "/firmware.ready").size(), 0);
    EXPECT_EQ(QDir(card()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"autorun.inf", "firmware.ready", "sotava.bin"}));
    EXPECT_TRUE(m_checked && privateTemporaryFolders().isEmpty());
}

TEST_F(FirmwareCheck, NewerByNumbersOnlyFromADescriptionOverHttpsAndFailuresLeaveNoImage)
{
    // Numeric parts compare as numbers: X1-9 is older than X1-15, never offered over it.
    std::vector<std::tuple<QByteArray, QByteArray, bool>> versions = {
        {"X1-15", "X1-27", true},    {"X1-15", "X1-15", false}, {"X1-10", "X1-9", false},
        {"X1-9", "X1-15", true},     {"X1-15", "X1-9", false},  {"X1-27", "X1-15", false},
        {"X1-15", "x1-15", true},    {"X1", "X1-1", true},      {"X1-015", "X1-15", false},
        {"X1-1.10", "X1-1.9", false}};
    versions.emplace_back("X1-99999999999999999999", "X1-100000000000000000000", true);
    for (const auto& [onCard, published, asked] : versions) {
        writeFile(card() + "/autorun.inf", "firmware=" + onCard + "\n");
        describe(published, m_server.url("/fw.zip"));
        // "No": nothing is downloaded.
        EXPECT_EQ(check(false), asked ? QStringList({kAskFirmware}) : QStringList())
            << onCard.constData() << " vs " << published.constData();
    }
    EXPECT_EQ(m_server.requests().count("/fw.zip"), 0);

    // A description that goes on and on (past 64 KiB) is not read; nor is an autorun.inf that is
    // no regular file or is oversized.
    m_server.route("/fw/X1.txt?m=X1",
                   {200,
                    m_signer.sign(descriptionText("X1-99", m_server.url("/fw.zip")) +
                                  QByteArray(70 << 10, '#').replace("##", "#\n")),
                    false});
    writeFile(card() + "/autorun.inf", "firmware=X1-1\n");
    EXPECT_TRUE(check().isEmpty());
    describe("X1-99", m_server.url("/fw.zip"));
    writeFile(card() + "/autorun.inf", "firmware=X1-1\n" + QByteArray(70 << 10, '#'));
    EXPECT_TRUE(check().isEmpty());
    QFile::remove(card() + "/autorun.inf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(card() + "/autorun.inf").constData(), 0600), 0);
    EXPECT_TRUE(check().isEmpty()); // returns: the pipe is never opened for a read that blocks
    QFile::remove(card() + "/autorun.inf");

    // Nothing happens without a card (the flag stays clear for a card mounted later), without a
    // model on it, its description (a 404 page for Z9) or an address in that.
    m_cards.clear();
    EXPECT_TRUE(check().isEmpty() && !m_checked);
    m_cards = {m_root.filePath("cardA")};
    m_server.route("/fw/X1.txt?m=X1", m_signer.sign("version=X1-99\n"));
    const qsizetype asked = m_server.requests().size();
    for (const QByteArray autorun : {"label=CAM\n", "firmware=Z9-1\n", "firmware=X1-1\n"}) {
        writeFile(card() + "/autorun.inf", autorun);
        EXPECT_TRUE(check().isEmpty()) << autorun.constData();
    }
    EXPECT_EQ(m_server.requests().mid(asked), QStringList({"/fw/Z9.txt?m=Z9", "/fw/X1.txt?m=X1"}));

    // Download fails (nothing listens); an error page instead of the archive; a damaged image;
    // firmware is code the camera will run: never over plain http.
    TestHttpServer plain(false);
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

    // A description not signed, or signed with another key, is ignored; an archive other than
    // the one signed for is refused before anything of it reaches the card.
    for (const QByteArray& description :
         {descriptionText("X1-99", m_server.url("/fw.zip")),
          TestSigner().sign(descriptionText("X1-99", m_server.url("/fw.zip")))}) {
        m_server.route("/fw/X1.txt?m=X1", description);
        EXPECT_TRUE(check().isEmpty());
    }
    QFile::remove(card() + "/sotava.bin");
    QFile::remove(card() + "/firmware.ready");
    m_server.route("/fw/X1.txt?m=X1",
                   m_signer.sign(descriptionText("X1-99", m_server.url("/fw.zip"))
                                     .replace("sha256=", "sha256=" + sha256Hex("x") + "\nold=")));
    {
        LogCapture log;
        EXPECT_EQ(check(), QStringList({kAskFirmware, kFailed}));
        EXPECT_TRUE(log.contains("Refusing the firmware archive"));
    }
    EXPECT_EQ(QDir(card()).entryList(QDir::Files), QStringList({"autorun.inf"}));

    // Nor is the description ever fetched over plain http.
    RVSettings::setText(RVSettings::kFirmwareUrl, "http://127.0.0.1:1/%model%");
    LogCapture log;
    EXPECT_TRUE(check().isEmpty());
    EXPECT_TRUE(log.contains("Refusing firmware description that is not https"));
}

// The portable bundle this build makes, through the whole update: downloaded, unpacked beside
// the installed copy and started; that copy puts itself in place of the installed one, whose
// programs then report the new version; the next normal start clears the update folder.
TEST_F(Updater, ProjectBundleReplacesTheInstalledCopy)
{
#ifndef KORVELA_BUNDLE_ZIP
    GTEST_SKIP() << "the portable bundle is built only with the window (KORVELA_GUI=ON)";
#else
    const auto versionOf = [](const QString& program) {
        QProcess process;
        process.start(program, {"--version"});
        return process.waitForFinished(30000) ? process.readAllStandardOutput() : QByteArray();
    };
    m_server.route("/bundle.zip", readFile(QStringLiteral(KORVELA_BUNDLE_ZIP)));
    m_server.route("/korvelaplayer.php", offer("99.0", m_server.url("/bundle.zip")));
    ScriptedDialogs dialogs({true});
    QStringList started;
    auto env = environment();
    env.launch = [&started](const QString& exe) {
        started.append(exe);
        return true;
    };
    {
        RVUpdater updater(env, &dialogs);
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([this] { return !m_exitStatuses.isEmpty(); }, 120000));
    }
    const QString fresh = RVAppBundle::executableOf(temporary() + "/Korvela Player");
    ASSERT_EQ(started, QStringList{fresh});
    EXPECT_EQ(versionOf(fresh), "korvela-player " KORVELA_VERSION "\n");

    env.executablePath = fresh;
    RVUpdater(env, nullptr).checkIfAppInTemporaryDir();
    ASSERT_EQ(started, QStringList({fresh, RVAppBundle::executableOf(installed())}));
    EXPECT_EQ(versionOf(started[1]), "korvela-player " KORVELA_VERSION "\n");
    EXPECT_EQ(versionOf(installed() + "/bin/korvela-export"),
              "korvela-export " KORVELA_VERSION "\n");
    RVUpdater(environment(), nullptr).checkIfAppInTemporaryDir();
    EXPECT_FALSE(QFileInfo::exists(temporary()));
    EXPECT_EQ(m_exitStatuses, QList<int>({0, 0}));
#endif
}

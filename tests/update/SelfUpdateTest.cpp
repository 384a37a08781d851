#include "update/RVUpdater.h"

#include "metadata/RVSettings.h"

#include "korvela_version.h"

#include "update/RVAppBundle.h"

#include "TestHttpServer.h"
#include "TestSupport.h"
#include "tests/SmallDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QFile::Permissions kMode0755 =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser |
    QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

class SelfUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RVSettings::store().clear();
        m_server.route("/app.zip", bundleArchive(0));
        makeBundle(installed(), "1.2.3");
    }

    // A new bundle with its program, its version and files of resources: a real bundle holds
    // thousands, so unpacking it takes a while.
    QByteArray bundleArchive(int resources) const
    {
        QList<ZipEntry> entries{
            {"Korvela Player/bin/korvela-player", standInExecutable(launchLog(), "9.0")},
            {"Korvela Player/share/version.txt", "9.0"}};
        for (int i = 0; i < resources; ++i) {
            QByteArray data;
            for (int line = 0; line < 400; ++line)
                data += QByteArray::number(i * 7919 + line * 104729) + " resource line\n";
            entries.append({"Korvela Player/share/res/" + QByteArray::number(i) + ".txt", data});
        }
        return zipBytes(entries);
    }

    // The update information offers the version, to be downloaded from the address.
    void publish(const QByteArray& version, const QString& archive)
    {
        m_server.route("/korvelaplayer.php",
                       "macVersion=" + version + "\nmacDownloadURL=" + archive.toLatin1() + "\n");
    }

    QString installed() const { return m_root.filePath("Korvela Player"); }
    QString temporary() const { return m_root.filePath("KorvelaPlayerUpdate"); }
    QString launchLog() const { return m_root.filePath("launch.log"); }
    QStringList launches() const
    {
        return QString::fromUtf8(readFile(launchLog())).split('\n', Qt::SkipEmptyParts);
    }

    void makeBundle(const QString& bundle, const QByteArray& version)
    {
        const QString exe = bundle + "/bin/korvela-player";
        ASSERT_TRUE(writeFile(exe, standInExecutable(launchLog(), version)));
        QFile::setPermissions(exe, kMode0755);
        ASSERT_TRUE(writeFile(bundle + "/share/version.txt", version));
    }

    RVUpdaterEnvironment environment(const QString& executable)
    {
        RVUpdaterEnvironment env;
        env.serverUrl = m_server.url("/");
        env.installedVersion = "1.2.3";
        env.executablePath = executable;
        env.endProcess = [this](int status) { m_exitStatuses.append(status); };
        env.settleDelay = std::chrono::milliseconds(10);
        env.firmwareChecked = &m_firmwareChecked;
        return env;
    }

    // Runs the whole asynchronous check until it comes to rest.
    void runCheck(RVUpdater& updater)
    {
        int finished = 0;
        QObject::connect(&updater, &RVUpdater::updateCheckFinished, [&finished] { ++finished; });
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return finished > 0; }));
    }
    // One check by an updater that is gone afterwards (the installed bundle's by default).
    void checkOnce(ScriptedDialogs& dialogs, std::optional<RVUpdaterEnvironment> env = {})
    {
        RVUpdater updater(env ? *env : environment(RVAppBundle::executableOf(installed())),
                          &dialogs);
        runCheck(updater);
    }

    QTemporaryDir m_root;
    TestHttpServer m_server{TestTls::instance().trustedCertificate, TestTls::instance().trustedKey};
    QList<int> m_exitStatuses;
    std::atomic<bool> m_firmwareChecked{false};
};

} // namespace

TEST_F(SelfUpdate, NewerVersionIsDownloadedAskedUnpackedBesideTheEventLoopAndLaunched)
{
    constexpr int kResources = 600;
    m_server.route("/big.zip", bundleArchive(kResources));
    publish("1.2.4", m_server.url("/big.zip"));

    // Counts turns of the GUI thread's event loop: a zero timer fires once per turn.
    int turns = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&turns] { ++turns; });
    turn.start();

    ScriptedDialogs dialogs({true});
    int turnsAtAnswer = -1;
    dialogs.whenAsked = [&] { turnsAtAnswer = turns; };
    RVUpdaterEnvironment env = environment(RVAppBundle::executableOf(installed()));
    int turnsAtLaunch = -1;
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
    EXPECT_GT(received, 0);
    EXPECT_EQ(received, total);
    EXPECT_EQ(m_exitStatuses, QList<int>({0}));
    EXPECT_EQ(m_server.requests(), QStringList({"/korvelaplayer.php", "/big.zip"}));
    EXPECT_EQ(dialogs.shown(), QStringList({"question UPTATE_READY_TITLE UPTATE_READY_MESSAGE"}));
    EXPECT_TRUE(updater.versionDownloaded());
    EXPECT_EQ(updater.lastVersion(), QStringLiteral("1.2.4"));
    EXPECT_TRUE(launchedOnGuiThread);

    // The event loop kept turning between the answer and the launch: the unpacking did not
    // hold the GUI thread.
    ASSERT_GE(turnsAtAnswer, 0);
    EXPECT_GE(turnsAtLaunch - turnsAtAnswer, 3);

    // Progress: busy at first, then counted entries up to all of them, hidden before the launch.
    ASSERT_GE(progressAtLaunch.size(), 3);
    EXPECT_EQ(progressAtLaunch.first(), QStringLiteral("UPTATE_INSTALLING_TITLE 0/0"));
    EXPECT_EQ(progressAtLaunch.at(progressAtLaunch.size() - 2),
              QStringLiteral("UPTATE_INSTALLING_TITLE %1/%1").arg(kResources + 2));
    EXPECT_EQ(progressAtLaunch.last(), QStringLiteral("hidden"));
    EXPECT_GT(progressAtLaunch.size(), 10); // several steps, not one jump

    const QString newBundle = temporary() + "/Korvela Player";
    EXPECT_EQ(QDir(newBundle + "/share/res").entryList(QDir::Files).size(), kResources);
    EXPECT_EQ(QFile::permissions(newBundle + "/bin/korvela-player"), kMode0755);
    EXPECT_EQ(readFile(newBundle + "/share/version.txt"), QByteArray("9.0"));
    // The installed copy is untouched until the new one replaces it.
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("1.2.3"));
    ASSERT_TRUE(waitFor([&] { return !launches().isEmpty(); }));
    EXPECT_EQ(launches(), QStringList({newBundle + "/bin/korvela-player|" + newBundle + "/bin"}));
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
}

TEST_F(SelfUpdate, ClosingWhileTheUpdateUnpacksStopsItAndLaunchesNothing)
{
    m_server.route("/big.zip", bundleArchive(600));
    publish("1.2.4", m_server.url("/big.zip"));
    ScriptedDialogs dialogs({true});
    RVUpdaterEnvironment env = environment(RVAppBundle::executableOf(installed()));
    env.settleDelay = std::chrono::hours(1); // only a stop can end the wait
    bool launched = false;
    env.launch = [&](const QString&) { return launched = true; };
    {
        RVUpdater updater(env, &dialogs);
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([&] { return !dialogs.progress().isEmpty(); }, 60000));
    } // the destructor stops the unpacking or the wait, and joins the thread
    QCoreApplication::processEvents();
    EXPECT_FALSE(launched);
    EXPECT_TRUE(m_exitStatuses.isEmpty());
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
}

TEST_F(SelfUpdate, DecliningOrOlderVersionsInstallNothing)
{
    publish("1.3", m_server.url("/app.zip"));
    {
        ScriptedDialogs dialogs({false});
        RVUpdater updater(environment(RVAppBundle::executableOf(installed())), &dialogs);
        runCheck(updater);
        EXPECT_EQ(dialogs.shown().size(), 1);
        // A second call in the same run does nothing.
        updater.checkForUpdate();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(m_server.requests(), QStringList({"/korvelaplayer.php", "/app.zip"}));
    EXPECT_TRUE(m_exitStatuses.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(temporary()));

    // The installed version again: no download, no question.
    publish("1.2.3", m_server.url("/app.zip"));
    ScriptedDialogs dialogs({true});
    RVUpdater updater(environment(RVAppBundle::executableOf(installed())), &dialogs);
    runCheck(updater);
    EXPECT_TRUE(updater.versionDownloaded());
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_EQ(m_server.requests().count("/app.zip"), 1);
}

TEST_F(SelfUpdate, RefusesInsecureDownloadsErrorPagesAndPackageInstalls)
{
    TestHttpServer plain;
    plain.route("/app.zip", zipBytes({{"Korvela Player/bin/korvela-player", "x"}}));
    ScriptedDialogs dialogs({true, true, true});
    LogCapture log;

    // An http archive address is refused before anything is fetched.
    publish("2", plain.url("/app.zip"));
    checkOnce(dialogs);
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(log.contains("Refusing update download that is not https"));

    // An error page instead of the archive is not offered for installation.
    publish("2", m_server.url("/gone.zip"));
    checkOnce(dialogs);
    EXPECT_TRUE(m_server.requests().contains("/gone.zip"));
    EXPECT_TRUE(log.contains("Update download failed with HTTP status 404"));

    // A copy installed by the package manager (not inside "Korvela Player") is left alone;
    // the user is told where the new version is.
    publish("2", m_server.url("/app.zip"));
    checkOnce(dialogs, environment(m_root.filePath("usr/bin/korvela-player")));
    EXPECT_FALSE(m_server.requests().contains("/app.zip"));
    EXPECT_EQ(dialogs.shown(), QStringList{"newVersion 2 " + m_server.url("/app.zip")});
    // So is a bundle the user cannot write, or one below /usr.
    EXPECT_TRUE(RVAppBundle::canReplace(installed()));
    EXPECT_FALSE(RVAppBundle::canReplace("/usr/lib/Korvela Player"));
    EXPECT_FALSE(RVAppBundle::canReplace(m_root.filePath("missing/Korvela Player")));
    if (geteuid() != 0) { // root may write anywhere
        ASSERT_EQ(chmod(QFile::encodeName(m_root.path()).constData(), 0555), 0);
        checkOnce(dialogs);
        chmod(QFile::encodeName(m_root.path()).constData(), 0755);
        EXPECT_FALSE(m_server.requests().contains("/app.zip"));
        EXPECT_EQ(dialogs.shown().size(), 2);
    }

    // An update server that is not https is not asked at all.
    {
        auto env = environment(RVAppBundle::executableOf(installed()));
        env.serverUrl = plain.url("");
        RVUpdater updater(env, &dialogs);
        runCheck(updater);
        EXPECT_FALSE(updater.versionDownloaded());
    }
    EXPECT_TRUE(plain.requests().isEmpty());
    EXPECT_TRUE(dialogs.shown().filter("newVersion").size() == dialogs.shown().size());
    EXPECT_TRUE(m_exitStatuses.isEmpty());
}

TEST_F(SelfUpdate, UnreachableServerAndAnErrorPage)
{
    LogCapture log;
    ScriptedDialogs dialogs({true});
    {
        auto env = environment(RVAppBundle::executableOf(installed()));
        env.serverUrl = "https://127.0.0.1:1";
        RVUpdater updater(env, &dialogs);
        runCheck(updater);
        EXPECT_FALSE(updater.versionDownloaded());
        EXPECT_TRUE(log.lines().contains("fail"));
    }
    {
        // No route: a 404 page, read like any answer; it holds no keys.
        RVUpdater updater(environment(RVAppBundle::executableOf(installed())), &dialogs);
        runCheck(updater);
        EXPECT_TRUE(updater.versionDownloaded());
        EXPECT_TRUE(updater.lastVersion().isEmpty());
    }
    EXPECT_EQ(m_server.requests(), QStringList({"/korvelaplayer.php"}));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SelfUpdate, BrokenArchiveEndsInTheFailureAlert)
{
    m_server.route("/broken.zip", zipBytes({{"Korvela Player/share/only-data.txt", "x"}}));
    publish("3", m_server.url("/broken.zip"));
    ScriptedDialogs dialogs({true});
    checkOnce(dialogs);
    EXPECT_EQ(dialogs.shown(),
              QStringList({"question UPTATE_READY_TITLE UPTATE_READY_MESSAGE",
                           "plain Update failed There was a problem during installation. Update "
                           "canceled."}));
    EXPECT_TRUE(m_exitStatuses.isEmpty());
    EXPECT_TRUE(launches().isEmpty());
    EXPECT_TRUE(privateTemporaryFolders().isEmpty());
}

TEST_F(SelfUpdate, SecondStageReplacesTheInstalledBundleAndLaunchesIt)
{
    ASSERT_TRUE(writeFile(installed() + "/share/obsolete.txt", "old only"));
    const QString fresh = temporary() + "/Korvela Player";
    makeBundle(fresh, "9.0");
    ASSERT_TRUE(QFile::link("version.txt", fresh + "/share/alias.txt"));

    RVUpdater updater(environment(RVAppBundle::executableOf(fresh)), nullptr);
    updater.checkIfAppInTemporaryDir();

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
}

TEST_F(SelfUpdate, SecondStageWithoutLaunchOrCopyKeepsRunning)
{
    const QString fresh = temporary() + "/Korvela Player";
    makeBundle(fresh, "9.0");
    auto env = environment(RVAppBundle::executableOf(fresh));
    QStringList launched;
    env.launch = [&](const QString& exe) {
        launched.append(exe);
        return false;
    };
    {
        RVUpdater updater(env, nullptr);
        updater.checkIfAppInTemporaryDir();
    }
    EXPECT_EQ(launched, QStringList({installed() + "/bin/korvela-player"}));
    EXPECT_TRUE(m_exitStatuses.isEmpty());

    // A copy that cannot be made (a named pipe in the new bundle) keeps the installed bundle as
    // it was, leaves no half copy, and launches nothing.
    makeBundle(installed(), "1.2.3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fresh + "/share/pipe").constData(), 0600), 0);
    {
        RVUpdater updater(env, nullptr);
        updater.checkIfAppInTemporaryDir();
    }
    EXPECT_EQ(readFile(installed() + "/share/version.txt"), QByteArray("1.2.3"));
    EXPECT_EQ(launched.size(), 1);
    EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Korvela Player", "KorvelaPlayerUpdate"}));
}

TEST_F(SelfUpdate, NormalStartRemovesTheTemporaryFolderOnly)
{
    const QString outside = m_root.filePath("keep");
    ASSERT_TRUE(writeFile(outside + "/precious.txt", "keep me"));
    makeBundle(temporary() + "/Korvela Player", "9.0");
    ASSERT_TRUE(QFile::link(outside, temporary() + "/Korvela Player/share/link"));

    RVUpdater updater(environment(RVAppBundle::executableOf(installed())), nullptr);
    updater.checkIfAppInTemporaryDir();
    EXPECT_FALSE(QFileInfo::exists(temporary()));
    EXPECT_EQ(readFile(outside + "/precious.txt"), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo::exists(installed() + "/bin/korvela-player"));
    updater.checkIfAppInTemporaryDir(); // missing folder: no error
    EXPECT_TRUE(m_exitStatuses.isEmpty());

    // Not a bundle: nothing beside it is touched.
    QDir().mkpath(m_root.filePath("usr/KorvelaPlayerUpdate"));
    RVUpdater packaged(environment(m_root.filePath("usr/bin/korvela-player")), nullptr);
    packaged.checkIfAppInTemporaryDir();
    EXPECT_TRUE(QFileInfo::exists(m_root.filePath("usr/KorvelaPlayerUpdate")));
}

TEST_F(SelfUpdate, ArchiveThatCannotBeStoredIsNotOffered)
{
    // No temporary folder: nothing is fetched. A disk that fills up during the download: the
    // partial archive is dropped. Either way no question is asked.
    publish("3", m_server.url("/app.zip"));
    SmallDisk disk;
    if (disk.isValid())
        disk.fill();
    const QByteArray savedTemp = qgetenv("TMPDIR");
    for (const QString& folder : {m_root.filePath("no/such/folder"), disk.path()}) {
        if (folder == disk.path() && !disk.isValid())
            continue;
        ScriptedDialogs dialogs({true});
        LogCapture log;
        qputenv("TMPDIR", folder.toUtf8());
        checkOnce(dialogs);
        EXPECT_EQ(m_server.requests().contains("/app.zip"), folder == disk.path());
        EXPECT_TRUE(log.contains("Write returned error:"));
        EXPECT_TRUE(dialogs.shown().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(temporary()));
    }
    if (disk.isValid()) {
        EXPECT_EQ(
            QDir(disk.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList({"filler"}));
    }
    if (savedTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemp);
}

// The portable bundle this build makes, through the whole update: downloaded, unpacked beside
// the installed copy and started; that copy puts itself in place of the installed one, whose
// programs then report the new version; the next normal start clears the update folder.
TEST_F(SelfUpdate, ProjectBundleReplacesTheInstalledCopy)
{
#ifndef KORVELA_BUNDLE_ZIP
    GTEST_SKIP() << "the portable bundle is built only with the window (KORVELA_GUI=ON)";
#else
    const auto versionOf = [](const QString& program) {
        QProcess process;
        process.start(program, {"--version"});
        return process.waitForFinished(30000) && process.exitCode() == 0
                   ? QString::fromUtf8(process.readAllStandardOutput())
                   : QStringLiteral("failed: ") + program;
    };
    const QString expected = QStringLiteral(" " KORVELA_VERSION "\n");
    m_server.route("/bundle.zip", readFile(QStringLiteral(KORVELA_BUNDLE_ZIP)));
    publish("99.0", m_server.url("/bundle.zip"));
    ScriptedDialogs dialogs({true});
    QStringList started;
    const auto recordLaunch = [&started](const QString& exe) {
        started << exe;
        return true;
    };
    auto env = environment(RVAppBundle::executableOf(installed()));
    env.launch = recordLaunch;
    {
        RVUpdater updater(env, &dialogs);
        updater.checkForUpdate();
        ASSERT_TRUE(waitFor([this] { return !m_exitStatuses.isEmpty(); }, 120000));
    }
    const QString fresh = RVAppBundle::executableOf(temporary() + "/Korvela Player");
    ASSERT_EQ(started, QStringList{fresh});
    EXPECT_EQ(versionOf(fresh), "korvela-player" + expected);

    auto second = environment(fresh);
    second.launch = recordLaunch;
    RVUpdater(second, nullptr).checkIfAppInTemporaryDir();
    ASSERT_EQ(started.size(), 2);
    EXPECT_EQ(started[1], RVAppBundle::executableOf(installed()));
    EXPECT_EQ(versionOf(started[1]), "korvela-player" + expected);
    EXPECT_EQ(versionOf(installed() + "/bin/korvela-export"), "korvela-export" + expected);
    EXPECT_TRUE(QFileInfo(installed() + "/share/korvela-player/WhatsNew.txt").isFile());

    RVUpdater(environment(started[1]), nullptr).checkIfAppInTemporaryDir();
    EXPECT_FALSE(QFileInfo::exists(temporary()));
    EXPECT_EQ(m_exitStatuses, QList<int>({0, 0}));
#endif
}

#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryDir;
class QThread;
class RVDialogs;
class RVAtomicFile;

// What the updater needs from its surroundings. The defaults are the running program's; tests
// replace them.
struct RVUpdaterEnvironment final
{
    RVUpdaterEnvironment();

    // Base address of the maker's web server; "/korvelaplayer.php" is appended. Must be https.
    QString serverUrl;
    // The installed application version, such as 1.4.2.
    QString installedVersion;
    // The running executable (empty: QCoreApplication::applicationFilePath()).
    QString executablePath;
    // Mount paths of the mounted camera cards; the first is examined. Called on the firmware
    // check's thread. Unset: no cards.
    std::function<QStringList()> dashcamFlashDrives;
    // Starts a program detached; true when it started.
    std::function<bool(const QString& executable)> launch;
    // Ends the process with the status after a successful hand-over to the new copy.
    std::function<void(int status)> endProcess;
    // Pause before launching the other copy, so the launching one is on its way out.
    std::chrono::milliseconds settleDelay{1000};
    // The once-per-run flag of the firmware check. Null: the process-wide flag.
    std::atomic<bool>* firmwareChecked = nullptr;
    // The largest application archive taken; a download that grows past it (an endless
    // server) is stopped and dropped. The default is the largest bundle the unpacking accepts.
    qint64 maxArchiveBytes;
    // The Ed25519 public key (32 bytes) the update information and firmware descriptions must
    // be signed with. The default is the one the build names.
    QByteArray publicKey;
};

// Keeps the application and the camera's firmware current.
//
// Threads: construct, call checkForUpdate() and checkIfAppInTemporaryDir() and destroy on the
// GUI thread. The update check runs asynchronously on that thread's event loop; the firmware
// check and the unpacking of an accepted application archive each run on a thread of the
// updater's own, which the destructor stops and joins. Every question and alert is shown
// through the dialogs on the GUI thread; the firmware thread waits for the answer, and the
// unpacking reports its progress to the dialogs and hands its result back to the GUI thread,
// which launches the new copy.
//
// Downloads of code (the application archive, the firmware) and the requests for update
// information and firmware descriptions are made over https only, with certificate checks;
// an http address is refused and logged. Archives are kept in a private temporary folder.
// The update information and the firmware description must carry the maker's signature
// (RVUpdateSignature) and name their archive's SHA-256; an unsigned or wrongly signed text is
// ignored, and an archive whose hash differs is refused (logged, and the failure alert shown)
// before anything in it is unpacked or placed.
class RVUpdater final : public QObject
{
    Q_OBJECT

public:
    RVUpdater(RVUpdaterEnvironment environment, RVDialogs* dialogs, QObject* parent = nullptr);
    ~RVUpdater() override;

    // Fetches the update information; downloads and offers a newer version, and starts the
    // firmware check when a firmware description address is published. Once per run.
    void checkForUpdate();

    // At launch, before the window: when this copy runs from "KorvelaPlayerUpdate", it replaces
    // the installed "Korvela Player" beside that folder and starts it (and the process ends on
    // success); otherwise it removes a "KorvelaPlayerUpdate" folder left by a finished update.
    void checkIfAppInTemporaryDir();

    // Unpacks the archive into the folder, replacing existing files. Any thread.
    static void archiveAt(const QString& archivePath, const QString& destination);
    // The same with the zip walk's progress; false when the archive could not be opened or
    // read, or the progress stopped the walk.
    static bool archiveAt(const QString& archivePath, const QString& destination,
                          const std::function<bool(qint64 done, qint64 total)>& progress);

    // The camera firmware check. Blocks; normally run on the updater's own thread, which
    // checkForUpdate starts. Waits for the dialogs' answers on the GUI thread.
    void checkReleasedFirmwareVersion();

    bool versionDownloaded() const { return m_versionDownloaded; }
    QString lastVersion() const { return m_lastVersion; }

Q_SIGNALS:
    // The update check came to rest: the information failed or was handled without an
    // archive download, or the archive was handled (declined, failed, not installable).
    void updateCheckFinished();
    // The firmware thread has ended.
    void firmwareCheckFinished();
    // Entries of the accepted archive unpacked so far, and how many it holds.
    void installProgress(qint64 done, qint64 total);

private:
    void startTransfer(const QUrl& url);
    void onResponse(QNetworkReply* reply);
    void onFinished(QNetworkReply* reply);
    void handleUpdateInformation();
    void handleArchive(QNetworkReply* reply);
    // Takes what the reply has received: the archive goes straight to its file, the update
    // information (small) into m_responseData. False when the transfer must stop.
    bool takeReceived(QNetworkReply* reply);
    bool startArchiveFile();
    void installArchive(const QString& archivePath);
    void finishInstall(const QString& newExecutable, bool unpacked);
    void startFirmwareCheck();

    bool askOnGuiThread(const QString& titleKey, const QString& messageKey);
    void alertOnGuiThread(const QString& titleKey, const QString& messageKey);
    void runOnGuiThread(const std::function<void()>& work);

    QString executablePath() const;

    RVUpdaterEnvironment m_environment;
    RVDialogs* m_dialogs; // not owned; may be null (questions answered "No")
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_responseData;
    QString m_archiveSha256; // what the signed update information says the archive hashes to
    bool m_versionDownloaded = false;
    bool m_checkStarted = false;
    QString m_lastVersion;
    QThread* m_firmwareThread = nullptr;
    QThread* m_installThread = nullptr;
    // The private folder holding the downloaded archive, kept until the installation ends.
    std::unique_ptr<QTemporaryDir> m_archiveFolder;
    // The archive being received, written as it arrives rather than held in memory.
    std::unique_ptr<RVAtomicFile> m_archiveFile;
    std::stop_source m_stop;
};

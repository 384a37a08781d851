#include "update/RVUpdater.h"

#include "core/RVAtomicFile.h"
#include "core/RVSettings.h"
#include "korvela_version.h"
#include "update/RVAppBundle.h"
#include "update/RVDialogs.h"
#include "update/RVDownloadUtil.h"
#include "update/RVPrivateFolder.h"
#include "update/RVUpdateInformation.h"
#include "update/RVUpdateSignature.h"
#include "update/ZipArchive.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const QLatin1String kInformationPath("/korvelaplayer.php");
const QLatin1String kArchiveName("KorvelaPlayer.zip");
// The update information is a few short lines; an answer larger than this is no such text
// and is not read further.
constexpr qsizetype kMaxInformationBytes = 64 << 10;
// Title of the progress shown while an accepted update unpacks.
const QLatin1String kInstallingKey("UPTATE_INSTALLING_TITLE");

bool startDetached(const QString& executable)
{
    return QProcess::startDetached(executable, {}, QFileInfo(executable).absolutePath());
}

[[noreturn]] void endThisProcess(int status)
{
    // Quick exit: the new copy is already running, and other threads of this one may still be
    // busy; running global destructors under them would only risk a crash on the way out.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

RVUpdaterEnvironment::RVUpdaterEnvironment()
    : serverUrl(QStringLiteral(KORVELA_UPDATE_SERVER)),
      installedVersion(QStringLiteral(KORVELA_VERSION)), launch(startDetached),
      endProcess(endThisProcess), maxArchiveBytes(ZipArchive::kUpdateLimits.maxTotalBytes),
      publicKey(RVUpdateSignature::builtInPublicKey())
{}

RVUpdater::RVUpdater(RVUpdaterEnvironment environment, RVDialogs* dialogs, QObject* parent)
    : QObject(parent), m_environment(std::move(environment)), m_dialogs(dialogs),
      m_network(new QNetworkAccessManager(this))
{}

RVUpdater::~RVUpdater()
{
    // Aborts the firmware thread's transfers and its wait for an answer, then joins it.
    m_stop.request_stop();
    for (QThread* thread : {m_firmwareThread, m_installThread}) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
    if (m_reply) {
        m_reply->disconnect(this); // no handling of the abort while this object goes away
        m_reply->abort();
    }
}

QString RVUpdater::executablePath() const
{
    return m_environment.executablePath.isEmpty() ? QCoreApplication::applicationFilePath()
                                                  : m_environment.executablePath;
}

void RVUpdater::checkForUpdate()
{
    if (m_checkStarted)
        return;
    m_checkStarted = true;
    m_versionDownloaded = false;
    m_responseData.clear();

    QString server = m_environment.serverUrl;
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    const QUrl url(server + kInformationPath, QUrl::StrictMode);
    if (url.scheme() != QLatin1String("https") || !RVDownloadUtil::isFetchableUrl(url)) {
        qWarning().noquote() << "Refusing update server that is not https:" << server;
        Q_EMIT updateCheckFinished();
        return;
    }
    startTransfer(url);
}

void RVUpdater::startTransfer(const QUrl& url)
{
    QNetworkReply* reply = m_network->get(RVDownloadUtil::makeRequest(url));
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { onResponse(reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (!takeReceived(reply))
            reply->abort(); // finished follows, with an error
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void RVUpdater::onResponse(QNetworkReply* reply)
{
    // Redirects announce their own headers; only the final answer's length matters.
    if (reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid() ||
        reply->property("lengthChecked").toBool())
        return;
    reply->setProperty("lengthChecked", true);
    if (!reply->header(QNetworkRequest::ContentLengthHeader).isValid())
        qInfo("Response length unexpected");
}

bool RVUpdater::takeReceived(QNetworkReply* reply)
{
    if (!reply->isOpen())
        return true; // aborted: nothing more to take, and the error says why
    if (m_archiveFile) {
        const QByteArray data = reply->readAll();
        if (m_archiveFile->writtenBytes() + data.size() > m_environment.maxArchiveBytes) {
            qWarning("The update archive is larger than %lld bytes; not read",
                     static_cast<long long>(m_environment.maxArchiveBytes));
            return false;
        }
        if (m_archiveFile->write(data) == data.size())
            return true;
        qWarning().noquote() << "Write returned error:" << m_archiveFile->errorString();
        return false;
    }
    m_responseData.append(reply->readAll());
    if (m_responseData.size() <= kMaxInformationBytes)
        return true;
    qWarning("The update information is larger than %d bytes; not read", int(kMaxInformationBytes));
    return false;
}

bool RVUpdater::startArchiveFile()
{
    m_archiveFolder = makePrivateTemporaryFolder();
    if (!m_archiveFolder)
        return false;
    m_archiveFile = std::make_unique<RVAtomicFile>(m_archiveFolder->filePath(kArchiveName));
    if (m_archiveFile->open())
        return true;
    qWarning().noquote() << "Write returned error:" << m_archiveFile->errorString();
    m_archiveFile.reset();
    m_archiveFolder.reset();
    return false;
}

void RVUpdater::onFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const bool taken = takeReceived(reply);
    if (!taken || !RVDownloadUtil::endedWithoutTransportError(*reply)) {
        qInfo("fail");
        qInfo().noquote() << reply->errorString();
        m_archiveFile.reset(); // drops the partial archive
        m_archiveFolder.reset();
        Q_EMIT updateCheckFinished();
        return;
    }
    if (!m_versionDownloaded)
        handleUpdateInformation();
    else
        handleArchive(reply);
}

void RVUpdater::handleUpdateInformation()
{
    QString whyNot;
    const std::optional<QByteArray> signedText =
        RVUpdateSignature::verifiedText(m_responseData, m_environment.publicKey, &whyNot);
    if (!signedText) {
        // Not from the maker (or damaged): nothing in it is acted on.
        qWarning().noquote() << "Ignoring the update information:" << whyNot;
        m_versionDownloaded = true;
        Q_EMIT updateCheckFinished();
        return;
    }
    const RVUpdateInformation info = RVUpdateInformation::parse(*signedText);
    m_lastVersion = info.macVersion.value_or(QString());
    m_archiveSha256 = info.macDownloadSHA256.value_or(QString());

    bool downloading = false;
    if (info.macVersion && info.macDownloadURL &&
        isPublishedVersionNewer(m_environment.installedVersion, m_lastVersion)) {
        const QUrl url(*info.macDownloadURL, QUrl::StrictMode);
        if (url.scheme() != QLatin1String("https") || !RVDownloadUtil::isFetchableUrl(url)) {
            qWarning().noquote() << "Refusing update download that is not https:"
                                 << *info.macDownloadURL;
        } else if (const auto bundle = RVAppBundle::bundleOfExecutable(executablePath());
                   !bundle || !RVAppBundle::canReplace(*bundle)) {
            // Not downloaded at all: it could not be installed.
            qInfo().noquote() << "Version" << m_lastVersion
                              << "is available; this copy cannot replace itself";
            if (m_dialogs)
                m_dialogs->newVersionAvailable(m_lastVersion, *info.macDownloadURL);
        } else if (startArchiveFile()) {
            m_responseData = QByteArray();
            m_versionDownloaded = true; // what arrives next is the archive
            startTransfer(url);
            downloading = true;
        }
    }
    if (info.firmwareURL) {
        // Written out before the firmware thread reads it through its own settings object.
        RVSettings::setText(RVSettings::kFirmwareUrl, *info.firmwareURL);
        startFirmwareCheck();
    }
    m_versionDownloaded = true;
    if (!downloading)
        Q_EMIT updateCheckFinished();
}

void RVUpdater::handleArchive(QNetworkReply* reply)
{
    // An error page is not an archive: offering to install it could only end in a failed
    // installation.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const std::unique_ptr<RVAtomicFile> file = std::move(m_archiveFile);
    std::unique_ptr<QTemporaryDir> folder = std::move(m_archiveFolder);
    if (status < 200 || status > 299) {
        qWarning().noquote() << "Update download failed with HTTP status" << status;
        Q_EMIT updateCheckFinished();
        return;
    }
    if (!file || !file->commit()) {
        qWarning().noquote() << "Write returned error:"
                             << (file ? file->errorString() : QStringLiteral("no file"));
        Q_EMIT updateCheckFinished();
        return;
    }
    const QString archivePath = file->fileName();
    QString mismatch;
    if (!RVUpdateSignature::fileMatchesSha256(archivePath, m_archiveSha256, &mismatch)) {
        // Not the archive the maker signed for: never offered, never unpacked.
        qWarning().noquote() << "Refusing the update archive:" << mismatch;
        if (m_dialogs)
            m_dialogs->alert(QStringLiteral("UPTATE_FAILED_FINISHED_TITLE"),
                             QStringLiteral("UPTATE_FAILED_FINISHED_MESSAGE"));
        Q_EMIT updateCheckFinished();
        return;
    }
    if (m_dialogs && m_dialogs->question(QStringLiteral("UPTATE_READY_TITLE"),
                                         QStringLiteral("UPTATE_READY_MESSAGE"))) {
        m_archiveFolder = std::move(folder);
        installArchive(archivePath); // finishes on its own thread, then in finishInstall
        return;
    }
    Q_EMIT updateCheckFinished();
}

void RVUpdater::installArchive(const QString& archivePath)
{
    const std::optional<QString> bundle = RVAppBundle::bundleOfExecutable(executablePath());
    if (!bundle || m_installThread) {
        // The bundle was checked before the download; only one installation per run.
        m_archiveFolder.reset();
        Q_EMIT updateCheckFinished();
        return;
    }
    const QString temporary = QFileInfo(*bundle).absolutePath() + QLatin1Char('/') +
                              QLatin1String(RVAppBundle::kTemporaryFolder);
    const QString newExecutable = RVAppBundle::executableOf(
        temporary + QLatin1Char('/') + QLatin1String(RVAppBundle::kBundleName));
    if (m_dialogs)
        m_dialogs->showProgress(kInstallingKey, 0, 0);

    // A bundle holds thousands of files: unpacking them takes seconds, during which the window
    // keeps playing and drawing. Progress and the result come back as queued calls, which Qt
    // drops once this object is gone.
    const std::stop_token stop = m_stop.get_token();
    const std::chrono::milliseconds settleDelay = m_environment.settleDelay;
    m_installThread =
        QThread::create([this, archivePath, temporary, newExecutable, stop, settleDelay] {
            // Whatever an earlier, interrupted attempt left there must not end up in the new
            // install.
            RVAppBundle::removeFolder(temporary);
            QDir().mkpath(temporary);
            qint64 shownPercent = -1;
            const bool unpacked = archiveAt(archivePath, temporary, [&](qint64 done, qint64 total) {
                // At most one report per percent, so a large archive does not flood the queue.
                const qint64 percent = total > 0 ? done * 100 / total : 0;
                if (percent != shownPercent) {
                    shownPercent = percent;
                    QMetaObject::invokeMethod(
                        this, [this, done, total] { Q_EMIT installProgress(done, total); },
                        Qt::QueuedConnection);
                }
                return !stop.stop_requested();
            });
            // Owner may write; everyone else may only run it.
            QFile::setPermissions(newExecutable, QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup | QFile::ReadOther |
                                                     QFile::ExeOther);
            // The pause before the launch is spent here too, off the GUI thread; a stop cuts it
            // short.
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            wake.wait_for(lock, stop, settleDelay, [] { return false; });
            if (stop.stop_requested())
                return;
            QMetaObject::invokeMethod(
                this, [this, newExecutable, unpacked] { finishInstall(newExecutable, unpacked); },
                Qt::QueuedConnection);
        });
    connect(this, &RVUpdater::installProgress, this, [this](qint64 done, qint64 total) {
        if (m_dialogs)
            m_dialogs->showProgress(kInstallingKey, done, total);
    });
    m_installThread->start();
}

void RVUpdater::finishInstall(const QString& newExecutable, bool unpacked)
{
    if (m_dialogs)
        m_dialogs->hideProgress();
    // An archive that did not unpack shows up as a launch failure: the new executable is
    // missing or incomplete.
    if (!unpacked)
        qWarning("The update archive could not be unpacked completely");
    if (unpacked && m_environment.launch(newExecutable)) {
        // The process ends without unwinding, so the private folder goes now.
        m_archiveFolder.reset();
        m_environment.endProcess(0);
        return;
    }
    m_archiveFolder.reset();
    if (m_dialogs)
        m_dialogs->plainAlert(QStringLiteral("Update failed"),
                              QStringLiteral("There was a problem during installation. Update "
                                             "canceled."));
    Q_EMIT updateCheckFinished();
}

void RVUpdater::checkIfAppInTemporaryDir()
{
    const std::optional<QString> bundle = RVAppBundle::bundleOfExecutable(executablePath());
    if (!bundle)
        return; // not a self-updating install
    const QFileInfo parent(QFileInfo(*bundle).absolutePath());
    if (parent.fileName() == QLatin1String(RVAppBundle::kTemporaryFolder)) {
        const QString target =
            parent.absolutePath() + QLatin1Char('/') + QLatin1String(RVAppBundle::kBundleName);
        // Launching the old copy after a failed replacement would only offer the same update
        // again; this copy keeps running instead.
        if (!RVAppBundle::replaceBundle(*bundle, target))
            return;
        QThread::msleep(static_cast<unsigned long>(m_environment.settleDelay.count()));
        if (m_environment.launch(RVAppBundle::executableOf(target)))
            m_environment.endProcess(0);
        return;
    }
    RVAppBundle::removeFolder(parent.absoluteFilePath() + QLatin1Char('/') +
                              QLatin1String(RVAppBundle::kTemporaryFolder));
}

void RVUpdater::archiveAt(const QString& archivePath, const QString& destination)
{
    archiveAt(archivePath, destination, {});
}

bool RVUpdater::archiveAt(const QString& archivePath, const QString& destination,
                          const std::function<bool(qint64 done, qint64 total)>& progress)
{
    ZipArchive zip;
    const bool opened = zip.UnzipOpenFile(archivePath);
    const bool walked = opened && zip.UnzipFileTo(destination, progress);
    zip.UnzipCloseFile();
    return walked;
}

void RVUpdater::startFirmwareCheck()
{
    if (m_firmwareThread)
        return;
    m_firmwareThread = QThread::create([this] { checkReleasedFirmwareVersion(); });
    connect(m_firmwareThread, &QThread::finished, this, &RVUpdater::firmwareCheckFinished);
    m_firmwareThread->start();
}

void RVUpdater::runOnGuiThread(const std::function<void()>& work)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    struct Pending
    {
        std::mutex mutex;
        std::condition_variable_any done;
        bool finished = false;
    };
    auto pending = std::make_shared<Pending>();
    QMetaObject::invokeMethod(
        this,
        [pending, work] {
            work();
            const std::lock_guard lock(pending->mutex);
            pending->finished = true;
            pending->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->mutex);
    // A stop (the updater is being destroyed) ends the wait; the queued call then never runs.
    pending->done.wait(lock, m_stop.get_token(), [&] { return pending->finished; });
}

bool RVUpdater::askOnGuiThread(const QString& titleKey, const QString& messageKey)
{
    auto answer = std::make_shared<std::atomic<bool>>(false);
    RVDialogs* dialogs = m_dialogs;
    runOnGuiThread([=] {
        if (dialogs)
            answer->store(dialogs->question(titleKey, messageKey));
    });
    return answer->load() && !m_stop.stop_requested();
}

void RVUpdater::alertOnGuiThread(const QString& titleKey, const QString& messageKey)
{
    RVDialogs* dialogs = m_dialogs;
    runOnGuiThread([=] {
        if (dialogs)
            dialogs->alert(titleKey, messageKey);
    });
}

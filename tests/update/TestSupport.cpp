#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <optional>

namespace {

TestTls s_tls;
bool makeCertificate(const QString& certificate, const QString& key)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                   "-out", certificate});
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}

} // namespace

const TestTls& TestTls::instance()
{
    return s_tls;
}

bool TestTls::setUp(const QString& folder)
{
    s_tls.trustedCertificate = folder + "/trusted.pem";
    s_tls.trustedKey = folder + "/trusted.key";
    s_tls.untrustedCertificate = folder + "/untrusted.pem";
    s_tls.untrustedKey = folder + "/untrusted.key";
    if (!makeCertificate(s_tls.trustedCertificate, s_tls.trustedKey) ||
        !makeCertificate(s_tls.untrustedCertificate, s_tls.untrustedKey))
        return false;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(QSslCertificate::fromPath(s_tls.trustedCertificate));
    QSslConfiguration::setDefaultConfiguration(configuration);
    return true;
}

namespace {

// The certificates are made once per run, before the first test, in a folder of their own.
class TlsEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_folder.emplace();
        ASSERT_TRUE(TestTls::setUp(m_folder->path()))
            << "could not make test certificates with openssl";
    }

private:
    std::optional<QTemporaryDir> m_folder;
};

[[maybe_unused]] const auto* const s_tlsEnvironment =
    ::testing::AddGlobalTestEnvironment(new TlsEnvironment);

} // namespace

bool writeZip(const QString& path, const QList<ZipEntry>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const ZipEntry& entry : entries) {
        zip_fileinfo info{};
        info.tmz_date = tm_zip{8, 6, 5, 4, 2, 2021}; // 2021-03-04 05:06:08, months from 0
        info.external_fa = uLong(entry.unixMode) << 16;
        const uLong madeBy = entry.unixMode ? (3u << 8) | 20u : 20u;
        const int raw = entry.badChecksum ? 1 : 0;
        const int method = entry.badChecksum ? 0 : Z_DEFLATED;
        ok = ok && zipOpenNewFileInZip4_64(zip, entry.name.constData(), &info, nullptr, 0, nullptr,
                                           0, nullptr, method, Z_DEFAULT_COMPRESSION, raw,
                                           -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                           0, madeBy, 0, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, entry.data.constData(), unsigned(entry.data.size())) ==
                       ZIP_OK;
        if (entry.badChecksum)
            ok = ok &&
                 zipCloseFileInZipRaw64(zip, ZPOS64_T(entry.data.size()), 0x12345678u) == ZIP_OK;
        else
            ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

QByteArray zipBytes(const QList<ZipEntry>& entries)
{
    QTemporaryFile file;
    if (!file.open() || !writeZip(file.fileName(), entries))
        return {};
    return readFile(file.fileName());
}

void ScriptedDialogs::alert(const QString& titleKey, const QString& messageKey)
{
    const QMutexLocker lock(&m_mutex);
    m_shown.append("alert " + titleKey + " " + messageKey);
}

bool ScriptedDialogs::question(const QString& titleKey, const QString& messageKey)
{
    if (whenAsked)
        whenAsked();
    const QMutexLocker lock(&m_mutex);
    m_shown.append("question " + titleKey + " " + messageKey);
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

void ScriptedDialogs::plainAlert(const QString& message, const QString& informativeText)
{
    const QMutexLocker lock(&m_mutex);
    m_shown.append("plain " + message + " " + informativeText);
}

void ScriptedDialogs::newVersionAvailable(const QString& version, const QString& downloadUrl)
{
    const QMutexLocker lock(&m_mutex);
    m_shown.append("newVersion " + version + " " + downloadUrl);
}

void ScriptedDialogs::showProgress(const QString& titleKey, qint64 done, qint64 total)
{
    const QMutexLocker lock(&m_mutex);
    m_progress.append(QStringLiteral("%1 %2/%3").arg(titleKey).arg(done).arg(total));
}

void ScriptedDialogs::hideProgress()
{
    const QMutexLocker lock(&m_mutex);
    m_progress.append(QStringLiteral("hidden"));
}

QStringList ScriptedDialogs::shown() const
{
    const QMutexLocker lock(&m_mutex);
    return m_shown;
}

QStringList ScriptedDialogs::progress() const
{
    const QMutexLocker lock(&m_mutex);
    return m_progress;
}

QByteArray standInExecutable(const QString& log, const QByteArray& version)
{
    return "#!/bin/sh\n# stand-in for korvela-player " + version + "\necho \"$0|$(pwd)\" >> '" +
           QFile::encodeName(log) + "'\n";
}

QStringList privateTemporaryFolders()
{
    return QDir(QDir::tempPath()).entryList({"KorvelaPlayer-*"}, QDir::Dirs | QDir::Hidden);
}

#pragma once

#include "update/RVDialogs.h"

#include "support/Support.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <functional>

// Certificates made at start-up with openssl: the trusted one is added to the process's default
// TLS configuration (as a test-only certificate authority), the other is not.
struct TestTls
{
    QString trustedCertificate, trustedKey, untrustedCertificate, untrustedKey;
    static const TestTls& instance();
    static bool setUp(const QString& folder);
};

// One entry of an archive written by writeZip.
struct ZipEntry
{
    QByteArray name;
    QByteArray data;
    unsigned unixMode = 0;    // st_mode bits stored for a Unix host; 0: stored as made on DOS
    bool badChecksum = false; // stored with a wrong CRC-32
};
bool writeZip(const QString& path, const QList<ZipEntry>& entries);
QByteArray zipBytes(const QList<ZipEntry>& entries);

// Answers questions from a script and records every dialog as "kind title message".
class ScriptedDialogs final : public RVDialogs
{
public:
    explicit ScriptedDialogs(QList<bool> answers = {}) : m_answers(std::move(answers)) {}
    void alert(const QString& titleKey, const QString& messageKey) override;
    bool question(const QString& titleKey, const QString& messageKey) override;
    void plainAlert(const QString& message, const QString& informativeText) override;
    void newVersionAvailable(const QString& version, const QString& downloadUrl) override;
    // Progress is recorded apart from the dialogs, as "titleKey done/total" and "hidden".
    void showProgress(const QString& titleKey, qint64 done, qint64 total) override;
    void hideProgress() override;
    QStringList shown() const;
    QStringList progress() const;
    // Called as a question is answered, on the asking thread.
    std::function<void()> whenAsked;

private:
    mutable QMutex m_mutex;
    QList<bool> m_answers;
    QStringList m_shown;
    QStringList m_progress;
};

using support::LogCapture;
using support::readFile;
using support::waitFor;
using support::writeFile;

// A shell script standing in for the program: each start appends "$0|working folder" to log.
QByteArray standInExecutable(const QString& log, const QByteArray& version);

// The updater's private temporary folders that currently exist.
QStringList privateTemporaryFolders();

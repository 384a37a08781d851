#pragma once

#include "update/RVDialogs.h"

#include "support/Support.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QThread>

#include <functional>

class QTcpServer;
class QTcpSocket;

using support::LogCapture;
using support::readFile;
using support::waitFor;
using support::writeFile;

// A small HTTP/1.1 server on 127.0.0.1, running on its own thread so that blocking clients on the
// test's thread can talk to it: TLS with the "trusted" certificate made for the run (one the
// process trusts), the "untrusted" one, or plain without a certificate. Every answer closes the
// connection; paths without a route get a 404 HTML page.
class TestHttpServer final
{
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        bool announceLength = true; // false: no Content-Length, the body ends at close
    };

    explicit TestHttpServer(const QString& certificate = "trusted");
    ~TestHttpServer();
    void route(const QString& path, const Response& response)
    {
        const QMutexLocker lock(&m_mutex);
        m_routes.insert(path, response);
    }
    void route(const QString& path, const QByteArray& body) { route(path, Response{200, body}); }
    QString url(const QString& path) const { return m_base + path; }
    // Request targets in the order they arrived.
    QStringList requests() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_requests;
    }

private:
    void answer(QTcpSocket* socket);

    QThread m_thread;
    QTcpServer* m_server = nullptr;
    QString m_base; // "https://127.0.0.1:port" or http
    mutable QMutex m_mutex;
    QMap<QString, Response> m_routes;
    QStringList m_requests;
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

// Answers questions from a script and records every dialog as "kind title message", progress
// apart as "titleKey done/total" and "hidden".
class ScriptedDialogs final : public RVDialogs
{
public:
    explicit ScriptedDialogs(QList<bool> answers = {}) : m_answers(std::move(answers)) {}
    void alert(const QString& t, const QString& m) override { add("alert", t, m); }
    bool question(const QString& t, const QString& m) override
    {
        if (whenAsked)
            whenAsked(); // on the asking thread
        add("question", t, m);
        const QMutexLocker lock(&m_mutex);
        return !m_answers.isEmpty() && m_answers.takeFirst();
    }
    void plainAlert(const QString& t, const QString& m) override { add("plain", t, m); }
    void newVersionAvailable(const QString& v, const QString& u) override
    {
        add("newVersion", v, u);
    }
    void showProgress(const QString& t, qint64 n, qint64 of) override
    {
        add("", t, QString("%1/%2").arg(n).arg(of));
    }
    void hideProgress() override { add("", "hidden", {}); }
    QStringList shown() const { return lines(true); }
    QStringList progress() const { return lines(false); }
    std::function<void()> whenAsked;

private:
    void add(const QString& kind, const QString& first, const QString& second)
    {
        const QMutexLocker lock(&m_mutex);
        (kind.isEmpty() ? m_progress : m_shown)
            .append(QStringList{kind, first, second}.join(' ').trimmed());
    }
    QStringList lines(bool shown) const
    {
        const QMutexLocker lock(&m_mutex);
        return shown ? m_shown : m_progress;
    }

    mutable QMutex m_mutex;
    QList<bool> m_answers;
    QStringList m_shown, m_progress;
};

// The updater's private temporary folders that currently exist.
QStringList privateTemporaryFolders();

#pragma once

#include "update/RVDialogs.h"

#include "support/Support.h"

#include <QMap>
#include <QTcpServer>

#include <memory>
#include <optional>

using namespace support;

// A small HTTP/1.1 server on 127.0.0.1, served by this thread's event loop (a blocking client
// runs a loop of its own while it waits): TLS with a certificate for 127.0.0.1 that the process
// trusts, or plain. Every answer closes the connection; paths without a route get a 404 HTML
// page.
class TestHttpServer final
{
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        bool announceLength = true; // false: no Content-Length, the body ends at close
    };

    explicit TestHttpServer(bool tls = true);
    void route(const QString& path, const Response& response) { m_routes.insert(path, response); }
    void route(const QString& path, const QByteArray& body) { route(path, Response{200, body}); }
    QString url(const QString& path) const { return m_base + path; }
    // Request targets in the order they arrived.
    QStringList requests() const { return m_requests; }
    // The body routed at an address of this server; nothing for another server or no route.
    std::optional<QByteArray> bodyAt(const QString& url) const;

private:
    void answer(QTcpSocket* socket);

    std::unique_ptr<QTcpServer> m_server;
    QString m_base; // "https://127.0.0.1:port" or http
    QMap<QString, Response> m_routes;
    QStringList m_requests;
};

// Signs texts as the maker signs update information and firmware descriptions, with a key
// made for the test run (the maker's private key is never anywhere near the tests).
class TestSigner final
{
public:
    TestSigner();
    ~TestSigner();
    TestSigner(const TestSigner&) = delete;
    TestSigner& operator=(const TestSigner&) = delete;
    // The raw 32-byte public key.
    QByteArray publicKey() const { return m_publicKey; }
    // text (ended with a line feed when it is not) followed by its signature line.
    QByteArray sign(QByteArray text) const;

private:
    struct evp_pkey_st* m_key = nullptr;
    QByteArray m_publicKey;
};

// 64 lower-case hex digits.
QByteArray sha256Hex(const QByteArray& data);

// One entry of an archive made by zipBytes.
struct ZipEntry
{
    QByteArray name;
    QByteArray data;
    unsigned unixMode = 0;    // st_mode bits stored for a Unix host; 0: stored as made on DOS
    bool badChecksum = false; // stored with a wrong CRC-32
};
QByteArray zipBytes(const QList<ZipEntry>& entries);

// Answers questions from a script and records every dialog as "kind title message", progress
// apart as "titleKey done/total" and "hidden". The updater shows every dialog on its own thread.
class ScriptedDialogs final : public RVDialogs
{
public:
    explicit ScriptedDialogs(QList<bool> answers = {}) : m_answers(std::move(answers)) {}
    void alert(const QString& t, const QString& m) override { shown << "alert " + t + ' ' + m; }
    bool question(const QString& t, const QString& m) override
    {
        shown.append("question " + t + ' ' + m);
        return !m_answers.isEmpty() && m_answers.takeFirst();
    }
    void plainAlert(const QString& t, const QString& m) override
    {
        shown << "plain " + t + ' ' + m;
    }
    void newVersionAvailable(const QString& v, const QString& u) override
    {
        shown.append("newVersion " + v + ' ' + u);
    }
    void showProgress(const QString& t, qint64 n, qint64 of) override
    {
        progress.append(QString("%1 %2/%3").arg(t).arg(n).arg(of));
    }
    void hideProgress() override { progress.append("hidden"); }

    QStringList shown, progress;

private:
    QList<bool> m_answers;
};

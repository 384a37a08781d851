#pragma once

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

class TestHttpServerCore;

// A small HTTP/1.1 server on 127.0.0.1 for the tests, plain or with TLS, running on its own
// thread so that blocking clients on the test's thread can talk to it. Every answer closes the
// connection. Paths without a route get a 404 HTML page.
class TestHttpServer final
{
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        bool announceLength = true; // false: no Content-Length, the body ends at close
    };

    // certificate and key (PEM files) switch TLS on.
    explicit TestHttpServer(const QString& certificatePath = {}, const QString& keyPath = {});
    ~TestHttpServer();

    void route(const QString& path, const Response& response);
    void route(const QString& path, const QByteArray& body) { route(path, Response{200, body}); }
    // "https://127.0.0.1:port" + path (or http).
    QString url(const QString& path) const;
    // Request targets in the order they arrived.
    QStringList requests() const;

    // Answers from the server thread, shared with the connection handler.
    struct Routes
    {
        mutable QMutex mutex;
        QMap<QString, Response> responses;
        QStringList requests;
    };

private:
    QThread m_thread;
    TestHttpServerCore* m_core = nullptr;
    Routes m_routes;
    quint16 m_port = 0;
    bool m_tls = false;
};

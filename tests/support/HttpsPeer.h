#pragma once

#include <QHostAddress>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A peer of tests/support/https_peers.js, run with Node for one test and ended with it: an HTTPS
// server for a name, which offers HTTP/2 and HTTP/1.1 and answers only requests addressed to that
// name, or a CONNECT proxy that resolves names itself. What it saw comes as lines ("taken h2
// api.ostrel.test:443 /path 12", "refused h2 127.0.0.1:443", "connect api.ostrel.test:443",
// "auth-asked api.ostrel.test:443").
class HttpsPeer
{
public:
    // The name the server's certificate (certificateFile()) is made out to.
    static QString certifiedName();
    static QString certificateFile();
    // A certificate made out to another name, that of impostor()'s.
    static QString otherCertificateFile();

    // A server for certifiedName() on `host`, on `port` (0: a free one), that answers each
    // request it takes `answerAfterMs` later.
    static std::unique_ptr<HttpsPeer> server(const QHostAddress &host, quint16 port = 0, int answerAfterMs = 0);
    // A server that takes requests for certifiedName() as server() does, with a certificate
    // made out to another name: a client that checks the name never gets as far as a request.
    static std::unique_ptr<HttpsPeer> impostor(const QHostAddress &host);
    // A proxy on loopback that reaches each name of `names` at the address given (a name not
    // given is looked up by the proxy's own resolver); with `credentials` ("user:password"),
    // one that opens a tunnel only for them (Basic).
    static std::unique_ptr<HttpsPeer> proxy(const QMap<QString, QString> &names, const QString &credentials = {});

    // `environment`: the peer's knobs (https_peers.js), on top of the test's own.
    explicit HttpsPeer(const QStringList &arguments, const QMap<QString, QString> &environment = {});
    ~HttpsPeer();
    HttpsPeer(const HttpsPeer &) = delete;
    HttpsPeer &operator=(const HttpsPeer &) = delete;

    // Whether it listens; else why not.
    bool isListening() const { return m_port != 0; }
    QString errorText() const { return m_error; }
    quint16 port() const { return m_port; }

    // What it saw so far, a line each.
    QStringList seen();
    // The lines seen that start with `prefix` ("taken", "refused", "connect", "auth-asked").
    int count(const QString &prefix);

private:
    QProcess m_process;
    QByteArray m_pending;
    QStringList m_seen;
    quint16 m_port = 0;
    QString m_error;
};

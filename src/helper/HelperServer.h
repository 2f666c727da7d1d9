#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>

#include <sys/types.h>

class ProxyConfigService;
class QLocalSocket;

// The daemon's socket: one JSON request object per line, one reply line per request, in order.
// Only peers running as this process's own user get an answer; the peer's identity is read from
// the kernel (SO_PEERCRED), never taken from what the peer says.
class HelperServer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxLineLength = 64 * 1024;
    static constexpr int kMaxClients = 16;

    explicit HelperServer(ProxyConfigService &service, QObject *parent = nullptr);

    static QString defaultSocketPath();

    // Tests widen this to reach the socket from another user; the peer check still applies.
    void setSocketOptions(QLocalServer::SocketOptions options);
    // Refuses when another live daemon answers on the path; removes a stale socket file.
    bool listen(const QString &path, QString *error);
    // A listening socket handed over by the service manager.
    bool listenOnDescriptor(qintptr descriptor, QString *error);

    int clientCount() const { return m_clients; }

    // The uid of the process at the other end of a connected Unix socket, or -1.
    static qint64 peerUid(qintptr descriptor);

Q_SIGNALS:
    void peerRefused(qint64 uid);

private:
    void acceptPending();
    void readFrom(QLocalSocket *socket);
    void handleLine(QLocalSocket *socket, const QByteArray &line);
    void send(QLocalSocket *socket, const QJsonObject &reply);

    ProxyConfigService &m_service;
    QLocalServer m_server;
    int m_clients = 0;
};

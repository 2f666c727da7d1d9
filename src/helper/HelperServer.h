#pragma once

#include "common/HelperProtocol.h"

#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QPointer>

#include <optional>

class ProxyConfigService;
class QLocalSocket;

// The daemon's socket: one JSON request object per line, one reply line per request, in order.
// Only peers running as this process's own user get an answer; the peer's identity is read from
// the kernel (SO_PEERCRED), never taken from what the peer says.
//
// Requests are answered one per turn of the event loop, taking the clients in turn, so neither a
// busy client nor a flood keeps a termination signal from being handled. Each client may have at
// most kMaxQueuedRequests lines waiting; one that sends more is answered once and dropped.
//
// Each connection is a caller of its own to the service, which hears when it ends: the end of a
// client that pointed the desktop proxy may give the user's settings back (ProxyConfigService).
class HelperServer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxLineLength = HelperProtocol::kMaxRequestLine;
    static constexpr int kMaxClients = 16;
    static constexpr int kMaxQueuedRequests = 32;

    explicit HelperServer(ProxyConfigService &service, QObject *parent = nullptr);
    ~HelperServer() override;

    // Tests widen this to reach the socket from another user; the peer check still applies.
    void setSocketOptions(QLocalServer::SocketOptions options);
    // Refuses when another live daemon answers on the path; removes a stale socket file.
    bool listen(const QString &path, QString *error);
    // A listening socket handed over by the service manager.
    bool listenOnDescriptor(qintptr descriptor, QString *error);

    int clientCount() const { return m_clients; }
    // The reply line's object for one request line, as a client gets it (from no connection when
    // `caller` is 0); nothing for a blank line.
    std::optional<QJsonObject> replyTo(const QByteArray &line, quint64 caller = 0);
    // Stops answering: queued requests are dropped, and clients that end change nothing. For the
    // way out, before the settings are restored, so nothing a client still asks can undo the
    // restore.
    void stopServing();

Q_SIGNALS:
    void peerRefused(qint64 uid);

private:
    void acceptPending();
    void readFrom(QLocalSocket *socket);
    void answerNext();
    void scheduleAnswer();
    void dropClient(QLocalSocket *socket, const QString &reason);
    void clientEnded(QLocalSocket *socket);
    void handleLine(QLocalSocket *socket, const QByteArray &line);
    void send(QLocalSocket *socket, const QJsonObject &reply);
    void closeKeepingSocketFile();

    ProxyConfigService &m_service;
    QLocalServer m_server;
    int m_clients = 0;
    QHash<QLocalSocket *, QByteArrayList> m_queues; // complete lines not yet answered, per client
    QHash<QLocalSocket *, quint64> m_callers;        // each client's number as the service knows it
    quint64 m_lastCaller = 0;
    QList<QPointer<QLocalSocket>> m_turns;           // clients with queued lines, in answering order
    bool m_answerScheduled = false;
    bool m_serving = true;
    // Set when the socket came from the session's service manager, which owns its file.
    bool m_activated = false;
};

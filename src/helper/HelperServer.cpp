#include "helper/HelperServer.h"

#include "helper/HelperValidation.h"
#include "helper/ProxyConfigService.h"

#include "common/HelperProtocol.h"
#include "helper/HelperLog.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr qint64 kMaxPendingOutput = 1024 * 1024;
const char kBufferProperty[] = "ostrelLineBuffer";

QJsonObject errorReply(const QJsonValue &id, const QString &error)
{
    return {{QStringLiteral("id"), id}, {QStringLiteral("error"), error}};
}

} // namespace

HelperServer::HelperServer(ProxyConfigService &service, QObject *parent)
    : QObject(parent)
    , m_service(service)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.setMaxPendingConnections(kMaxClients);
    connect(&m_server, &QLocalServer::newConnection, this, &HelperServer::acceptPending);
}

HelperServer::~HelperServer()
{
    // The clients' sockets go with the listening one, after this object's members: their ends
    // must not reach a half-destroyed server, nor the service as a client's end.
    m_serving = false;
    for (QLocalSocket *socket : m_server.findChildren<QLocalSocket *>())
        socket->disconnect(this);
    if (m_activated)
        closeKeepingSocketFile();
}

void HelperServer::closeKeepingSocketFile()
{
    // QLocalServer removes the file of the socket it closes, also one it was handed. That one the
    // service manager still listens on for the session: without its file the next client's connect
    // could not start this program again. A second name keeps the file through the close.
    const QByteArray path = QFile::encodeName(m_server.fullServerName());
    if (path.isEmpty())
        return;
    const QByteArray kept = path + ".kept";
    ::unlink(kept.constData());
    const bool linked = ::link(path.constData(), kept.constData()) == 0;
    m_server.close();
    if (linked && ::rename(kept.constData(), path.constData()) != 0)
        ::unlink(kept.constData());
}

void HelperServer::setSocketOptions(QLocalServer::SocketOptions options)
{
    m_server.setSocketOptions(options);
}

bool HelperServer::listen(const QString &path, QString *error)
{
    if (const std::optional<QString> pathError = HelperProtocol::socketPathError(path)) {
        *error = *pathError;
        return false;
    }
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) {
        *error = QStringLiteral("another helper already answers on %1").arg(path);
        return false;
    }
    QLocalServer::removeServer(path);
    if (!m_server.listen(path)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

bool HelperServer::listenOnDescriptor(qintptr descriptor, QString *error)
{
    if (!m_server.listen(descriptor)) {
        *error = m_server.errorString();
        return false;
    }
    m_activated = true;
    return true;
}

void HelperServer::acceptPending()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        const qint64 uid = HelperProtocol::peerUid(socket->socketDescriptor());
        if (!HelperProtocol::helperAcceptsPeer(uid)) {
            qCWarning(lcHelper).noquote() << "refused a connection from uid" << uid;
            Q_EMIT peerRefused(uid);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_clients >= kMaxClients) {
            qCWarning(lcHelper).noquote() << "refused a connection: too many clients";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_clients;
        m_callers.insert(socket, ++m_lastCaller);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { clientEnded(socket); });
        readFrom(socket);
    }
}

void HelperServer::readFrom(QLocalSocket *socket)
{
    if (!m_serving)
        return;
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    buffer += socket->readAll();
    QByteArrayList &queue = m_queues[socket];
    const bool wasWaiting = !queue.isEmpty();
    qsizetype newline;
    while ((newline = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(newline);
        buffer.remove(0, newline + 1);
        if (line.size() > kMaxLineLength) {
            dropClient(socket, QStringLiteral("request too long"));
            return;
        }
        if (line.trimmed().isEmpty())
            continue;
        if (queue.size() >= kMaxQueuedRequests) {
            // Every other client, and the way out, would wait behind this one.
            dropClient(socket, QStringLiteral("too many requests waiting"));
            return;
        }
        queue.append(line);
    }
    if (buffer.size() > kMaxLineLength) {
        // No end of line in sight: answer once and drop the peer instead of buffering on.
        dropClient(socket, QStringLiteral("request too long"));
        return;
    }
    socket->setProperty(kBufferProperty, buffer);
    if (!queue.isEmpty() && !wasWaiting)
        m_turns.append(socket);
    scheduleAnswer();
}

void HelperServer::clientEnded(QLocalSocket *socket)
{
    --m_clients;
    // What it still asked for is dropped: a client that is gone wants nothing applied any more.
    m_queues.remove(socket);
    const quint64 caller = m_callers.take(socket);
    socket->deleteLater();
    if (!m_serving)
        return;
    const QString error = m_service.callerEnded(caller);
    if (!error.isEmpty())
        qCWarning(lcHelper).noquote() << "could not restore the proxy settings at a client's end:" << error;
}

void HelperServer::dropClient(QLocalSocket *socket, const QString &reason)
{
    m_queues.remove(socket);
    socket->setProperty(kBufferProperty, QByteArray());
    send(socket, errorReply(QJsonValue::Null, reason));
    socket->disconnectFromServer();
}

void HelperServer::scheduleAnswer()
{
    if (m_answerScheduled || m_turns.isEmpty() || !m_serving)
        return;
    m_answerScheduled = true;
    QMetaObject::invokeMethod(this, &HelperServer::answerNext, Qt::QueuedConnection);
}

void HelperServer::answerNext()
{
    m_answerScheduled = false;
    while (!m_turns.isEmpty() && m_serving) {
        const QPointer<QLocalSocket> socket = m_turns.takeFirst();
        if (!socket || socket->state() != QLocalSocket::ConnectedState)
            continue;
        auto queue = m_queues.find(socket.data());
        if (queue == m_queues.end() || queue->isEmpty())
            continue;
        const QByteArray line = queue->takeFirst();
        if (!queue->isEmpty())
            m_turns.append(socket);
        handleLine(socket.data(), line);
        break;
    }
    scheduleAnswer();
}

void HelperServer::stopServing()
{
    m_serving = false;
    m_queues.clear();
    m_turns.clear();
}

void HelperServer::handleLine(QLocalSocket *socket, const QByteArray &line)
{
    const std::optional<QJsonObject> reply = replyTo(line, m_callers.value(socket));
    if (reply)
        send(socket, *reply);
}

std::optional<QJsonObject> HelperServer::replyTo(const QByteArray &line, quint64 caller)
{
    const std::optional<HelperProtocol::Request> request = HelperProtocol::parseRequest(line);
    if (!request)
        return std::nullopt;
    if (!request->error.isEmpty())
        return errorReply(request->id, request->error);
    if (HelperValidation::hasControlCharacter(request->params))
        return errorReply(request->id, QStringLiteral("arguments must not hold control characters"));
    const ProxyConfigService::Reply reply = m_service.call(request->method, request->params, caller);
    if (!reply.error.isEmpty()) {
        qCWarning(lcHelper).noquote() << request->method << "failed:" << reply.error;
        QJsonObject answer = errorReply(request->id, reply.error);
        if (reply.restoreWaits)
            answer.insert(HelperProtocol::kRestoreWaits, true);
        return answer;
    }
    return QJsonObject{{QStringLiteral("id"), request->id}, {QStringLiteral("result"), reply.result}};
}

void HelperServer::send(QLocalSocket *socket, const QJsonObject &reply)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    if (socket->bytesToWrite() > kMaxPendingOutput) {
        // A peer that sends but never reads would grow our memory without end.
        socket->abort();
        return;
    }
    socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
}

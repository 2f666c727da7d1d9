#include "helper/HelperServer.h"

#include "helper/ProxyConfigService.h"

#include <QDebug>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <sys/socket.h>
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

QString HelperServer::defaultSocketPath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        return QDir::tempPath() + QStringLiteral("/ostrel-helper-%1.sock").arg(::geteuid());
    return folder + QStringLiteral("/ostrel-helper.sock");
}

void HelperServer::setSocketOptions(QLocalServer::SocketOptions options)
{
    m_server.setSocketOptions(options);
}

bool HelperServer::listen(const QString &path, QString *error)
{
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
    return true;
}

qint64 HelperServer::peerUid(qintptr descriptor)
{
    struct ucred credentials = {};
    socklen_t length = sizeof(credentials);
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return -1;
    return credentials.uid;
}

void HelperServer::acceptPending()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        const qint64 uid = peerUid(socket->socketDescriptor());
        if (uid != static_cast<qint64>(::geteuid())) {
            qWarning().noquote() << "refused a connection from uid" << uid;
            Q_EMIT peerRefused(uid);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_clients >= kMaxClients) {
            qWarning().noquote() << "refused a connection: too many clients";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_clients;
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            --m_clients;
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void HelperServer::readFrom(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    buffer += socket->readAll();
    qsizetype newline;
    while ((newline = buffer.indexOf('\n')) >= 0 && socket->state() == QLocalSocket::ConnectedState) {
        const QByteArray line = buffer.left(newline);
        buffer.remove(0, newline + 1);
        if (line.size() > kMaxLineLength) {
            buffer.clear();
            send(socket, errorReply(QJsonValue::Null, QStringLiteral("request too long")));
            socket->disconnectFromServer();
            return;
        }
        handleLine(socket, line);
    }
    if (buffer.size() > kMaxLineLength) {
        // No end of line in sight: answer once and drop the peer instead of buffering on.
        buffer.clear();
        send(socket, errorReply(QJsonValue::Null, QStringLiteral("request too long")));
        socket->disconnectFromServer();
    }
    socket->setProperty(kBufferProperty, buffer);
}

void HelperServer::handleLine(QLocalSocket *socket, const QByteArray &line)
{
    if (line.trimmed().isEmpty())
        return;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (!document.isObject()) {
        send(socket, errorReply(QJsonValue::Null, QStringLiteral("malformed request")));
        return;
    }
    const QJsonObject request = document.object();
    QJsonValue id = request.value(QStringLiteral("id"));
    if (!id.isDouble() && !id.isString())
        id = QJsonValue::Null;
    const QJsonValue method = request.value(QStringLiteral("method"));
    const QJsonValue params = request.value(QStringLiteral("params"));
    if (!method.isString() || !(params.isUndefined() || params.isObject())) {
        send(socket, errorReply(id, QStringLiteral("malformed request")));
        return;
    }
    const ProxyConfigService::Reply reply = m_service.call(method.toString(), params.toObject());
    if (!reply.error.isEmpty()) {
        qWarning().noquote() << method.toString() << "failed:" << reply.error;
        send(socket, errorReply(id, reply.error));
        return;
    }
    send(socket, {{QStringLiteral("id"), id}, {QStringLiteral("result"), reply.result}});
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

#include "vpn/HelperClient.h"

#include "common/DetachedProcess.h"
#include "common/GuiThread.h"
#include "common/HelperProtocol.h"
#include "common/Logger.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>


namespace {

constexpr qint64 kMaxReplyLine = 1024 * 1024;
constexpr int kRetryIntervalMs = 100;

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

// A reply's "error" member: the helper's own refusal, or a restore it goes on with by itself, or
// nothing (an empty text included). One we cannot read is still the helper's answer.
std::optional<HelperError> refusalIn(const QJsonObject &reply)
{
    const QJsonValue error = reply.value(QStringLiteral("error"));
    if (error.isUndefined() || error.isNull() || (error.isString() && error.toString().isEmpty()))
        return std::nullopt;
    const QString text = error.isString() ? error.toString() : QStringLiteral("malformed helper reply");
    if (reply.value(HelperProtocol::kRestoreWaits).toBool())
        return HelperError::restoreWaits(text);
    return HelperError::refused(text);
}

// The keys the helper reports as the user's, for the log: joined, at most so many and so long each
// (the reply comes from another process; the log escapes what it cannot show on one line).
QString keptKeys(const QJsonArray &keys)
{
    constexpr qsizetype kMostKeysNamed = 16;
    constexpr qsizetype kLongestKeyName = 64;
    QStringList names;
    for (const QJsonValue &key : keys) {
        if (names.size() == kMostKeysNamed) {
            names << QStringLiteral("and %1 more").arg(keys.size() - kMostKeysNamed);
            break;
        }
        names << key.toString().left(kLongestKeyName);
    }
    return names.join(QStringLiteral(", "));
}

// The file log's line for a disable the helper answered without an error. A helper of this
// version says how it ended ("outcome"); one of the version before names only the keys it left as
// the user set them; an older one answers null, which says no more than that it confirmed.
QString restoreLine(const QJsonValue &result)
{
    if (result.isNull() || result.isUndefined())
        return QStringLiteral("the helper confirmed the restore of the desktop proxy");
    const QJsonObject answer = result.toObject();
    const QJsonArray kept = answer.value(QStringLiteral("usersOwnKept")).toArray();
    const QString outcome = answer.value(QStringLiteral("outcome")).toString();
    if (outcome == QLatin1String("nothingSaved"))
        return QStringLiteral("the desktop proxy held nothing of the client's; nothing to restore");
    if (outcome == QLatin1String("copyLost"))
        return QStringLiteral("the helper lost its copy of the user's proxy setting; where the desktop proxy named the "
                              "client's listener it is set to no proxy");
    if (!kept.isEmpty())
        return QStringLiteral("the desktop proxy is back; the user's own change stays: ") + keptKeys(kept);
    if (outcome == QLatin1String("whole") || (outcome.isEmpty() && answer.value(QStringLiteral("usersOwnKept")).isArray()))
        return QStringLiteral("the desktop proxy is back as before the connect");
    return QStringLiteral("the helper confirmed the restore of the desktop proxy; its answer is unreadable");
}

} // namespace

HelperClient::HelperClient(const Options &options, QObject *parent)
    : ProxyConfigRemoteProcessProtocol(parent)
    , m_options(options)
{
    if (m_options.socketPath.isEmpty())
        m_options.socketPath = defaultSocketPath();
}

HelperClient::~HelperClient()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

QString HelperClient::defaultSocketPath()
{
    return HelperProtocol::defaultSocketPath();
}

// A command's reply carries only its error; a caller may pass none.
HelperClient::RawReply HelperClient::errorOnly(ErrorReply reply)
{
    return [reply = std::move(reply)](const QJsonValue &, const std::optional<HelperError> &error) {
        if (reply)
            reply(error);
    };
}

void HelperClient::getVersion(VersionReply reply)
{
    call(HelperProtocol::kGetVersion, {}, [reply](const QJsonValue &result, const std::optional<HelperError> &error) {
        if (!reply)
            return;
        if (error && !error->isRefusal())
            reply(std::nullopt);
        else
            reply(result.isString() ? result.toString() : QString());
    }, m_options.versionTimeoutMs);
}

void HelperClient::enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                       const std::optional<QString> &dnsServer, bool filterInterface,
                                       const QStringList &ignoreList, ErrorReply reply)
{
    const QJsonObject params = {
        {QStringLiteral("port"), port},
        {QStringLiteral("socksPort"), socksPort},
        {QStringLiteral("pac"), optionalText(pac)},
        {QStringLiteral("dnsServer"), optionalText(dnsServer)},
        {QStringLiteral("filterInterface"), filterInterface},
        {QStringLiteral("ignoreList"), QJsonArray::fromStringList(ignoreList)},
    };
    call(HelperProtocol::kEnableProxy, params, errorOnly(std::move(reply)));
}

void HelperClient::disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply)
{
    // The caller hears only whether it worked; what the helper gave back, and what of the user's it
    // left, is for the log.
    call(HelperProtocol::kDisableProxy, {{QStringLiteral("filterInterface"), filterInterface}},
         [reply = std::move(reply)](const QJsonValue &result, const std::optional<HelperError> &error) {
             if (!error)
                 OSTREL_LOG(Logger::Info, restoreLine(result));
             if (reply)
                 reply(error);
         });
}

void HelperClient::restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                               bool filterInterface, ErrorReply reply)
{
    const QJsonObject params = {
        {QStringLiteral("currentPort"), port},
        {QStringLiteral("socksPort"), socksPort},
        {QStringLiteral("info"), info},
        {QStringLiteral("filterInterface"), filterInterface},
    };
    call(HelperProtocol::kRestoreProxy, params, errorOnly(std::move(reply)));
}

void HelperClient::getCurrentProxySetting(SettingsReply reply)
{
    call(HelperProtocol::kGetCurrentProxySetting, {}, [reply](const QJsonValue &result, const std::optional<HelperError> &error) {
        if (!reply)
            return;
        if (error || !result.isObject())
            reply(std::nullopt);
        else
            reply(result.toObject());
    });
}

void HelperClient::setRestoreOnClientEnd(bool restore, ErrorReply reply)
{
    call(HelperProtocol::kSetRestoreOnClientEnd, {{QStringLiteral("restore"), restore}}, errorOnly(std::move(reply)));
}

void HelperClient::call(const QString &method, const QJsonObject &params, RawReply reply, int timeoutMs)
{
    const qint64 id = m_nextId++;
    const QJsonObject request = {{QStringLiteral("id"), id}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    m_pending[id] = Pending{QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n', std::move(reply), false};
    QTimer::singleShot(timeoutMs > 0 ? timeoutMs : m_options.callTimeoutMs, this, [this, id] { timeOut(id); });
    ensureConnected();
    if (isConnected())
        onConnected();
}

void HelperClient::ensureConnected()
{
    if (!m_socket) {
        m_socket = std::make_unique<QLocalSocket>();
        connect(m_socket.get(), &QLocalSocket::connected, this, &HelperClient::onConnected);
        connect(m_socket.get(), &QLocalSocket::errorOccurred, this, &HelperClient::onError);
        connect(m_socket.get(), &QLocalSocket::readyRead, this, &HelperClient::onReadyRead);
        connect(m_socket.get(), &QLocalSocket::disconnected, this, &HelperClient::onDisconnected);
    }
    if (m_socket->state() == QLocalSocket::UnconnectedState)
        m_socket->connectToServer(m_options.socketPath);
}

void HelperClient::onConnected()
{
    if (!m_socket)
        return;
    if (!HelperProtocol::clientTrustsPeer(HelperProtocol::peerUid(m_socket->socketDescriptor()))) {
        const QList<qint64> ids = pendingIds(false);
        resetSocket();
        // Possibly still inside the caller's call: answer from the event loop.
        GuiThread::post(this, [this, ids] {
            failIds(ids, HelperError::untrusted());
        });
        return;
    }
    m_launchTried = false;
    for (auto &[id, pending] : m_pending) {
        if (pending.sent)
            continue;
        m_socket->write(pending.line);
        pending.sent = true;
    }
}

void HelperClient::onError(QLocalSocket::LocalSocketError error)
{
    if (!m_socket || m_socket->state() == QLocalSocket::ConnectedState)
        return;
    if (error == QLocalSocket::PeerClosedError)
        return; // reported by onDisconnected
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // A helper started for a path no socket can have could not serve it either.
    const std::optional<QString> pathError = HelperProtocol::socketPathError(m_options.socketPath);
    const bool canLaunch = !pathError && !m_options.launchProgram.isEmpty() && !m_launchTried
        && (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError);
    if (canLaunch) {
        m_launchTried = true;
        m_launchDeadline = now + m_options.launchWaitMs;
        const DetachedProcess::Result launched = DetachedProcess::start(m_options.launchProgram, m_options.launchArguments);
        if (launched.ok()) {
            m_launchedPid = launched.pid;
        } else {
            // Nothing will come to serve the socket: no use waiting for it.
            m_launchDeadline = now;
            m_launchError = launched.error;
        }
    }
    if (m_launchTried && now < m_launchDeadline) {
        QTimer::singleShot(kRetryIntervalMs, this, &HelperClient::retryAfterLaunch);
        return;
    }
    const HelperError reason = HelperError::unreachable(
        pathError.value_or(m_launchError.isEmpty() ? m_socket->errorString() : m_launchError));
    m_launchError.clear();
    // Connection errors can surface inside connectToServer(); never answer inside the caller's call.
    GuiThread::post(this, [this, reason, ids = pendingIds(false)] { failIds(ids, reason); });
}

void HelperClient::retryAfterLaunch()
{
    if (m_pending.empty() || !m_socket)
        return;
    ensureConnected();
}

void HelperClient::onReadyRead()
{
    m_buffer += m_socket->readAll();
    // A reply may let its owner drop this client; the rest of the read then answers nobody.
    QPointer<HelperClient> self(this);
    qsizetype newline;
    while (self && (newline = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(newline);
        m_buffer.remove(0, newline + 1);
        const QJsonObject reply = QJsonDocument::fromJson(line).object();
        const QJsonValue id = reply.value(QStringLiteral("id"));
        const std::optional<qint64> number = HelperProtocol::replyId(id);
        if (!number)
            continue;
        finish(*number, reply.value(QStringLiteral("result")), refusalIn(reply));
    }
    if (!self)
        return;
    if (m_buffer.size() > kMaxReplyLine) {
        m_buffer.clear();
        GuiThread::post(this, [this] { invalidate(); });
    }
}

void HelperClient::onDisconnected()
{
    m_buffer.clear();
    GuiThread::post(this, [this, ids = pendingIds(true)] {
        failIds(ids, HelperError::closed());
    });
    Q_EMIT wentAway();
}

void HelperClient::timeOut(qint64 id)
{
    if (m_pending.find(id) == m_pending.end())
        return;
    const HelperError reason = HelperError::noAnswer();
    QPointer<HelperClient> self(this);
    finish(id, QJsonValue::Null, reason);
    if (self && m_failureHandler)
        m_failureHandler(reason.text());
}

QList<qint64> HelperClient::pendingIds(bool sentOnly) const
{
    QList<qint64> ids;
    for (const auto &[id, pending] : m_pending) {
        if (!sentOnly || pending.sent)
            ids.append(id);
    }
    return ids;
}

void HelperClient::failIds(const QList<qint64> &ids, const HelperError &reason)
{
    // Calls made after the failure wait for the next connection; only these fail.
    m_launchTried = false;
    bool any = false;
    // The failure handler or a reply may let the owner drop this client: stop answering then.
    QPointer<HelperClient> self(this);
    for (const qint64 id : ids) {
        if (!self)
            return;
        if (m_pending.find(id) == m_pending.end())
            continue;
        if (!any && m_failureHandler)
            m_failureHandler(reason.text());
        any = true;
        if (self)
            finish(id, QJsonValue::Null, reason);
    }
}

void HelperClient::finish(qint64 id, const QJsonValue &result, const std::optional<HelperError> &error)
{
    const auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    RawReply reply = std::move(it->second.reply);
    m_pending.erase(it);
    if (reply)
        reply(result, error);
}

void HelperClient::resetSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket.release()->deleteLater();
    m_buffer.clear();
}

void HelperClient::invalidate()
{
    const QList<qint64> ids = pendingIds(false);
    resetSocket();
    QPointer<HelperClient> self(this);
    failIds(ids, HelperError::invalidated());
    if (!self)
        return;
    Q_EMIT connectionInvalidated();
    if (self)
        Q_EMIT wentAway();
}

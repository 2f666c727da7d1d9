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

#include <algorithm>

namespace {

constexpr qint64 kMaxReplyLine = 1024 * 1024;
constexpr int kRetryIntervalMs = 100;

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

// A reply's "error" member: the helper's own refusal, or nothing (an empty text included). One we
// cannot read is still the helper's answer.
std::optional<HelperError> refusalIn(const QJsonValue &error)
{
    if (error.isUndefined() || error.isNull() || (error.isString() && error.toString().isEmpty()))
        return std::nullopt;
    return HelperError::refused(error.isString() ? error.toString() : QStringLiteral("malformed helper reply"));
}

// A key name the helper reports is shown in the log as it stands only when it is a short plain text:
// the reply comes from another process, and the log is read by people.
bool isPlainKeyName(const QJsonValue &value)
{
    constexpr qsizetype kLongestKeyName = 40;
    if (!value.isString())
        return false;
    const QString name = value.toString();
    if (name.isEmpty() || name.size() > kLongestKeyName)
        return false;
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
            || c == u'_' || c == u'.' || c == u' ';
    });
}

// The file log's line for a restore the helper confirmed: its result is null when every saved key
// came back (an older helper always answers so), or names the keys the user changed since the
// enable, which stay as the user set them.
QString restoreLine(const QJsonValue &result)
{
    constexpr qsizetype kMostKeysNamed = 16;
    const QJsonValue kept = result.isObject() ? result.toObject().value(QStringLiteral("usersOwnKept")) : QJsonValue();
    if (result.isNull() || result.isUndefined() || (kept.isArray() && kept.toArray().isEmpty()))
        return QStringLiteral("the desktop proxy is back as before the connect");
    if (!kept.isArray())
        return QStringLiteral("the desktop proxy is back; the helper's word on the user's own changes is unreadable");
    const QJsonArray keys = kept.toArray();
    const bool nameable = keys.size() <= kMostKeysNamed && std::all_of(keys.begin(), keys.end(), isPlainKeyName);
    if (!nameable) {
        return QStringLiteral("the desktop proxy is back; the user's own change stays: %1 %2")
            .arg(keys.size())
            .arg(keys.size() == 1 ? QStringLiteral("key") : QStringLiteral("keys"));
    }
    QStringList names;
    for (const QJsonValue &key : keys)
        names << key.toString();
    return QStringLiteral("the desktop proxy is back; the user's own change stays: ") + names.join(QStringLiteral(", "));
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
        finish(*number, reply.value(QStringLiteral("result")), refusalIn(reply.value(QStringLiteral("error"))));
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

#pragma once

#include "vpn/ProxyConfigRemoteProcessProtocol.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QLocalSocket>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

// Speaks the helper daemon's line protocol over its Unix socket: one JSON object per line,
// {"id", "method", "params"} out, {"id", "result"} or {"id", "error"} back.
//
// The connection opens on the first call and again after it drops. When nothing answers on the
// socket and a launch program is set (the installed helper, where no service manager starts it),
// the client starts it detached once and waits for its socket for a short while.
//
// A restore the helper confirms (`disableProxy`) goes into the file log as what it was: the saved
// settings back whole, or the keys the user had changed since the enable, which the helper left.
class HelperClient : public ProxyConfigRemoteProcessProtocol
{
    Q_OBJECT

public:
    struct Options
    {
        QString socketPath;
        int callTimeoutMs = 5000;
        // The version question waits longer: a helper slow to start is not a missing helper
        // (that would mean an administrator prompt to install it again).
        int versionTimeoutMs = 15000;
        QString launchProgram;
        QStringList launchArguments;
        int launchWaitMs = 3000;
    };

    using FailureHandler = std::function<void(const QString &reason)>;

    explicit HelperClient(const Options &options, QObject *parent = nullptr);
    ~HelperClient() override;

    static QString defaultSocketPath();

    void setFailureHandler(FailureHandler handler) { m_failureHandler = std::move(handler); }
    // Drops the connection; calls in flight fail with "helper connection invalidated", and the
    // helper counts as gone (`wentAway`).
    void invalidate();
    qint64 lastLaunchedPid() const { return m_launchedPid; }
    bool isConnected() const { return m_socket && m_socket->state() == QLocalSocket::ConnectedState; }

    void getVersion(VersionReply reply) override;
    void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                             const std::optional<QString> &dnsServer, bool filterInterface,
                             const QStringList &ignoreList, ErrorReply reply) override;
    void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) override;
    void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                     bool filterInterface, ErrorReply reply) override;
    void getCurrentProxySetting(SettingsReply reply) override;
    void setRestoreOnClientEnd(bool restore, ErrorReply reply) override;

    // The result, or why there is none.
    using RawReply = std::function<void(const QJsonValue &result, const std::optional<HelperError> &error)>;
    // `timeoutMs` 0: the options' call time-out.
    void call(const QString &method, const QJsonObject &params, RawReply reply, int timeoutMs = 0);

Q_SIGNALS:
    void connectionInvalidated();

private:
    struct Pending
    {
        QByteArray line;
        RawReply reply;
        bool sent = false;
    };

    void ensureConnected();
    void onConnected();
    void onError(QLocalSocket::LocalSocketError error);
    void onReadyRead();
    void onDisconnected();
    void retryAfterLaunch();
    void timeOut(qint64 id);
    QList<qint64> pendingIds(bool sentOnly) const;
    void failIds(const QList<qint64> &ids, const HelperError &reason);
    void finish(qint64 id, const QJsonValue &result, const std::optional<HelperError> &error);
    void resetSocket();
    static RawReply errorOnly(ErrorReply reply);

    Options m_options;
    std::unique_ptr<QLocalSocket> m_socket;
    QByteArray m_buffer;
    std::map<qint64, Pending> m_pending;
    qint64 m_nextId = 1;
    FailureHandler m_failureHandler;
    bool m_launchTried = false;
    qint64 m_launchDeadline = 0;
    qint64 m_launchedPid = 0;
    QString m_launchError;
};

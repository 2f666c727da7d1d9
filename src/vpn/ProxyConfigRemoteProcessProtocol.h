#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The proxy-settings helper's interface, as the client calls it. Every call gets exactly one
// reply, later, on the caller's (main) thread, so that no road waits forever on a dead helper:
// commands with an error reply get std::nullopt on success, else the reason (including "the
// helper could not be reached" and time-outs); getVersion and getCurrentProxySetting get nothing
// when the helper could not be asked or did not answer in time.
class ProxyConfigRemoteProcessProtocol
{
public:
    // The version text (empty when the helper answered without one); nothing on a transport
    // failure or time-out.
    using VersionReply = std::function<void(const std::optional<QString> &version)>;
    using ErrorReply = std::function<void(const std::optional<QString> &error)>;
    using SettingsReply = std::function<void(const std::optional<QJsonObject> &settings)>;

    virtual ~ProxyConfigRemoteProcessProtocol() = default;

    // The failures of the way to the helper, as opposed to its refusals (an error it answered
    // with): a command that met one may have been carried out, may still be, or never left.
    // Every such failure a command gets is one of these.
    static QString noAnswerError() { return QStringLiteral("the helper did not answer in time"); }
    static QString closedError() { return QStringLiteral("the helper closed the connection"); }
    static QString invalidatedError() { return QStringLiteral("helper connection invalidated"); }
    static QString untrustedError() { return QStringLiteral("the helper socket belongs to another user"); }
    static QString unreachableError(const QString &detail)
    {
        return QStringLiteral("the helper could not be reached: ") + detail;
    }
    // Only the helper's own answer says for sure that it left things as they were.
    static bool isRefusal(const QString &error)
    {
        return error != noAnswerError() && error != closedError() && error != invalidatedError()
            && error != untrustedError() && !error.startsWith(unreachableError(QString()));
    }

    virtual void getVersion(VersionReply reply) = 0;
    virtual void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                     const std::optional<QString> &dnsServer, bool filterInterface,
                                     const QStringList &ignoreList, ErrorReply reply) = 0;
    virtual void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) = 0;
    virtual void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                             bool filterInterface, ErrorReply reply) = 0;
    virtual void getCurrentProxySetting(SettingsReply reply) = 0;
};

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

    // The errors of a command that went out and got no answer: unlike a refusal, the helper may
    // have carried it out, or may still.
    static QString noAnswerError() { return QStringLiteral("the helper did not answer in time"); }
    static QString closedError() { return QStringLiteral("the helper closed the connection"); }
    static bool mayHaveApplied(const QString &error) { return error == noAnswerError() || error == closedError(); }

    virtual void getVersion(VersionReply reply) = 0;
    virtual void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                     const std::optional<QString> &dnsServer, bool filterInterface,
                                     const QStringList &ignoreList, ErrorReply reply) = 0;
    virtual void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) = 0;
    virtual void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                             bool filterInterface, ErrorReply reply) = 0;
    virtual void getCurrentProxySetting(SettingsReply reply) = 0;
};

#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The proxy-settings helper's interface, as the client calls it. Replies arrive later on the
// caller's (main) thread.
//
// Commands with an error reply always get exactly one reply: std::nullopt on success, else the
// reason, including "the helper could not be reached" and time-outs, so that no road waits
// forever on a dead helper. getVersion and getCurrentProxySetting have no error channel: on a
// transport failure their reply is not called and the connection's failure handler runs instead.
class ProxyConfigRemoteProcessProtocol
{
public:
    using VersionReply = std::function<void(const QString &version)>;
    using ErrorReply = std::function<void(const std::optional<QString> &error)>;
    using SettingsReply = std::function<void(const QJsonObject &settings)>;

    virtual ~ProxyConfigRemoteProcessProtocol() = default;

    virtual void getVersion(VersionReply reply) = 0;
    virtual void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                     const std::optional<QString> &dnsServer, bool filterInterface,
                                     const QStringList &ignoreList, ErrorReply reply) = 0;
    virtual void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) = 0;
    virtual void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                             bool filterInterface, ErrorReply reply) = 0;
    virtual void getCurrentProxySetting(SettingsReply reply) = 0;
};

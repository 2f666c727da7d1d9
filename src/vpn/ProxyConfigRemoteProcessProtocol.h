#pragma once

#include "vpn/HelperError.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The proxy-settings helper's interface, as the client calls it. Every call gets exactly one
// reply, later, on the caller's (main) thread, so that no road waits forever on a dead helper:
// commands with an error reply get std::nullopt on success, else a HelperError whose kind says
// whether the helper refused or the way to it failed; getVersion and getCurrentProxySetting get
// nothing when the helper could not be asked or did not answer in time.
class ProxyConfigRemoteProcessProtocol : public QObject
{
    Q_OBJECT
public:
    // The version text (empty when the helper answered without one); nothing on a transport
    // failure or time-out.
    using VersionReply = std::function<void(const std::optional<QString> &version)>;
    using ErrorReply = std::function<void(const std::optional<HelperError> &error)>;
    using SettingsReply = std::function<void(const std::optional<QJsonObject> &settings)>;

    explicit ProxyConfigRemoteProcessProtocol(QObject *parent = nullptr) : QObject(parent) {}
    ~ProxyConfigRemoteProcessProtocol() override = default;

    virtual void getVersion(VersionReply reply) = 0;
    virtual void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                     const std::optional<QString> &dnsServer, bool filterInterface,
                                     const QStringList &ignoreList, ErrorReply reply) = 0;
    virtual void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) = 0;
    virtual void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                             bool filterInterface, ErrorReply reply) = 0;
    virtual void getCurrentProxySetting(SettingsReply reply) = 0;
    // Whether the helper is to give the user's settings back by itself when this client's
    // connection ends (the client killed or crashed) while an enable sent on it is in place: the
    // kill switch off. Until told, it keeps them, as for a client of an older version; a helper
    // of an older version refuses the call and keeps them too.
    virtual void setRestoreOnClientEnd(bool restore, ErrorReply reply) = 0;

Q_SIGNALS:
    // The helper this connection reached is gone: it closed the connection (it ended, as when a
    // new install replaces it) or the connection was dropped. A helper puts the user's proxy
    // settings back as it ends, so whatever it applied for us no longer holds. The calls the loss
    // failed may be answered before or after this. A wrapper that passes the calls on to another
    // helper passes this on too: the switchboard hears the loss only from the helper it calls.
    void wentAway();
};

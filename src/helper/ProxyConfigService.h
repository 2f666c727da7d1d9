#pragma once

#include "helper/ProxyBackend.h"
#include "helper/RestorePlan.h"
#include "helper/SavedProxyState.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

// The methods of ProxyConfigRemoteProcessProtocol on one backend. Arguments arrive as JSON from
// an untrusted peer and are validated here before anything is read or written.
//
// Every restore of the user's saved settings (a disable, a client's end, the helper's start and
// end) gives them back key by key: what the desktop still shows as the last enable set it gets
// the saved value back, a setting the user made since is theirs to keep (RestorePlan). No copy
// ever holds the client's own listener as the user's setting.
//
// It also remembers whose enable the desktop shows: a client that dies while connected (killed,
// crashed) cannot ask for the user's settings back, so when its connection ends, the helper gives
// them back itself if that client asked for it (its kill switch off). A client with the kill
// switch on asks not to: its dead listener then keeps the desktop's traffic from leaving
// unproxied, until a disable, the helper's end or its next start.
class ProxyConfigService
{
public:
    struct Reply
    {
        QJsonValue result;
        QString error; // empty on success
    };

    // A connection as the server numbers them; 0 is a caller outside any connection, whose end
    // is never reported.
    using Caller = quint64;

    ProxyConfigService(ProxyBackend &backend, SavedProxyState &state, const QString &version);

    Reply call(const QString &method, const QJsonObject &params, Caller caller = 0);
    // The connection `caller` ended. When the desktop shows its enable and it asked for that, the
    // user's settings go back now, as a disable would give them (not over a change the user made
    // since). Empty on success, and when nothing was to be done.
    QString callerEnded(Caller caller);

    QString version() const { return m_version; }
    QString enableProxy(int port, int socksPort, const QString &pac, const QString &dnsServer,
                        bool filterInterface, const QStringList &ignoreList);
    // Empty on success; `usersOwnKeys` (when given) receives the keys left as the user set them.
    QString disableProxy(bool filterInterface, QStringList *usersOwnKeys = nullptr);
    QString restoreProxy(int currentPort, int socksPort, const QJsonObject &info, bool filterInterface);
    std::optional<QJsonObject> currentProxySetting(QString *error);

    // Puts back settings left saved by an earlier run that ended without restoring them.
    QString restoreLeftover();

private:
    // The client's listener as an enable names it.
    struct Listener
    {
        int port = 0;
        int socksPort = 0;
        QString pac;
    };
    struct Restore
    {
        QString error;            // empty on success; the saved copy then stays for another try
        QStringList usersOwnKeys; // left as the user changed them since the enable
    };

    Reply callEnable(const QJsonObject &params, Caller caller);
    Reply callDisable(const QJsonObject &params);
    Reply callRestore(const QJsonObject &params);
    Reply callSetRestoreOnClientEnd(const QJsonObject &params, Caller caller);
    QString keepUsersSettingsBeforeEnable(const Listener &listener);
    QString saveCopy(const QJsonObject &snapshot, const Listener &listener);
    void recordApplied();
    Restore restoreSaved();
    RestorePlan planRestore(const SavedProxyState::Entry &saved);
    void forgetEnable();

    ProxyBackend &m_backend;
    SavedProxyState &m_state;
    QString m_version;
    QString m_dnsServer; // reported only: desktop proxy stores have no DNS setting
    Caller m_enabledBy = 0;         // whose enable the desktop proxy shows; 0 when none of a live connection
    QSet<Caller> m_restoreOnEnd;    // live connections that asked for the user's settings back at their end
};

#pragma once

#include "helper/ProxyBackend.h"
#include "helper/SavedProxyState.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// The methods of ProxyConfigRemoteProcessProtocol on one backend. Arguments arrive as JSON from
// an untrusted peer and are validated here before anything is read or written.
class ProxyConfigService
{
public:
    struct Reply
    {
        QJsonValue result;
        QString error; // empty on success
    };

    ProxyConfigService(ProxyBackend &backend, SavedProxyState &state, const QString &version);

    Reply call(const QString &method, const QJsonObject &params);

    QString version() const { return m_version; }
    QString enableProxy(int port, int socksPort, const QString &pac, const QString &dnsServer,
                        bool filterInterface, const QStringList &ignoreList);
    QString disableProxy(bool filterInterface);
    QString restoreProxy(int currentPort, int socksPort, const QJsonObject &info, bool filterInterface);
    std::optional<QJsonObject> currentProxySetting(QString *error);

    // Puts back settings left saved by an earlier run that ended without restoring them.
    QString restoreLeftover();

private:
    Reply callEnable(const QJsonObject &params);
    Reply callRestore(const QJsonObject &params);
    QString saveUserSettingsOnce();
    QString restoreSaved();

    ProxyBackend &m_backend;
    SavedProxyState &m_state;
    QString m_version;
    QString m_dnsServer; // reported only: desktop proxy stores have no DNS setting
};

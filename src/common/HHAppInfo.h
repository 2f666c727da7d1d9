#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

// The app-identity record merged into every request and analytics event, and sent to pages.
// Its JSON has exactly seventeen keys; see toJson().
class HHAppInfo
{
public:
    QJsonObject toJson() const;

    QString deviceUuid;           // "device_uuid": the primary interface's MAC address
    QString uuid;                 // "uuid": the same
    QString vpnKey;               // "vpn_key": the fixed key
    QString projectName;          // "project_name": the code word
    QString agentId;              // "agent_id"
    QString appChannel;           // "app_channel"
    QString platform;             // "platform"
    QString deviceOs;             // "device_os"
    QString appVersionNumber;     // "app_version_number": the real version
    QString appVersion;           // "app_version": the code word, as the service expects
    QString appName;              // "app_name": the code word
    QString deviceModel;          // "device_model"
    QString deviceBundle;         // "device_bundle"
    QString innerIp;              // "inner_ip"
    QString deviceSystemLanguage; // "device_system_language"
    QString apiDomain;            // "apiDomain" and "api_domain"

    // The network layer owns the current API domain; it plugs its answer in here so this layer
    // does not depend on it. Without a provider the domain is empty.
    static void setApiDomainProvider(std::function<QString()> provider);
    static QString currentApiDomain();
};

// A new record on every call, from the device facts and the protocol configuration.
HHAppInfo makeAppInfo();

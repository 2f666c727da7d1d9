#pragma once

#include "vpn/EngineConfigWriter.h"
#include "vpn/HLLNode.h"
#include "vpn/ProxyStatus.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One connection as the service grants it. The connect road sets the plain fields it works out
// itself, then fills the record from the response's "data"; the fill writes the engine files from
// it ("sslocal.conf", then "singbox.json"). The record is not kept; the two files are what
// outlives it.
class HLLConnection
{
public:
    enum class ConnectionStatus : int { Status0 = 0, Status1 = 1, Status2 = 2 };
    static std::optional<ConnectionStatus> connectionStatusFromRawValue(int rawValue);

    std::optional<QString> sessionId;
    std::optional<QString> aclPath;
    std::optional<QString> local_dns;
    std::optional<QString> remote_dns;
    std::optional<QString> userId;
    std::optional<QString> proxy_session_token;
    QStringList ipList;
    QStringList domainList;
    QList<HLLNode> node_list;
    ProxyStatus proxystatus = ProxyStatus::otd;
    std::optional<QString> cdn_setting;
    std::optional<QJsonObject> config;

    // What the writers read from the rest of the program. The connect road sets them once per
    // connect, so the files and the engines it starts agree even when a setting changes
    // meanwhile; unset, they are read when the files are written.
    std::optional<bool> tunOn;             // else isTunStateOn()
    std::optional<bool> globalMode;        // else isProxyModeOn()
    std::optional<QString> currentDomain;  // else the network layer's current API domain

    struct FilesResult
    {
        bool ok = true;   // both files written
        QString error;    // the first failure
    };

    // The fill: takes "node_list" (a list of dictionaries, appended as nodes), "cdn_setting" and
    // "config"; every other key is ignored. Then writes both engine files from the record
    // (writeEngineFiles), so every fill leaves files that match it, whatever the dictionary held.
    FilesResult setValuesForKeysWithDictionary(const QJsonObject &dictionary);
    void setValueForKey(const QString &key, const QJsonValue &value);
    // Writes both engine files from the record as it stands ("sslocal.conf" first: "singbox.json"
    // reads the ipList it extends), the second even when the first failed.
    FilesResult writeEngineFiles();

    // The "sslocal.conf" content; appends the written server addresses to ipList.
    QJsonObject sslocalConfig();
    // Builds the content, keeps it in `config`, writes the file.
    EngineConfigWriter::Result writeSSLocalConfig();

    QJsonObject singBoxConfig() const;
    QJsonObject singBoxBaseSections() const;
    QJsonObject dnsSection() const;
    QJsonObject routeSection() const;
    // Replaces domainList (fixed API hosts + the current domain's host), builds, writes.
    EngineConfigWriter::Result writeSingBoxConfig();

    static QString sslocalConfigPath();
    static QString singBoxConfigPath();
    // The service's fixed API host names, from the protocol configuration ("hosts.defaults").
    static QStringList fixedApiHosts();

private:
    bool effectiveTunOn() const;
    bool effectiveGlobalMode() const;
    QString effectiveCurrentDomain() const;
};

#pragma once

#include "vpn/DnsServers.h"
#include "vpn/ProxyStatus.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Builds the content of "singbox.json". Pure: everything it reads comes in through Inputs.
class SingBoxConfigBuilder
{
public:
    struct Inputs
    {
        bool globalMode = true;
        ProxyStatus status = ProxyStatus::otd;
        QString localDns = DnsServers::kPublic;
        // Host names that bypass the relay and resolve locally (the service's API hosts).
        QStringList domainList;
        // Relay server addresses as "sslocal.conf" lists them; addresses and host names mixed.
        QStringList ipList;
        QString geoipPath;
        QString geositePath;
    };

    static QJsonObject build(const Inputs &inputs);
    // "log", "inbounds" and "outbounds": the same for every connection.
    static QJsonObject baseSections();
    static QJsonObject dnsSection(const Inputs &inputs);
    static QJsonObject routeSection(const Inputs &inputs);

    // The fixed API host names followed by the host of `currentDomain` (a URL text) when that
    // host is not empty and not listed yet.
    static QStringList domainListFor(const QStringList &fixedHosts, const QString &currentDomain);

    // The rule's "ip_cidr" accepts only addresses and prefixes: relay addresses that are host
    // names go to "domain" instead (and resolve locally, not through the relay they lead to).
    static bool isIpAddressOrPrefix(const QString &text);
    static QStringList addressesOnly(const QStringList &ipList);
    static QStringList hostNamesOnly(const QStringList &ipList);
};

#include "vpn/SingBoxConfigBuilder.h"

#include "networking/LocalListeners.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QUrl>

namespace {

QJsonArray toArray(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

// "local" answers for domestic names only in smart mode on a line whose exit is domestic.
bool exitIsDomesticSmart(const SingBoxConfigBuilder::Inputs &inputs)
{
    return !inputs.globalMode && inputs.status == ProxyStatus::dto;
}

QStringList localDomains(const SingBoxConfigBuilder::Inputs &inputs)
{
    QStringList domains = inputs.domainList;
    for (const QString &host : SingBoxConfigBuilder::hostNamesOnly(inputs.ipList)) {
        if (!domains.contains(host))
            domains.append(host);
    }
    return domains;
}

} // namespace

bool SingBoxConfigBuilder::isIpAddressOrPrefix(const QString &text)
{
    QHostAddress address;
    if (address.setAddress(text))
        return true;
    const auto subnet = QHostAddress::parseSubnet(text);
    return !subnet.first.isNull() && text.contains(QLatin1Char('/'));
}

QStringList SingBoxConfigBuilder::addressesOnly(const QStringList &ipList)
{
    QStringList result;
    for (const QString &entry : ipList) {
        if (isIpAddressOrPrefix(entry))
            result.append(entry);
    }
    return result;
}

QStringList SingBoxConfigBuilder::hostNamesOnly(const QStringList &ipList)
{
    QStringList result;
    for (const QString &entry : ipList) {
        if (!entry.isEmpty() && !isIpAddressOrPrefix(entry))
            result.append(entry);
    }
    return result;
}

QStringList SingBoxConfigBuilder::domainListFor(const QStringList &fixedHosts, const QString &currentDomain)
{
    QStringList list = fixedHosts;
    const QUrl url(currentDomain, QUrl::StrictMode);
    const QString host = url.isValid() ? url.host() : QString();
    if (!host.isEmpty() && !list.contains(host))
        list.append(host);
    return list;
}

QJsonObject SingBoxConfigBuilder::baseSections()
{
    const QJsonObject log{
        {QStringLiteral("disabled"), false},
        {QStringLiteral("level"), QStringLiteral("info")},
        {QStringLiteral("timestamp"), true},
    };
    const QJsonArray inbounds{QJsonObject{
        {QStringLiteral("type"), QStringLiteral("tun")},
        {QStringLiteral("tag"), QStringLiteral("tun-in")},
        {QStringLiteral("inet4_address"), QStringLiteral("172.19.0.1/30")},
        {QStringLiteral("auto_route"), true},
        {QStringLiteral("strict_route"), true},
        {QStringLiteral("sniff"), true},
    }};
    const QJsonArray outbounds{
        QJsonObject{{QStringLiteral("type"), QStringLiteral("socks")},
                    {QStringLiteral("tag"), QStringLiteral("proxy")},
                    {QStringLiteral("server"), QStringLiteral("127.0.0.1")},
                    {QStringLiteral("server_port"), LocalListeners::kSocksPort},
                    {QStringLiteral("version"), QStringLiteral("5")}},
        QJsonObject{{QStringLiteral("type"), QStringLiteral("direct")}, {QStringLiteral("tag"), QStringLiteral("direct")}},
        QJsonObject{{QStringLiteral("type"), QStringLiteral("block")}, {QStringLiteral("tag"), QStringLiteral("block")}},
        QJsonObject{{QStringLiteral("type"), QStringLiteral("dns")}, {QStringLiteral("tag"), QStringLiteral("dns_out")}},
    };
    return QJsonObject{
        {QStringLiteral("log"), log},
        {QStringLiteral("inbounds"), inbounds},
        {QStringLiteral("outbounds"), outbounds},
    };
}

QJsonObject SingBoxConfigBuilder::dnsSection(const Inputs &inputs)
{
    const QJsonArray servers{
        QJsonObject{{QStringLiteral("tag"), QStringLiteral("block")},
                    {QStringLiteral("address"), QStringLiteral("rcode://success")}},
        QJsonObject{{QStringLiteral("tag"), QStringLiteral("local")},
                    {QStringLiteral("address"), inputs.localDns},
                    {QStringLiteral("detour"), QStringLiteral("direct")}},
        QJsonObject{{QStringLiteral("tag"), QStringLiteral("remote")},
                    {QStringLiteral("address"), QStringLiteral("127.0.0.1")},
                    {QStringLiteral("detour"), QStringLiteral("direct")}},
    };
    QJsonArray rules{
        QJsonObject{{QStringLiteral("geosite"), QJsonArray{QStringLiteral("category-ads-all")}},
                    {QStringLiteral("server"), QStringLiteral("block")}},
        QJsonObject{{QStringLiteral("domain"), toArray(localDomains(inputs))},
                    {QStringLiteral("server"), QStringLiteral("local")}},
    };
    if (!inputs.globalMode) {
        const QString server = inputs.status == ProxyStatus::otd ? QStringLiteral("local")
                                                                 : QStringLiteral("remote");
        rules.append(QJsonObject{{QStringLiteral("geosite"), QJsonArray{QStringLiteral("cn")}},
                                 {QStringLiteral("server"), server}});
    }
    return QJsonObject{
        {QStringLiteral("servers"), servers},
        {QStringLiteral("rules"), rules},
        {QStringLiteral("strategy"), QStringLiteral("ipv4_only")},
        {QStringLiteral("disable_cache"), false},
        {QStringLiteral("independent_cache"), true},
        {QStringLiteral("final"), exitIsDomesticSmart(inputs) ? QStringLiteral("local") : QStringLiteral("remote")},
    };
}

QJsonObject SingBoxConfigBuilder::routeSection(const Inputs &inputs)
{
    QJsonObject bypass{
        {QStringLiteral("domain"), toArray(localDomains(inputs))},
        {QStringLiteral("outbound"), QStringLiteral("direct")},
    };
    const QStringList addresses = addressesOnly(inputs.ipList);
    if (!addresses.isEmpty())
        bypass.insert(QStringLiteral("ip_cidr"), toArray(addresses));

    QJsonArray rules{
        QJsonObject{{QStringLiteral("protocol"), QJsonArray{QStringLiteral("dns")}},
                    {QStringLiteral("outbound"), QStringLiteral("dns_out")}},
        QJsonObject{{QStringLiteral("geosite"), QStringLiteral("category-ads-all")},
                    {QStringLiteral("outbound"), QStringLiteral("block")}},
        bypass,
    };
    if (!inputs.globalMode && inputs.status == ProxyStatus::otd) {
        rules.append(QJsonObject{{QStringLiteral("geoip"), QJsonArray{QStringLiteral("private"), QStringLiteral("cn")}},
                                 {QStringLiteral("geosite"), QStringLiteral("cn")},
                                 {QStringLiteral("outbound"), QStringLiteral("direct")}});
    } else if (!inputs.globalMode) {
        rules.append(QJsonObject{{QStringLiteral("geoip"), QJsonArray{QStringLiteral("private")}},
                                 {QStringLiteral("outbound"), QStringLiteral("direct")}});
        rules.append(QJsonObject{{QStringLiteral("geoip"), QJsonArray{QStringLiteral("cn")}},
                                 {QStringLiteral("geosite"), QStringLiteral("cn")},
                                 {QStringLiteral("outbound"), QStringLiteral("proxy")}});
    }
    return QJsonObject{
        {QStringLiteral("rules"), rules},
        {QStringLiteral("final"), exitIsDomesticSmart(inputs) ? QStringLiteral("direct") : QStringLiteral("proxy")},
        {QStringLiteral("auto_detect_interface"), true},
        {QStringLiteral("geoip"), QJsonObject{{QStringLiteral("path"), inputs.geoipPath}}},
        {QStringLiteral("geosite"), QJsonObject{{QStringLiteral("path"), inputs.geositePath}}},
    };
}

QJsonObject SingBoxConfigBuilder::build(const Inputs &inputs)
{
    QJsonObject config = baseSections();
    config.insert(QStringLiteral("dns"), dnsSection(inputs));
    config.insert(QStringLiteral("route"), routeSection(inputs));
    return config;
}

#include "vpn/SSLocalConfigBuilder.h"

#include "vpn/DnsServers.h"
#include "vpn/HLLConnection.h"
#include "vpn/HLLNode.h"

#include <QJsonArray>

#include <algorithm>

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");
const QString kTcpAndUdp = QStringLiteral("tcp_and_udp");

QJsonObject socksListener(bool tunOn, const QString &aclPath)
{
    QJsonObject socks{
        {QStringLiteral("mode"), kTcpAndUdp},
        {QStringLiteral("local_address"), kLoopback},
        {QStringLiteral("local_port"), SSLocalConfigBuilder::kSocksPort},
    };
    // With TUN the routing is sing-box's job, so the list applies only to the plain SOCKS road.
    if (!tunOn)
        socks.insert(QStringLiteral("acl"), aclPath);
    return socks;
}

QJsonObject dnsListener(const QString &localDns)
{
    return QJsonObject{
        {QStringLiteral("protocol"), QStringLiteral("dns")},
        {QStringLiteral("mode"), kTcpAndUdp},
        {QStringLiteral("local_address"), kLoopback},
        {QStringLiteral("local_port"), SSLocalConfigBuilder::kDnsPort},
        {QStringLiteral("local_dns_address"), localDns},
        {QStringLiteral("local_dns_port"), SSLocalConfigBuilder::kDnsPort},
        {QStringLiteral("remote_dns_address"), SSLocalConfigBuilder::remoteDnsHost()},
        {QStringLiteral("remote_dns_port"), SSLocalConfigBuilder::kDnsPort},
    };
}

} // namespace

QString SSLocalConfigBuilder::remoteDnsHost()
{
    return QStringLiteral("dns.google");
}

QString SSLocalConfigBuilder::token(const HLLConnection &connection)
{
    return connection.userId.value_or(QString()) + QLatin1Char('|')
        + connection.sessionId.value_or(QString()) + QLatin1Char('|')
        + connection.proxy_session_token.value_or(QString());
}

std::optional<int> SSLocalConfigBuilder::portNumber(const QString &text)
{
    // A decimal integer: an optional sign, then digits (leading zeros allowed), nothing else.
    const bool signed_ = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'));
    const QStringView digits = QStringView(text).mid(signed_ ? 1 : 0);
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = std::min<qint64>(value * 10 + (c.unicode() - '0'), 1'000'000);
    }
    if (text.startsWith(QLatin1Char('-')))
        value = -value;
    // The engine refuses a whole file over one port it cannot listen to, and every other server
    // with it: such a port is left out like one that is not a number.
    if (value < 1 || value > 65535)
        return std::nullopt;
    return int(value);
}

std::optional<QJsonObject> SSLocalConfigBuilder::serverEntry(const HLLNode &node)
{
    if (node.plugin_status == QStringLiteral("1"))
        return std::nullopt;
    QJsonObject entry;
    if (node.url)
        entry.insert(QStringLiteral("address"), *node.url);
    if (node.port) {
        if (const auto port = portNumber(*node.port))
            entry.insert(QStringLiteral("port"), *port);
    }
    if (node.encrypt_method)
        entry.insert(QStringLiteral("method"), *node.encrypt_method);
    if (node.password)
        entry.insert(QStringLiteral("password"), *node.password);
    return entry;
}

SSLocalConfigBuilder::Result SSLocalConfigBuilder::build(const HLLConnection &connection, bool tunOn)
{
    Result result;
    const QString aclPath = connection.aclPath.value_or(QString());
    const QString localDns = connection.local_dns.value_or(DnsServers::kPublic);

    QJsonArray locals{socksListener(tunOn, aclPath)};
    if (tunOn)
        locals.append(dnsListener(localDns));

    QJsonArray servers;
    for (const HLLNode &node : connection.node_list) {
        const std::optional<QJsonObject> entry = serverEntry(node);
        if (!entry)
            continue;
        if (node.url)
            result.serverAddresses.append(*node.url);
        servers.append(*entry);
    }

    result.config = QJsonObject{
        {QStringLiteral("token"), token(connection)},
        {QStringLiteral("fake_ip"), true},
        {QStringLiteral("locals"), locals},
        {QStringLiteral("balancer"), QJsonObject{{QStringLiteral("max_server_rtt"), 5},
                                                 {QStringLiteral("check_interval"), 20},
                                                 {QStringLiteral("check_best_interval"), 10}}},
        {QStringLiteral("runtime"), QJsonObject{{QStringLiteral("mode"), QStringLiteral("multi_thread")},
                                                {QStringLiteral("worker_count"), 10}}},
        {QStringLiteral("servers"), servers},
    };
    return result;
}

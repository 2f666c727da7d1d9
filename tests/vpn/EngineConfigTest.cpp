#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "vpn/HLLConnection.h"
#include "vpn/ProxyMode.h"
#include "vpn/SSLocalConfigBuilder.h"
#include "vpn/SingBoxConfigBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

QJsonObject parse(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

QJsonObject readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

HLLConnection connectionWithNodes(const char *nodesJson)
{
    HLLConnection connection;
    connection.userId = QStringLiteral("42");
    connection.sessionId = QStringLiteral("sess");
    connection.proxy_session_token = QStringLiteral("tok");
    for (const QJsonValue &node : QJsonDocument::fromJson(QByteArray(nodesJson)).array())
        connection.node_list.append(HLLNode::fromDictionary(node.toObject()));
    return connection;
}

class EngineConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        QDir(AppPaths::dataFolder()).removeRecursively();
    }
};

} // namespace

// --- sslocal.conf ------------------------------------------------------------------------------

TEST_F(EngineConfigTest, SSLocalTopLevelAndListenersWithTunOff)
{
    HLLConnection connection = connectionWithNodes("[]");
    const QJsonObject config = SSLocalConfigBuilder::build(connection, false).config;
    EXPECT_EQ(config.size(), 6);
    EXPECT_EQ(config.value("token").toString(), QStringLiteral("42|sess|tok"));
    EXPECT_TRUE(config.value("fake_ip").toBool());
    EXPECT_EQ(config.value("balancer").toObject(),
              parse(R"({"max_server_rtt":5,"check_interval":20,"check_best_interval":10})"));
    EXPECT_EQ(config.value("runtime").toObject(), parse(R"({"mode":"multi_thread","worker_count":10})"));
    EXPECT_EQ(config.value("servers").toArray(), QJsonArray());

    const QJsonArray locals = config.value("locals").toArray();
    ASSERT_EQ(locals.size(), 1);
    // No list set: the listener still names one, as the empty text.
    EXPECT_EQ(locals.at(0).toObject(),
              parse(R"({"mode":"tcp_and_udp","local_address":"127.0.0.1","local_port":9999,"acl":""})"));

    connection.aclPath = QStringLiteral("/x/gfwlist.acl");
    EXPECT_EQ(SSLocalConfigBuilder::build(connection, false).config.value("locals").toArray().at(0)
                  .toObject().value("acl").toString(),
              QStringLiteral("/x/gfwlist.acl"));
}

TEST_F(EngineConfigTest, SSLocalTunOnAddsDnsListenerAndDropsAcl)
{
    HLLConnection connection = connectionWithNodes("[]");
    connection.aclPath = QStringLiteral("/x/global.acl");
    QJsonArray locals = SSLocalConfigBuilder::build(connection, true).config.value("locals").toArray();
    ASSERT_EQ(locals.size(), 2);
    EXPECT_FALSE(locals.at(0).toObject().contains("acl"));
    EXPECT_FALSE(locals.at(1).toObject().contains("acl"));
    EXPECT_EQ(locals.at(0).toObject(), parse(R"({"mode":"tcp_and_udp","local_address":"127.0.0.1","local_port":9999})"));
    QJsonObject expectedDns = parse(R"({"protocol":"dns","mode":"tcp_and_udp","local_address":"127.0.0.1",
        "local_port":53,"local_dns_address":"8.8.8.8","local_dns_port":53,"remote_dns_port":53})");
    expectedDns.insert("remote_dns_address", SSLocalConfigBuilder::remoteDnsHost());
    EXPECT_EQ(locals.at(1).toObject(), expectedDns);
    EXPECT_FALSE(SSLocalConfigBuilder::remoteDnsHost().isEmpty());

    connection.local_dns = QStringLiteral("223.5.5.5");
    locals = SSLocalConfigBuilder::build(connection, true).config.value("locals").toArray();
    EXPECT_EQ(locals.at(1).toObject().value("local_dns_address").toString(), QStringLiteral("223.5.5.5"));
}

TEST_F(EngineConfigTest, SSLocalServersSkipPluginNodesAndOmitMissingFields)
{
    const HLLConnection connection = connectionWithNodes(R"([
        {"url": "1.2.3.4", "port": "8388", "encrypt_method": "aes-256-gcm", "password": "p1", "plugin_status": "0"},
        {"url": "relay.example.net", "port": "443", "plugin_status": "1"},
        {"url": "5.6.7.8", "port": "abc"},
        {"port": "+80", "password": "p4"},
        {"url": "9.9.9.9", "port": "70000"},
        {"url": "8.8.4.4", "port": "008388"}
    ])");
    const SSLocalConfigBuilder::Result built = SSLocalConfigBuilder::build(connection, false);
    const QJsonArray servers = built.config.value("servers").toArray();
    ASSERT_EQ(servers.size(), 5);
    EXPECT_EQ(servers.at(0).toObject(),
              parse(R"({"address":"1.2.3.4","port":8388,"method":"aes-256-gcm","password":"p1"})"));
    EXPECT_EQ(servers.at(1).toObject(), parse(R"({"address":"5.6.7.8"})"));
    // Signs and leading zeros belong to a decimal integer.
    EXPECT_EQ(servers.at(2).toObject(), parse(R"({"port":80,"password":"p4"})"));
    EXPECT_EQ(servers.at(3).toObject(), parse(R"({"address":"9.9.9.9"})"));
    EXPECT_EQ(servers.at(4).toObject(), parse(R"({"address":"8.8.4.4","port":8388})"));
    // A number no listener can have is left out as the engine would refuse the whole file.
    for (const char *text : {"0", "-80", "70000", "99999999999999999999", "", "+", " 80", "80 ", "0x50", "8e3"})
        EXPECT_FALSE(SSLocalConfigBuilder::portNumber(QString::fromLatin1(text)).has_value()) << text;
    // The plug-in node and the node without url add nothing.
    EXPECT_EQ(built.serverAddresses, (QStringList{"1.2.3.4", "5.6.7.8", "9.9.9.9", "8.8.4.4"}));
}

TEST_F(EngineConfigTest, SSLocalTokenWithEmptyParts)
{
    HLLConnection connection;
    connection.userId = QStringLiteral("0");
    connection.sessionId = QString();
    connection.proxy_session_token = QString();
    EXPECT_EQ(SSLocalConfigBuilder::build(connection, false).config.value("token").toString(), QStringLiteral("0||"));
    // A part the road failed to set is empty text rather than a crash.
    EXPECT_EQ(SSLocalConfigBuilder::token(HLLConnection()), QStringLiteral("||"));
}

// --- singbox.json ------------------------------------------------------------------------------

namespace {

struct ModeCase
{
    bool global;
    ProxyStatus status;
    int dnsRules;
    int routeRules;
    const char *dnsFinal;
    const char *routeFinal;
};

SingBoxConfigBuilder::Inputs inputsFor(const ModeCase &mode)
{
    SingBoxConfigBuilder::Inputs inputs;
    inputs.globalMode = mode.global;
    inputs.status = mode.status;
    inputs.domainList = {QStringLiteral("api.example.com")};
    inputs.ipList = {QStringLiteral("1.2.3.4")};
    return inputs;
}

} // namespace

TEST_F(EngineConfigTest, SingBoxModeAndDirectionMatrix)
{
    const ModeCase cases[] = {
        {true, ProxyStatus::otd, 2, 3, "remote", "proxy"},
        {true, ProxyStatus::dto, 2, 3, "remote", "proxy"},
        {false, ProxyStatus::otd, 3, 4, "remote", "proxy"},
        {false, ProxyStatus::dto, 3, 5, "local", "direct"},
        {false, ProxyStatus::dtd, 3, 5, "remote", "proxy"},
        {false, ProxyStatus::oto, 3, 5, "remote", "proxy"},
    };
    for (const ModeCase &mode : cases) {
        SCOPED_TRACE(testing::Message() << "global " << mode.global << " status " << int(mode.status));
        const QJsonObject config = SingBoxConfigBuilder::build(inputsFor(mode));
        EXPECT_EQ(config.keys(), (QStringList{"dns", "inbounds", "log", "outbounds", "route"}));
        const QJsonObject dns = config.value("dns").toObject();
        const QJsonObject route = config.value("route").toObject();
        const QJsonArray dnsRules = dns.value("rules").toArray();
        const QJsonArray routeRules = route.value("rules").toArray();
        ASSERT_EQ(dnsRules.size(), mode.dnsRules);
        ASSERT_EQ(routeRules.size(), mode.routeRules);
        EXPECT_EQ(dns.value("final").toString(), QLatin1String(mode.dnsFinal));
        EXPECT_EQ(route.value("final").toString(), QLatin1String(mode.routeFinal));

        EXPECT_EQ(dnsRules.at(0).toObject(), parse(R"({"geosite":["category-ads-all"],"server":"block"})"));
        EXPECT_EQ(dnsRules.at(1).toObject(), parse(R"({"domain":["api.example.com"],"server":"local"})"));
        EXPECT_EQ(routeRules.at(0).toObject(), parse(R"({"protocol":["dns"],"outbound":"dns_out"})"));
        // A single text here, not a list.
        EXPECT_EQ(routeRules.at(1).toObject(), parse(R"({"geosite":"category-ads-all","outbound":"block"})"));
        EXPECT_EQ(routeRules.at(2).toObject(),
                  parse(R"({"domain":["api.example.com"],"ip_cidr":["1.2.3.4"],"outbound":"direct"})"));
        if (mode.global)
            continue;
        const char *cnServer = mode.status == ProxyStatus::otd ? "local" : "remote";
        EXPECT_EQ(dnsRules.at(2).toObject().value("server").toString(), QLatin1String(cnServer));
        EXPECT_EQ(dnsRules.at(2).toObject().value("geosite").toArray(), QJsonArray{"cn"});
        if (mode.status == ProxyStatus::otd) {
            EXPECT_EQ(routeRules.at(3).toObject(),
                      parse(R"({"geoip":["private","cn"],"geosite":"cn","outbound":"direct"})"));
        } else {
            EXPECT_EQ(routeRules.at(3).toObject(), parse(R"({"geoip":["private"],"outbound":"direct"})"));
            EXPECT_EQ(routeRules.at(4).toObject(),
                      parse(R"({"geoip":["cn"],"geosite":"cn","outbound":"proxy"})"));
        }
    }
}

TEST_F(EngineConfigTest, SingBoxFixedSections)
{
    SingBoxConfigBuilder::Inputs inputs;
    inputs.geoipPath = QStringLiteral("/r/geoip.db");
    const QJsonObject config = SingBoxConfigBuilder::build(inputs);
    EXPECT_EQ(config.value("log").toObject(), parse(R"({"disabled":false,"level":"info","timestamp":true})"));
    EXPECT_EQ(config.value("inbounds").toArray().at(0).toObject(),
              parse(R"({"type":"tun","tag":"tun-in","inet4_address":"172.19.0.1/30","auto_route":true,
                        "strict_route":true,"sniff":true})"));
    EXPECT_EQ(config.value("inbounds").toArray().size(), 1);
    EXPECT_EQ(config.value("outbounds").toArray(),
              QJsonDocument::fromJson(R"([{"type":"socks","tag":"proxy","server":"127.0.0.1","server_port":9999,"version":"5"},
                  {"type":"direct","tag":"direct"},{"type":"block","tag":"block"},{"type":"dns","tag":"dns_out"}])").array());
    const QJsonObject dns = config.value("dns").toObject();
    EXPECT_EQ(dns.keys(), (QStringList{"disable_cache", "final", "independent_cache", "rules", "servers", "strategy"}));
    EXPECT_EQ(dns.value("servers").toArray(),
              QJsonDocument::fromJson(R"([{"tag":"block","address":"rcode://success"},
                  {"tag":"local","address":"8.8.8.8","detour":"direct"},
                  {"tag":"remote","address":"127.0.0.1","detour":"direct"}])").array());
    EXPECT_EQ(dns.value("strategy").toString(), QStringLiteral("ipv4_only"));
    EXPECT_EQ(dns.value("disable_cache"), QJsonValue(false));
    EXPECT_EQ(dns.value("independent_cache"), QJsonValue(true));
    const QJsonObject route = config.value("route").toObject();
    EXPECT_EQ(route.keys(), (QStringList{"auto_detect_interface", "final", "geoip", "geosite", "rules"}));
    EXPECT_EQ(route.value("auto_detect_interface"), QJsonValue(true));
    EXPECT_EQ(route.value("geoip").toObject().value("path").toString(), QStringLiteral("/r/geoip.db"));
    EXPECT_EQ(route.value("geosite").toObject().value("path").toString(), QString());
}

TEST_F(EngineConfigTest, SingBoxRelayHostNamesGoToDomainNotIpCidr)
{
    SingBoxConfigBuilder::Inputs inputs;
    inputs.domainList = {QStringLiteral("api.example.com")};
    inputs.ipList = {QStringLiteral("1.2.3.4"), QStringLiteral("relay.example.net"), QStringLiteral("2001:db8::1")};
    const QJsonObject bypass = SingBoxConfigBuilder::routeSection(inputs).value("rules").toArray().at(2).toObject();
    EXPECT_EQ(bypass.value("ip_cidr").toArray(), (QJsonArray{"1.2.3.4", "2001:db8::1"}));
    EXPECT_EQ(bypass.value("domain").toArray(), (QJsonArray{"api.example.com", "relay.example.net"}));
    // The relay's name resolves locally, not through the relay it leads to.
    const QJsonObject localRule = SingBoxConfigBuilder::dnsSection(inputs).value("rules").toArray().at(1).toObject();
    EXPECT_EQ(localRule.value("domain").toArray(), (QJsonArray{"api.example.com", "relay.example.net"}));

    inputs.ipList = {QStringLiteral("relay.example.net")};
    EXPECT_FALSE(SingBoxConfigBuilder::routeSection(inputs).value("rules").toArray().at(2).toObject().contains("ip_cidr"));
    inputs.ipList.clear();
    EXPECT_FALSE(SingBoxConfigBuilder::routeSection(inputs).value("rules").toArray().at(2).toObject().contains("ip_cidr"));
}

TEST_F(EngineConfigTest, DomainListAddsTheCurrentApiHostOnce)
{
    const QStringList fixed{QStringLiteral("a.example.com"), QStringLiteral("b.example.com")};
    EXPECT_EQ(SingBoxConfigBuilder::domainListFor(fixed, QStringLiteral("https://c.example.com/api")),
              (QStringList{"a.example.com", "b.example.com", "c.example.com"}));
    EXPECT_EQ(SingBoxConfigBuilder::domainListFor(fixed, QStringLiteral("https://b.example.com")), fixed);
    EXPECT_EQ(SingBoxConfigBuilder::domainListFor(fixed, QStringLiteral("not a url")), fixed);
    EXPECT_EQ(SingBoxConfigBuilder::domainListFor(fixed, QString()), fixed);
}

// --- the fill and the files ------------------------------------------------------------------

TEST_F(EngineConfigTest, FillWritesBothFilesPrivately)
{
    HLLConnection connection = connectionWithNodes("[]");
    connection.tunOn = false;
    connection.globalMode = false;
    connection.currentDomain = QStringLiteral("https://api.current.example");
    connection.proxystatus = ProxyStatus::dto;
    ASSERT_FALSE(QFileInfo::exists(HLLConnection::sslocalConfigPath()));
    // The fill is what writes the files: no separate step.
    const HLLConnection::FilesResult result = connection.setValuesForKeysWithDictionary(parse(R"({
        "node_list": [{"url": "1.2.3.4", "port": "8388", "password": "secret", "id": 9, "colour": "red"}],
        "ipList": ["6.6.6.6"], "domainList": ["x"], "local_dns": "1.1.1.1", "cdn_setting": "cdn"})"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();

    ASSERT_EQ(connection.node_list.size(), 1);
    EXPECT_EQ(connection.node_list.first().password, QStringLiteral("secret"));
    EXPECT_FALSE(connection.node_list.first().nodeId.has_value());
    EXPECT_FALSE(connection.local_dns.has_value());
    EXPECT_EQ(connection.cdn_setting, QStringLiteral("cdn"));
    EXPECT_EQ(connection.ipList, QStringList{"1.2.3.4"});
    EXPECT_TRUE(connection.domainList.contains(QStringLiteral("api.current.example")));

    const QJsonObject sslocal = readFile(HLLConnection::sslocalConfigPath());
    EXPECT_EQ(sslocal, connection.config.value());
    EXPECT_EQ(sslocal.value("servers").toArray().at(0).toObject().value("password").toString(), QStringLiteral("secret"));
    const QJsonObject singBox = readFile(HLLConnection::singBoxConfigPath());
    EXPECT_EQ(singBox.value("route").toObject().value("final").toString(), QStringLiteral("direct"));

    EXPECT_EQ(QFileInfo(AppPaths::privateFolder()).permissions() & 0x0777, QFileDevice::Permissions(0x0700));
    for (const QString &path : {HLLConnection::sslocalConfigPath(), HLLConnection::singBoxConfigPath()})
        EXPECT_EQ(QFileInfo(path).permissions() & 0x0777, QFileDevice::Permissions(0x0600)) << path.toStdString();
}

TEST_F(EngineConfigTest, FillsWithoutNodesAndFillingTwice)
{
    HLLConnection connection = connectionWithNodes("[]");
    connection.tunOn = true;
    // A "data" without "node_list" still writes both files.
    ASSERT_TRUE(connection.setValuesForKeysWithDictionary(parse(R"({"cdn_setting": "c"})")).ok);
    EXPECT_EQ(readFile(HLLConnection::sslocalConfigPath()).value("servers").toArray(), QJsonArray());
    EXPECT_TRUE(QFileInfo::exists(HLLConnection::singBoxConfigPath()));

    const QJsonObject data = parse(R"({"node_list": [{"url": "1.2.3.4", "port": "1"}]})");
    ASSERT_TRUE(connection.setValuesForKeysWithDictionary(data).ok);
    ASSERT_TRUE(connection.setValuesForKeysWithDictionary(data).ok);
    EXPECT_EQ(connection.node_list.size(), 2);
    // The second fill appends the nodes again, and its write appends their addresses again.
    EXPECT_EQ(connection.ipList, (QStringList{"1.2.3.4", "1.2.3.4", "1.2.3.4"}));
    EXPECT_EQ(readFile(HLLConnection::sslocalConfigPath()).value("servers").toArray().size(), 2);
}

TEST_F(EngineConfigTest, FileKeepsOwnerOnlyModeOverAnOpenOldFile)
{
    ASSERT_TRUE(AppPaths::ensureFolder(AppPaths::privateFolder()));
    QFile old(HLLConnection::sslocalConfigPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_TRUE(old.setPermissions(QFileDevice::Permissions(0x6644)));
    HLLConnection connection = connectionWithNodes("[]");
    connection.tunOn = false;
    ASSERT_TRUE(connection.writeSSLocalConfig().ok);
    EXPECT_EQ(QFileInfo(HLLConnection::sslocalConfigPath()).permissions() & 0x0777, QFileDevice::Permissions(0x0600));
}

TEST_F(EngineConfigTest, FailedWriteIsReported)
{
    // The private folder's place is taken by a file, so neither configuration can be written.
    ASSERT_TRUE(QDir().mkpath(AppPaths::dataFolder()));
    QFile blocker(AppPaths::privateFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HLLConnection connection = connectionWithNodes("[]");
    const HLLConnection::FilesResult result = connection.writeEngineFiles();
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST_F(EngineConfigTest, FillReadsTunAndModeFromDefaultsWhenNotFixed)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kTunStateKey, false);
    defaults.setInteger(DefaultsKeys::kProxyMode, 0);
    HLLConnection connection = connectionWithNodes("[]");
    connection.proxystatus = ProxyStatus::otd;
    ASSERT_TRUE(connection.writeEngineFiles().ok);
    EXPECT_EQ(readFile(HLLConnection::sslocalConfigPath()).value("locals").toArray().size(), 1);
    EXPECT_EQ(readFile(HLLConnection::singBoxConfigPath()).value("dns").toObject().value("rules").toArray().size(), 3);
}

TEST_F(EngineConfigTest, TunSwitchReadsTheSameForTheFilesAndTheRoad)
{
    // The files written for a connection and the road that starts the engines must agree on TUN:
    // a TUN listener in "sslocal.conf" that no TUN engine uses, or the reverse, breaks the line.
    const auto filesSayTun = [] {
        HLLConnection connection = connectionWithNodes("[]");
        connection.proxystatus = ProxyStatus::otd;
        EXPECT_TRUE(connection.writeEngineFiles().ok);
        return readFile(HLLConnection::sslocalConfigPath()).value("locals").toArray().size() > 1;
    };
    // Nothing stored and nothing registered: off for both.
    UserDefaults::standard().removePersistentDomain();
    UserDefaults::reloadAllForTesting();
    EXPECT_FALSE(isTunStateOn());
    EXPECT_FALSE(filesSayTun());

    // Start-up registers it on.
    UserDefaults::standard().registerDefaults({{DefaultsKeys::kTunStateKey, true}});
    EXPECT_TRUE(isTunStateOn());
    EXPECT_TRUE(filesSayTun());

    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, false);
    EXPECT_FALSE(isTunStateOn());
    EXPECT_FALSE(filesSayTun());
    UserDefaults::reloadAllForTesting();
}

TEST_F(EngineConfigTest, ProxyModeReading)
{
    UserDefaults &defaults = UserDefaults::standard();
    EXPECT_TRUE(isProxyModeOn());
    defaults.setString(DefaultsKeys::kProxyMode, QStringLiteral("0"));
    EXPECT_TRUE(isProxyModeOn());
    defaults.setInteger(DefaultsKeys::kProxyMode, 0);
    EXPECT_FALSE(isProxyModeOn());
    defaults.setInteger(DefaultsKeys::kProxyMode, 1);
    EXPECT_TRUE(isProxyModeOn());
}

TEST_F(EngineConfigTest, NodeFillIgnoresIdAndUnknownKeys)
{
    const HLLNode node = HLLNode::fromDictionary(parse(R"({"id": "7", "colour": "red", "url": "h", "port": 8388, "name": null})"));
    EXPECT_FALSE(node.nodeId.has_value());
    EXPECT_EQ(node.url, QStringLiteral("h"));
    EXPECT_EQ(node.port, QStringLiteral("8388"));
    EXPECT_FALSE(node.name.has_value());
}

TEST_F(EngineConfigTest, DomainListStartsWithTheServiceHosts)
{
    const QStringList fixed = HLLConnection::fixedApiHosts();
    ASSERT_EQ(fixed.size(), 6);
    for (const QString &host : fixed)
        EXPECT_FALSE(host.contains(QLatin1Char('/'))) << host.toStdString();

    HLLConnection connection = connectionWithNodes("[]");
    connection.currentDomain = QStringLiteral("http://127.0.0.1:8080");
    ASSERT_TRUE(connection.writeSingBoxConfig().ok);
    EXPECT_EQ(connection.domainList, fixed + QStringList{"127.0.0.1"});

    // Without a fixed domain the network layer's current one is asked.
    HLLConnection live = connectionWithNodes("[]");
    ASSERT_TRUE(live.writeSingBoxConfig().ok);
    EXPECT_TRUE(live.domainList.startsWith(fixed.first()));
    EXPECT_GE(live.domainList.size(), 6);
}

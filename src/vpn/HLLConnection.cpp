#include "vpn/HLLConnection.h"

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/ProtocolConfig.h"
#include "common/UserDefaults.h"
#include "networking/OOHostSafeAdpter.h"
#include "vpn/DnsServers.h"
#include "vpn/ProxyMode.h"
#include "vpn/SSLocalConfigBuilder.h"
#include "vpn/SingBoxConfigBuilder.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QUrl>

namespace {

const QString kSSLocalFile = QStringLiteral("sslocal.conf");
const QString kSingBoxFile = QStringLiteral("singbox.json");

QString resourceFileOrEmpty(const QString &name)
{
    const QString path = AppPaths::resourcePath(name);
    return QFileInfo::exists(path) ? QFileInfo(path).absoluteFilePath() : QString();
}

QString hostOf(const QString &entry)
{
    if (!entry.contains(QLatin1String("://")))
        return entry.trimmed();
    return QUrl(entry).host();
}

} // namespace

std::optional<HLLConnection::ConnectionStatus> HLLConnection::connectionStatusFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 2)
        return std::nullopt;
    return ConnectionStatus(rawValue);
}

HLLConnection::FilesResult HLLConnection::setValuesForKeysWithDictionary(const QJsonObject &dictionary)
{
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it)
        setValueForKey(it.key(), it.value());
    return writeEngineFiles();
}

HLLConnection::FilesResult HLLConnection::writeEngineFiles()
{
    const EngineConfigWriter::Result sslocal = writeSSLocalConfig();
    const EngineConfigWriter::Result singBox = writeSingBoxConfig();
    if (!sslocal.ok)
        return FilesResult{false, sslocal.error};
    if (!singBox.ok)
        return FilesResult{false, singBox.error};
    return {};
}

void HLLConnection::setValueForKey(const QString &key, const QJsonValue &value)
{
    if (key == QLatin1String("node_list")) {
        if (!value.isArray())
            return;
        for (const QJsonValue &entry : value.toArray()) {
            if (entry.isObject())
                node_list.append(HLLNode::fromDictionary(entry.toObject()));
        }
        return;
    }
    if (key == QLatin1String("cdn_setting")) {
        if (value.isString())
            cdn_setting = value.toString();
        else if (value.isNull())
            cdn_setting.reset();
        return;
    }
    if (key == QLatin1String("config")) {
        if (value.isObject())
            config = value.toObject();
        else if (value.isNull())
            config.reset();
        return;
    }
    // Every other key, the names of the plain fields included, is the connect road's business.
}

QJsonObject HLLConnection::sslocalConfig()
{
    SSLocalConfigBuilder::Result built = SSLocalConfigBuilder::build(*this, effectiveTunOn());
    ipList.append(built.serverAddresses);
    return built.config;
}

EngineConfigWriter::Result HLLConnection::writeSSLocalConfig()
{
    config = sslocalConfig();
    return EngineConfigWriter::writePrivateJson(kSSLocalFile, *config);
}

QJsonObject HLLConnection::singBoxBaseSections() const
{
    return SingBoxConfigBuilder::baseSections();
}

namespace {

SingBoxConfigBuilder::Inputs singBoxInputs(const HLLConnection &connection, bool globalMode)
{
    SingBoxConfigBuilder::Inputs inputs;
    inputs.globalMode = globalMode;
    inputs.status = connection.proxystatus;
    inputs.localDns = connection.local_dns.value_or(DnsServers::kPublic);
    inputs.domainList = connection.domainList;
    inputs.ipList = connection.ipList;
    inputs.geoipPath = resourceFileOrEmpty(QStringLiteral("geoip.db"));
    inputs.geositePath = resourceFileOrEmpty(QStringLiteral("geosite.db"));
    return inputs;
}

} // namespace

QJsonObject HLLConnection::dnsSection() const
{
    return SingBoxConfigBuilder::dnsSection(singBoxInputs(*this, effectiveGlobalMode()));
}

QJsonObject HLLConnection::routeSection() const
{
    return SingBoxConfigBuilder::routeSection(singBoxInputs(*this, effectiveGlobalMode()));
}

QJsonObject HLLConnection::singBoxConfig() const
{
    return SingBoxConfigBuilder::build(singBoxInputs(*this, effectiveGlobalMode()));
}

EngineConfigWriter::Result HLLConnection::writeSingBoxConfig()
{
    domainList = SingBoxConfigBuilder::domainListFor(fixedApiHosts(), effectiveCurrentDomain());
    return EngineConfigWriter::writePrivateJson(kSingBoxFile, singBoxConfig());
}

QString HLLConnection::sslocalConfigPath()
{
    return AppPaths::privateFolder() + QLatin1Char('/') + kSSLocalFile;
}

QString HLLConnection::singBoxConfigPath()
{
    return AppPaths::privateFolder() + QLatin1Char('/') + kSingBoxFile;
}

QStringList HLLConnection::fixedApiHosts()
{
    // The same list the network layer starts its fail-over from; entries may be URLs.
    const QJsonValue value = ProtocolConfig::value(QStringLiteral("hosts.defaults"));
    QStringList hosts;
    for (const QJsonValue &entry : value.toArray()) {
        const QString host = hostOf(entry.toString());
        if (!host.isEmpty() && !hosts.contains(host))
            hosts.append(host);
    }
    return hosts;
}

bool HLLConnection::effectiveTunOn() const
{
    if (tunOn)
        return *tunOn;
    return isTunStateOn();
}

bool HLLConnection::effectiveGlobalMode() const
{
    if (globalMode)
        return *globalMode;
    return isProxyModeOn();
}

QString HLLConnection::effectiveCurrentDomain() const
{
    if (currentDomain)
        return *currentDomain;
    return OOHostSafeAdpter::shared().currentDomain();
}

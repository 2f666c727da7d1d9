#include "vpn/unreached/ProxyConfHelper.h"

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "vpn/EngineSetup.h"
#include "vpn/VpnLog.h"

#include <QDebug>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>

const QString ProxyConfHelper::kDefaultToolPath = EngineSetup::defaultEngineFolder() + QStringLiteral("/proxy_conf_helper");

namespace {

QMutex s_toolMutex;
QString s_toolOverride;

// The tool's output, or nullopt when it could not run or did not finish in time.
std::optional<std::pair<QByteArray, QByteArray>> runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(ProxyConfHelper::toolPath(), arguments);
    if (!process.waitForStarted(ProxyConfHelper::kToolTimeoutMs)) {
        qCWarning(lcVpn).noquote() << "cannot run" << ProxyConfHelper::toolPath() << process.errorString();
        return std::nullopt;
    }
    if (!process.waitForFinished(ProxyConfHelper::kToolTimeoutMs)) {
        qCWarning(lcVpn).noquote() << ProxyConfHelper::toolPath() << "did not finish in time";
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    return std::make_pair(process.readAllStandardOutput(), process.readAllStandardError());
}

std::optional<QString> listenAddress()
{
    return UserDefaults::standard().stringValue(DefaultsKeys::LocalSocks5_ListenAddress);
}

qint64 listenPort()
{
    return UserDefaults::standard().integerValue(DefaultsKeys::LocalSocks5_ListenPort).value_or(0);
}

} // namespace

ProxyConfHelper &ProxyConfHelper::shared()
{
    static ProxyConfHelper instance;
    return instance;
}

QString ProxyConfHelper::toolPath()
{
    QMutexLocker lock(&s_toolMutex);
    return s_toolOverride.isEmpty() ? kDefaultToolPath : s_toolOverride;
}

void ProxyConfHelper::setToolPathForTesting(const QString &path)
{
    QMutexLocker lock(&s_toolMutex);
    s_toolOverride = path;
}

bool ProxyConfHelper::isVersionAtLeast(const QString &version, const QString &minimum)
{
    // Text order would put "1.10.0" before "1.9.1".
    const QStringList have = version.trimmed().split(QLatin1Char('.'));
    const QStringList need = minimum.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < std::max(have.size(), need.size()); ++i) {
        bool ok = true;
        const int a = i < have.size() ? have.at(i).toInt(&ok) : 0;
        if (!ok)
            return false;
        const int b = i < need.size() ? need.at(i).toInt() : 0;
        if (a != b)
            return a > b;
    }
    return true;
}

bool ProxyConfHelper::isVersionOk()
{
    const auto output = runTool({QStringLiteral("-v")});
    if (!output)
        return false;
    return isVersionAtLeast(QString::fromUtf8(output->first), QStringLiteral("1.9.1"));
}

void ProxyConfHelper::install()
{
}

void ProxyConfHelper::callHelper(const QStringList &arguments)
{
    qCDebug(lcVpn).noquote() << QStringLiteral("run shadowsocks helper: %1").arg(toolPath());
    const auto output = runTool(arguments);
    if (!output)
        return;
    if (!output->first.isEmpty())
        qCDebug(lcVpn).noquote() << QString::fromUtf8(output->first);
    if (!output->second.isEmpty())
        qCDebug(lcVpn).noquote() << QString::fromUtf8(output->second);
}

void ProxyConfHelper::addArguments4ManualSpecifyNetworkServices(QStringList &arguments)
{
    UserDefaults &defaults = UserDefaults::standard();
    if (defaults.boolValue(DefaultsKeys::AutoConfigureNetworkServices).value_or(false))
        return;
    const std::optional<QJsonArray> services = defaults.arrayValue(DefaultsKeys::Proxy4NetworkServices);
    if (!services)
        return;
    for (const QJsonValue &service : *services) {
        if (!service.isString())
            continue;
        arguments << QStringLiteral("--network-service") << service.toString();
    }
}

void ProxyConfHelper::addArguments4ManualSpecifyProxyExceptions(QStringList &arguments)
{
    const std::optional<QString> exceptions = UserDefaults::standard().stringValue(DefaultsKeys::ProxyExceptions);
    if (!exceptions)
        return;
    static const QRegularExpression separators(QStringLiteral("[\\s,\\x{3001}]+"));
    for (const QString &piece : exceptions->split(separators, Qt::SkipEmptyParts))
        arguments << QStringLiteral("-x") << piece;
}

QStringList ProxyConfHelper::enableGlobalProxyArguments()
{
    const std::optional<QString> address = listenAddress();
    if (!address)
        return {}; // the tool would be told to listen nowhere
    QStringList arguments = {QStringLiteral("--mode"), QStringLiteral("sock"),
                             QStringLiteral("--port"), QString::number(listenPort()),
                             QStringLiteral("--socks-listen-address"), *address};
    addArguments4ManualSpecifyNetworkServices(arguments);
    addArguments4ManualSpecifyProxyExceptions(arguments);
    return arguments;
}

QStringList ProxyConfHelper::enableTunProxyArguments(const QString &dnsServer)
{
    QStringList arguments = {QStringLiteral("--mode"), QStringLiteral("tun"),
                             QStringLiteral("--dns-server-address"), dnsServer};
    addArguments4ManualSpecifyNetworkServices(arguments);
    return arguments;
}

QStringList ProxyConfHelper::disableTunProxyArguments(const QString &dnsServer)
{
    return {QStringLiteral("--mode"), QStringLiteral("off"), QStringLiteral("--dns-server-address"), dnsServer};
}

QStringList ProxyConfHelper::disableProxyArguments()
{
    const std::optional<QString> address = listenAddress();
    const qint64 port = listenPort();
    if (!address || port == 0)
        return {};
    QStringList arguments = {QStringLiteral("--mode"), QStringLiteral("off"),
                             QStringLiteral("--port"), QString::number(port),
                             QStringLiteral("--socks-listen-address"), *address};
    addArguments4ManualSpecifyNetworkServices(arguments);
    addArguments4ManualSpecifyProxyExceptions(arguments);
    return arguments;
}

void ProxyConfHelper::enableGlobalProxy()
{
    const QStringList arguments = enableGlobalProxyArguments();
    if (!arguments.isEmpty())
        callHelper(arguments);
}

void ProxyConfHelper::enableTunProxy(const QString &dnsServer)
{
    callHelper(enableTunProxyArguments(dnsServer));
}

void ProxyConfHelper::disableTunProxy(const QString &dnsServer)
{
    callHelper(disableTunProxyArguments(dnsServer));
}

void ProxyConfHelper::disableProxy()
{
    const QStringList arguments = disableProxyArguments();
    if (!arguments.isEmpty())
        callHelper(arguments);
}

#include "common/HHAppInfo.h"

#include "common/DeviceIdentity.h"
#include "common/HLLAppInfo.h"
#include "common/OOAppinfoHelper.h"
#include "common/ProtocolConfig.h"

#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex &providerMutex()
{
    static QMutex mutex;
    return mutex;
}

std::function<QString()> &provider()
{
    static std::function<QString()> current;
    return current;
}

} // namespace

void HHAppInfo::setApiDomainProvider(std::function<QString()> newProvider)
{
    QMutexLocker locker(&providerMutex());
    provider() = std::move(newProvider);
}

QString HHAppInfo::currentApiDomain()
{
    std::function<QString()> current;
    {
        QMutexLocker locker(&providerMutex());
        current = provider();
    }
    // Called outside the lock: the provider may take locks of its own.
    return current ? current() : QString();
}

QJsonObject HHAppInfo::toJson() const
{
    return QJsonObject{
        { QStringLiteral("device_uuid"), deviceUuid },
        { QStringLiteral("uuid"), uuid },
        { QStringLiteral("vpn_key"), vpnKey },
        { QStringLiteral("project_name"), projectName },
        { QStringLiteral("agent_id"), agentId },
        { QStringLiteral("app_channel"), appChannel },
        { QStringLiteral("platform"), platform },
        { QStringLiteral("device_os"), deviceOs },
        { QStringLiteral("app_version_number"), appVersionNumber },
        { QStringLiteral("app_version"), appVersion },
        { QStringLiteral("app_name"), appName },
        { QStringLiteral("device_model"), deviceModel },
        { QStringLiteral("device_bundle"), deviceBundle },
        { QStringLiteral("inner_ip"), innerIp },
        { QStringLiteral("device_system_language"), deviceSystemLanguage },
        { QStringLiteral("apiDomain"), apiDomain },
        { QStringLiteral("api_domain"), apiDomain },
    };
}

HHAppInfo makeAppInfo()
{
    const HLLAppInfo &facts = HLLAppInfo::shared();
    HHAppInfo info;
    info.deviceUuid = DeviceIdentity::macAddress();
    info.uuid = info.deviceUuid;
    info.vpnKey = ProtocolConfig::vpnKey();
    info.projectName = ProtocolConfig::projectName();
    info.agentId = ProtocolConfig::string(QStringLiteral("identity.agent_id"));
    info.appChannel = ProtocolConfig::appChannel();
    info.platform = ProtocolConfig::string(QStringLiteral("identity.platform"));
    info.deviceOs = facts.systemVersion();
    info.appVersionNumber = OOAppinfoHelper::getAppVersion();
    info.appVersion = info.projectName;
    info.appName = info.projectName;
    info.deviceModel = facts.deviceModel();
    info.deviceBundle = ProtocolConfig::string(QStringLiteral("identity.device_bundle"));
    info.innerIp = DeviceIdentity::innerIp();
    info.deviceSystemLanguage = QLocale::system().uiLanguages().value(0, QLocale::system().name());
    info.apiDomain = HHAppInfo::currentApiDomain();
    return info;
}

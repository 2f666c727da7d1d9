#include "common/HLLAppInfo.h"

#include "common/DefaultsKeys.h"
#include "common/OOAppinfoHelper.h"
#include "common/UserDefaults.h"

#include <QFile>
#include <QSysInfo>

HLLAppInfo &HLLAppInfo::shared()
{
    static HLLAppInfo info;
    return info;
}

HLLAppInfo::HLLAppInfo()
    : m_deviceName(QSysInfo::machineHostName())
    , m_deviceModel(readDeviceModel())
    , m_platform(QSysInfo::kernelType())
    , m_systemVersion(QSysInfo::prettyProductName())
    , m_appVersion(OOAppinfoHelper::getAppVersion())
    , m_pacType(int(UserDefaults::standard().integerValue(DefaultsKeys::mac_proxy_type).value_or(0)))
{
}

QString HLLAppInfo::readDeviceModel()
{
    QFile file(QStringLiteral("/sys/class/dmi/id/product_name"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(file.read(256)).trimmed();
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("Linux ") + QSysInfo::currentCpuArchitecture();
}

int HLLAppInfo::pacType() const
{
    QMutexLocker locker(&m_mutex);
    return m_pacType;
}

void HLLAppInfo::setPacType(int type)
{
    QMutexLocker locker(&m_mutex);
    m_pacType = type;
}

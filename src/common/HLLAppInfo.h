#pragma once

#include <QMutex>
#include <QString>

// The device and application facts the rest of the program reads: device name and model,
// platform, system version, application version, and the proxy type in use.
class HLLAppInfo
{
public:
    static HLLAppInfo &shared();

    QString deviceName() const { return m_deviceName; }
    QString deviceModel() const { return m_deviceModel; }
    QString platform() const { return m_platform; }
    QString systemVersion() const { return m_systemVersion; }
    QString appVersion() const { return m_appVersion; }

    // Starts as the default "mac_proxy_type" (0 when absent).
    int pacType() const;
    void setPacType(int type);

    // The DMI product name when the firmware tells it, else a generic text.
    static QString readDeviceModel();

private:
    HLLAppInfo();

    QString m_deviceName;
    QString m_deviceModel;
    QString m_platform;
    QString m_systemVersion;
    QString m_appVersion;
    mutable QMutex m_mutex;
    int m_pacType = 0;
};

#include "common/DeviceIdentity.h"

#include <QFileInfo>
#include <QNetworkInterface>

#include <algorithm>

namespace {

bool hasHardwareAddress(const DeviceIdentity::Interface &candidate)
{
    const QString address = candidate.hardwareAddress;
    return !address.isEmpty() && address != QStringLiteral("00:00:00:00:00:00");
}

} // namespace

std::optional<DeviceIdentity::Interface> DeviceIdentity::choosePrimary(QList<Interface> interfaces)
{
    std::sort(interfaces.begin(), interfaces.end(),
              [](const Interface &a, const Interface &b) { return a.name < b.name; });
    std::optional<Interface> virtualFallback;
    for (const Interface &candidate : interfaces) {
        if (candidate.loopback || !hasHardwareAddress(candidate))
            continue;
        if (!candidate.virtualDevice)
            return candidate;
        if (!virtualFallback)
            virtualFallback = candidate;
    }
    return virtualFallback;
}

QList<DeviceIdentity::Interface> DeviceIdentity::systemInterfaces()
{
    QList<Interface> result;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &networkInterface : all) {
        Interface entry;
        entry.name = networkInterface.name();
        entry.hardwareAddress = networkInterface.hardwareAddress().toUpper();
        entry.loopback = networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack);
        // The kernel lists every software-made interface under /sys/devices/virtual/net.
        entry.virtualDevice = QFileInfo::exists(QStringLiteral("/sys/devices/virtual/net/") + entry.name);
        for (const QNetworkAddressEntry &address : networkInterface.addressEntries()) {
            if (address.ip().protocol() == QAbstractSocket::IPv4Protocol)
                entry.ipv4 << address.ip().toString();
        }
        result << entry;
    }
    return result;
}

QString DeviceIdentity::macAddress()
{
    // Asked for on every request: read the interfaces once per process.
    static const QString address = [] {
        const std::optional<Interface> primary = choosePrimary(systemInterfaces());
        return primary ? primary->hardwareAddress : QString();
    }();
    return address;
}

QString DeviceIdentity::innerIp()
{
    const std::optional<Interface> primary = choosePrimary(systemInterfaces());
    if (!primary || primary->ipv4.isEmpty())
        return {};
    return primary->ipv4.first();
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Which network interface identifies this machine. The identifier must not change between runs,
// so the choice is made in a fixed order: interfaces sorted by name, the first that is not
// loopback, not a virtual device (bridges, containers, tunnels) and has a hardware address. A
// machine with only virtual interfaces (a container) falls back to the first of those.
class DeviceIdentity
{
public:
    struct Interface
    {
        QString name;
        QString hardwareAddress;   // "AA:BB:CC:DD:EE:FF"
        bool loopback = false;
        bool virtualDevice = false;
        QStringList ipv4;
    };

    static std::optional<Interface> choosePrimary(QList<Interface> interfaces);
    static QList<Interface> systemInterfaces();

    // The primary interface's MAC address (upper-case, colon-separated); empty when none.
    static QString macAddress();
    // Its first IPv4 address; empty when it has none.
    static QString innerIp();

private:
    DeviceIdentity() = delete;
};

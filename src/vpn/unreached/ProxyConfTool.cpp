#include "vpn/unreached/ProxyConfTool.h"
#include "vpn/VpnLog.h"

#include <QDebug>
#include <QNetworkInterface>

QStringList ProxyConfTool::networkServicesList()
{
    QStringList services;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        qCDebug(lcVpn).noquote() << "network service:" << interface.name() << interface.humanReadableName()
                           << interface.type() << (interface.flags().testFlag(QNetworkInterface::IsUp) ? "up" : "down");
    }
    return services;
}

#include "networking/LocalListeners.h"

#include "common/ListenerAddress.h"

#include <QNetworkProxy>

bool LocalListeners::isOwnListener(const QNetworkProxy &proxy)
{
    if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy)
        return false;
    return ListenerAddress({kSocksPort}).isNamedBy(proxy.hostName(), proxy.port());
}

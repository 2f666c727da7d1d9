#pragma once

#include <QHostAddress>
#include <QLatin1String>
#include <QNetworkProxy>
#include <QString>

// The ports of the local engine's listeners on 127.0.0.1. Both engine files name them (sing-box
// hands its traffic to the SOCKS listener), and so does the desktop proxy, so they live apart from
// either file's builder; the client's own road (ApplicationProxy) knows the SOCKS one as its own,
// which it never takes while not pointed at it.
namespace LocalListeners {

inline constexpr int kSocksPort = 9999;
inline constexpr int kDnsPort = 53;

// Whether `proxy` is the client's own SOCKS listener, however a system names it: loopback or
// localhost at its port, of any proxy type (GNOME names it as SOCKS, the environment as HTTP).
inline bool isOwnListener(const QNetworkProxy &proxy)
{
    if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy
        || proxy.port() != kSocksPort)
        return false;
    const QString host = proxy.hostName();
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

} // namespace LocalListeners

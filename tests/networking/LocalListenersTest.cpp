// The client's own SOCKS listener as a system's proxy may name it: the client leaves every such
// proxy out of its own route while its engine does not serve it.
#include "networking/LocalListeners.h"

#include <QNetworkProxy>

#include <gtest/gtest.h>

TEST(LocalListeners, EveryNameOfTheListenerIsTheClientsOwn)
{
    for (const char *host : {"127.0.0.1", "localhost", "::1", "[::1]", "127.0.1.1"}) {
        for (const QNetworkProxy::ProxyType type : {QNetworkProxy::Socks5Proxy, QNetworkProxy::HttpProxy})
            EXPECT_TRUE(LocalListeners::isOwnListener(QNetworkProxy(type, host, LocalListeners::kSocksPort))) << host;
    }
}

TEST(LocalListeners, AnyOtherProxyIsNot)
{
    EXPECT_FALSE(LocalListeners::isOwnListener(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", 3128)));
    EXPECT_FALSE(LocalListeners::isOwnListener(QNetworkProxy(QNetworkProxy::HttpProxy, "proxy.example.org", LocalListeners::kSocksPort)));
    EXPECT_FALSE(LocalListeners::isOwnListener(QNetworkProxy(QNetworkProxy::HttpProxy, "10.0.0.1", LocalListeners::kSocksPort)));
    EXPECT_FALSE(LocalListeners::isOwnListener(QNetworkProxy(QNetworkProxy::NoProxy)));
    EXPECT_FALSE(LocalListeners::isOwnListener(QNetworkProxy(QNetworkProxy::DefaultProxy)));
}

// The road Qt gives the client's own requests while the application proxy is pointed at the
// engine's listener, and what comes back after.

#include <QNetworkProxy>
#include <QUrl>

#include <gtest/gtest.h>

#include "vpn/ApplicationProxy.h"

namespace {

const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8",
                                 "FE80::/64", "::1", "FD00::/8"};

QNetworkProxy roadOf(const QNetworkProxyQuery &query)
{
    const QList<QNetworkProxy> road = QNetworkProxyFactory::proxyForQuery(query);
    return road.isEmpty() ? QNetworkProxy(QNetworkProxy::DefaultProxy) : road.first();
}

QNetworkProxy roadTo(const QString &url)
{
    return roadOf(QNetworkProxyQuery(QUrl(url)));
}

bool isListener(const QNetworkProxy &proxy, quint16 port)
{
    return proxy.type() == QNetworkProxy::Socks5Proxy && proxy.hostName() == QLatin1String("127.0.0.1")
        && proxy.port() == port;
}

class ApplicationProxyTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ApplicationProxy::restore();
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    }
};

TEST_F(ApplicationProxyTest, RequestsTakeTheListenerButTheExceptionsAndOwnSocketsGoStraight)
{
    ApplicationProxy::pointAt(9999, kExceptions);
    ASSERT_TRUE(ApplicationProxy::isPointed());

    for (const char *url : {"https://api.ostrel.test/api/x", "http://93.184.216.34/", "https://[2001:db8::1]/"})
        EXPECT_TRUE(isListener(roadTo(QString::fromLatin1(url)), 9999)) << url;
    // Names the listener resolves itself: the name goes to it, never looked up here.
    EXPECT_TRUE(roadTo(QStringLiteral("https://api.ostrel.test/")).capabilities() & QNetworkProxy::HostNameLookupCapability);
    for (const char *url : {"http://127.0.0.1:8080/", "http://localhost:8080/", "http://LOCALHOST/", "http://192.168.1.20/",
                            "http://10.1.2.3/", "http://[fe80::1]/", "http://[::1]:8080/", "http://[fd12::5]/"})
        EXPECT_EQ(roadTo(QString::fromLatin1(url)).type(), QNetworkProxy::NoProxy) << url;
    // Qt WebEngine's one question for all its pages.
    EXPECT_TRUE(isListener(QNetworkProxy::applicationProxy(), 9999));
    // A socket or a server the program opens itself is not one of its requests.
    EXPECT_EQ(roadOf(QNetworkProxyQuery(QStringLiteral("example.org"), 443)).type(), QNetworkProxy::NoProxy);
    EXPECT_EQ(roadOf(QNetworkProxyQuery(quint16(0), QString(), QNetworkProxyQuery::TcpServer)).type(), QNetworkProxy::NoProxy);

    // Pointing again takes the new listener.
    ApplicationProxy::pointAt(10999, kExceptions);
    EXPECT_TRUE(isListener(roadTo(QStringLiteral("https://api.ostrel.test/")), 10999));

    ApplicationProxy::restore();
    EXPECT_FALSE(ApplicationProxy::isPointed());
    EXPECT_TRUE(QNetworkProxyFactory::usesSystemConfiguration());
}

TEST_F(ApplicationProxyTest, AProxyTheProgramSetItselfComesBackAfter)
{
    const QNetworkProxy own(QNetworkProxy::HttpProxy, QStringLiteral("proxy.example.org"), 3128);
    QNetworkProxy::setApplicationProxy(own);
    ApplicationProxy::pointAt(9999, kExceptions);
    ApplicationProxy::pointAt(9999, kExceptions);
    EXPECT_TRUE(isListener(roadTo(QStringLiteral("https://api.ostrel.test/")), 9999));

    ApplicationProxy::restore();
    EXPECT_FALSE(QNetworkProxyFactory::usesSystemConfiguration());
    EXPECT_EQ(roadTo(QStringLiteral("https://api.ostrel.test/")), own);
    // Restoring twice changes nothing.
    ApplicationProxy::restore();
    EXPECT_EQ(roadTo(QStringLiteral("https://api.ostrel.test/")), own);
}

} // namespace

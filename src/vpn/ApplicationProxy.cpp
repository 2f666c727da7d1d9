#include "vpn/ApplicationProxy.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QPair>

#include <optional>

#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"

namespace {

// The road every request of the client takes while it is pointed.
class ListenerFactory : public QNetworkProxyFactory
{
public:
    ListenerFactory(quint16 port, const QStringList &exceptions)
        : m_listener(QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), port)
    {
        for (const QString &exception : exceptions) {
            const QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(exception);
            if (!subnet.first.isNull())
                m_subnets.append(subnet);
            else
                m_names.append(exception.toLower());
        }
    }

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        // A request by URL (the network managers', the analytics seal's).
        if (query.queryType() == QNetworkProxyQuery::UrlRequest)
            return {isException(query.url().host()) ? direct() : m_listener};
        // The empty question is Qt WebEngine's (QNetworkProxy::applicationProxy()): one answer
        // for all its pages.
        if (query.peerHostName().isEmpty() && query.url().isEmpty() && query.queryType() == QNetworkProxyQuery::TcpSocket)
            return {m_listener};
        // A socket or a server of its own is not a request of the client's: a server proxied
        // through SOCKS could not listen here.
        return {direct()};
    }

private:
    static QNetworkProxy direct() { return QNetworkProxy(QNetworkProxy::NoProxy); }

    bool isException(const QString &host) const
    {
        const QHostAddress address(host);
        if (address.isNull())
            return m_names.contains(host.toLower());
        for (const QPair<QHostAddress, int> &subnet : m_subnets) {
            if (address.isInSubnet(subnet))
                return true;
        }
        return false;
    }

    QNetworkProxy m_listener;
    QList<QPair<QHostAddress, int>> m_subnets;
    QStringList m_names;
};

// What pointAt replaced: the system's configuration, or an application proxy of the program's.
struct Replaced
{
    bool systemConfiguration = true;
    QNetworkProxy applicationProxy;
};

std::optional<Replaced> &replaced()
{
    static std::optional<Replaced> value;
    return value;
}

} // namespace

namespace ApplicationProxy {

void pointAt(quint16 port, const QStringList &exceptions)
{
    if (!replaced())
        replaced() = Replaced{QNetworkProxyFactory::usesSystemConfiguration(), QNetworkProxy::applicationProxy()};
    // Qt owns the factory from here and deletes the one it replaces.
    QNetworkProxyFactory::setApplicationProxyFactory(new ListenerFactory(port, exceptions));
    NotificationCenter::defaultCenter().post(NotificationNames::ostrelApplicationProxyChange);
}

void restore()
{
    if (!replaced())
        return;
    const Replaced before = *replaced();
    replaced().reset();
    if (before.systemConfiguration)
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    else
        QNetworkProxy::setApplicationProxy(before.applicationProxy);
    NotificationCenter::defaultCenter().post(NotificationNames::ostrelApplicationProxyChange);
}

bool isPointed()
{
    return replaced().has_value();
}

} // namespace ApplicationProxy

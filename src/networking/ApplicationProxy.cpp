#include "networking/ApplicationProxy.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QPair>
#include <QUrl>

#include <optional>

#include "networking/OOHostSafeAdpter.h"
#include "networking/LocalListeners.h"
#include "networking/SystemRoute.h"

namespace {

// What the factory stands on while it is not pointed: the system's configuration, or a proxy the
// program had set itself before the factory came.
struct Resting
{
    bool systemConfiguration = true;
    QNetworkProxy applicationProxy;
};

// The listener and the hosts that go around it, while pointed.
class Listener
{
public:
    Listener(quint16 port, const QStringList &exceptions)
        : m_proxy(QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), port)
    {
        for (const QString &exception : exceptions) {
            const QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(exception);
            if (!subnet.first.isNull())
                m_subnets.append(subnet);
            else
                m_names.append(exception.toLower());
        }
    }

    const QNetworkProxy &proxy() const { return m_proxy; }

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

private:
    QNetworkProxy m_proxy;
    QList<QPair<QHostAddress, int>> m_subnets;
    QStringList m_names;
};

class ClientFactory;
// The factory Qt holds, while it is ours: Qt deletes a factory it replaces, whoever replaces it.
ClientFactory *s_installed = nullptr;

// Built once and never changed: any thread's sockets and network managers ask it, while the route
// changes on the GUI thread. A new route is a new factory, which Qt swaps in under its own lock.
class ClientFactory : public QNetworkProxyFactory
{
public:
    ClientFactory(Resting resting, std::optional<Listener> listener)
        : m_resting(std::move(resting))
        , m_listener(std::move(listener))
    {
    }

    ~ClientFactory() override
    {
        if (s_installed == this)
            s_installed = nullptr;
    }

    const Resting &resting() const { return m_resting; }
    bool isPointed() const { return m_listener.has_value(); }

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return m_listener ? pointedRoute(query) : restingRoute(query);
    }

private:
    static QNetworkProxy direct() { return QNetworkProxy(QNetworkProxy::NoProxy); }

    // The empty question is Qt WebEngine's (QNetworkProxy::applicationProxy()): one answer for
    // all its pages.
    static bool isWebEnginesQuestion(const QNetworkProxyQuery &query)
    {
        return query.queryType() == QNetworkProxyQuery::TcpSocket && query.peerHostName().isEmpty()
            && query.url().isEmpty();
    }

    QList<QNetworkProxy> pointedRoute(const QNetworkProxyQuery &query) const
    {
        // A request by URL (the network managers', the analytics seal's).
        if (query.queryType() == QNetworkProxyQuery::UrlRequest)
            return {m_listener->isException(query.url().host()) ? direct() : m_listener->proxy()};
        if (isWebEnginesQuestion(query))
            return {m_listener->proxy()};
        // A socket or a server of its own is not a request of the client's: a server proxied
        // through SOCKS could not listen here.
        return {direct()};
    }

    QList<QNetworkProxy> restingRoute(const QNetworkProxyQuery &query) const
    {
        if (!m_resting.systemConfiguration)
            return {m_resting.applicationProxy};
        // The pages take what the system gives a native request to the service. Its address may
        // change between two questions (another of its hosts answers), so it is asked each time:
        // the adapter keeps it in memory. The system's answer is the last one that came: this is
        // asked on any thread, the window's too, and never waits for the system (SystemRoute).
        const QNetworkProxyQuery asked = isWebEnginesQuestion(query)
            ? QNetworkProxyQuery(QUrl(OOHostSafeAdpter::shared().currentDomain()))
            : query;
        QList<QNetworkProxy> route = SystemRoute::routeFor(asked);
        // While not pointed no engine of the client's serves its own listener: one the system still
        // names is what a client killed while connected left there (the kill switch held it), until
        // the start's restore lands, or for good where that restore failed.
        route.removeIf(LocalListeners::isOwnListener);
        // As Qt's own system factory answers: a server takes the first route it can listen on,
        // which no HTTP proxy is, so the list ends straight.
        route.append(direct());
        return route;
    }

    const Resting m_resting;
    const std::optional<Listener> m_listener;
};

// Qt owns the factory from here and deletes the one it replaces.
void installFactory(const Resting &resting, std::optional<Listener> listener)
{
    auto *factory = new ClientFactory(resting, std::move(listener));
    QNetworkProxyFactory::setApplicationProxyFactory(factory);
    s_installed = factory;
}

// What a factory of the client's stands on: the one in place, or what the program has now.
Resting currentResting()
{
    if (s_installed)
        return s_installed->resting();
    return Resting{QNetworkProxyFactory::usesSystemConfiguration(), QNetworkProxy::applicationProxy()};
}

} // namespace

ApplicationProxy::ApplicationProxy()
{
    // A new answer of the system's is a new route while the factory rests on it.
    connect(&SystemRoute::shared(), &SystemRoute::answered, this, [this] {
        if (s_installed && !s_installed->isPointed() && s_installed->resting().systemConfiguration)
            Q_EMIT changed();
    });
}

ApplicationProxy &ApplicationProxy::shared()
{
    static ApplicationProxy instance;
    return instance;
}

void ApplicationProxy::install()
{
    if (s_installed)
        return;
    shared();
    installFactory(currentResting(), std::nullopt);
    // The system's answer for the service's address is asked now, so that it is there by the
    // start's first requests and pages.
    SystemRoute::routeFor(QNetworkProxyQuery(QUrl(OOHostSafeAdpter::shared().currentDomain())));
}

void ApplicationProxy::pointAt(quint16 port, const QStringList &exceptions)
{
    installFactory(currentResting(), Listener(port, exceptions));
    Q_EMIT shared().changed();
}

void ApplicationProxy::restore()
{
    if (!isPointed())
        return;
    installFactory(currentResting(), std::nullopt);
    Q_EMIT shared().changed();
}

bool ApplicationProxy::isPointed()
{
    return s_installed && s_installed->isPointed();
}

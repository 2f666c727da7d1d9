#include "networking/AnalyticsUploader.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "networking/HostLookup.h"
#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/ReplyGuard.h"

namespace {

// Set on a reply given up before its address carried it: the address was never reached.
constexpr char kNotReached[] = "ostrelNotReached";

bool isDirect(const QNetworkProxy &proxy)
{
    return proxy.type() == QNetworkProxy::NoProxy;
}

// The address, or the proxy in front of it, was not reached at all: another of its addresses
// may be. Nothing of the request reached the service, so trying again sends no event twice.
bool neverReached(const QNetworkReply *reply)
{
    if (reply->property(kNotReached).toBool())
        return true;
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return true;
    default:
        return false;
    }
}

} // namespace

// The road of each request, by the server its URL names. The network manager asks for it when
// the request gets under way, and Qt may get a request under way only after the next one was
// made (requests made from timer events are, two in a row): a proxy set on the whole manager
// before each request could by then be the next request's.
class AnalyticsUploader::RoadBook : public QNetworkProxyFactory
{
public:
    void set(const QUrl &url, const QNetworkProxy &proxy)
    {
        QMutexLocker lock(&m_mutex);
        if (isDirect(proxy))
            m_roads.remove(key(url));
        else
            m_roads.insert(key(url), proxy);
    }

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        QMutexLocker lock(&m_mutex);
        return {m_roads.value(key(query.url()), QNetworkProxy(QNetworkProxy::NoProxy))};
    }

private:
    static QString key(const QUrl &url)
    {
        return url.scheme().toLower() + QLatin1String("://") + url.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo);
    }

    QMutex m_mutex;
    QHash<QString, QNetworkProxy> m_roads;
};

struct AnalyticsUploader::Attempt
{
    AnalyticsUpload upload;
    Outcome outcome;
    QList<QHostAddress> addresses; // of the first hop: the proxy, or the service
    int index = 0;

    bool hasNext() const { return index + 1 < addresses.size(); }
};

AnalyticsUploader::AnalyticsUploader(QObject *parent)
    : QObject(parent)
    , m_lookup(new HostLookup(this))
    , m_manager(new QNetworkAccessManager(this))
    , m_roads(new RoadBook)
{
    // The event carries the signed headers and the token: never let a redirect take them on.
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // The road is the upload's, never this thread's own proxy query. The manager owns the book.
    m_manager->setProxyFactory(m_roads);
}

AnalyticsUploader::~AnalyticsUploader()
{
    m_ending = true;
    // Replies first (their finished() comes at once and reports nothing now), then the manager,
    // which ends its own thread, then the lookups.
    const QList<QNetworkReply *> replies = m_manager->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies)
        reply->abort();
    delete m_manager;
    m_manager = nullptr;
    delete m_lookup;
    m_lookup = nullptr;
}

std::optional<QNetworkProxy> AnalyticsUploader::proxyFor(const QUrl &target)
{
    // The first proxy that can carry the request, as Qt's own HTTP layer takes it: one that
    // passes the connection through (none, SOCKS5, an HTTP proxy that tunnels), or, for a
    // request in the clear, a caching HTTP proxy.
    const bool encrypted = target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const QList<QNetworkProxy> offered = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(target));
    for (const QNetworkProxy &proxy : offered) {
        if (proxy.isTransparentProxy() || (!encrypted && proxy.type() == QNetworkProxy::HttpCachingProxy))
            return proxy;
    }
    return std::nullopt;
}

void AnalyticsUploader::send(const AnalyticsUpload &upload, Outcome outcome)
{
    // Through a proxy the service's name is the proxy's to resolve: only the first hop is ours.
    const QString firstHop = isDirect(upload.proxy) ? upload.target.host() : upload.proxy.hostName();
    auto attempt = std::make_shared<Attempt>(Attempt{upload, std::move(outcome), {}, 0});
    m_lookup->lookup(firstHop, [this, attempt](const QList<QHostAddress> &addresses, const QString &error) {
        if (addresses.isEmpty()) {
            qCDebug(lcNetwork) << "analytics" << attempt->upload.event << "dropped: no address for its first hop:" << error;
            attempt->outcome(attempt->upload.event, false);
            return;
        }
        attempt->addresses = addresses;
        post(attempt);
    });
}

QNetworkRequest AnalyticsUploader::requestTo(const AnalyticsUpload &upload, const QHostAddress &address)
{
    QUrl url = upload.target;
    if (isDirect(upload.proxy))
        url.setHost(address.toString());
    QNetworkRequest request(url);
    request.setTransferTimeout(upload.timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    for (const auto &[name, value] : upload.headers)
        request.setRawHeader(name, value);
    if (!isDirect(upload.proxy))
        return request;
    // Straight to an address: the server is still named by the host's name. HTTP/1.1 carries
    // it in the Host header; HTTP/2 would take the authority from the URL, the address, and
    // drop the header, so it is not offered.
    request.setRawHeader("Host", upload.target.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toUtf8());
    request.setPeerVerifyName(upload.target.host());
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

void AnalyticsUploader::post(const std::shared_ptr<Attempt> &attempt)
{
    const AnalyticsUpload &upload = attempt->upload;
    const QHostAddress &address = attempt->addresses.at(attempt->index);
    QNetworkProxy proxy = upload.proxy;
    if (!isDirect(proxy))
        proxy.setHostName(address.toString());
    const QNetworkRequest request = requestTo(upload, address);
    m_roads->set(request.url(), proxy);
    QNetworkReply *reply = m_manager->post(request, upload.body);
    // Nobody reads the answer: its bytes are counted and dropped as they come, so no answer,
    // however long, can fill memory, and the deadline ends one that trickles on.
    ReplyGuard::hold(reply, OONetWork::MaxResponseBytes, upload.deadlineMs, ReplyGuard::Body::Discard);
    if (attempt->hasNext())
        giveUpUnlessReached(reply);
    connect(reply, &QNetworkReply::finished, this, [this, reply, attempt] { finished(reply, attempt); });
}

void AnalyticsUploader::giveUpUnlessReached(QNetworkReply *reply)
{
    // An address that takes no connection, or no handshake, (a network that drops what goes to
    // it) would hold the event until its time-out: after a while the next address is tried.
    // Once the handshake is done or the request written, the address carries the upload.
    auto *reach = new QTimer(reply);
    reach->setSingleShot(true);
    connect(reach, &QTimer::timeout, reply, [reply] {
        if (!reply->isRunning())
            return;
        reply->setProperty(kNotReached, true);
        reply->abort();
    });
    connect(reply, &QNetworkReply::encrypted, reach, &QObject::deleteLater);
    connect(reply, &QNetworkReply::requestSent, reach, &QObject::deleteLater);
    reach->start(ReachMs);
}

void AnalyticsUploader::finished(QNetworkReply *reply, const std::shared_ptr<Attempt> &attempt)
{
    reply->deleteLater();
    if (m_ending)
        return;
    const QString &event = attempt->upload.event;
    if (neverReached(reply) && attempt->hasNext()) {
        ++attempt->index;
        post(attempt);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool delivered = status >= 200 && status < 300 && !ReplyGuard::pastDeadline(reply);
    qCDebug(lcNetwork) << "analytics" << event << (delivered ? "delivered" : "dropped") << status << reply->error();
    attempt->outcome(event, delivered);
}

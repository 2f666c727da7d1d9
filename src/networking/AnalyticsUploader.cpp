#include "networking/AnalyticsUploader.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

#include "networking/HostLookup.h"
#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/ReplyGuard.h"

namespace {

// The request to one address of the upload's first hop, and the proxy it takes there.
struct Hop
{
    QNetworkRequest request;
    QNetworkProxy proxy;
};

QNetworkRequest requestTo(const QUrl &url, const AnalyticsUpload &upload)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(upload.timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    for (const auto &[name, value] : upload.headers)
        request.setRawHeader(name, value);
    return request;
}

// Straight to an address of the service: the URL names the address, and the server is still
// named by the host's name, in the Host header and in the TLS check. HTTP/1.1 carries the
// header; HTTP/2 would take the authority from the URL, the address, and drop the header, so it
// is not offered.
Hop straightTo(const AnalyticsUpload &upload, const QHostAddress &service)
{
    QUrl url = upload.target;
    url.setHost(service.toString());
    QNetworkRequest request = requestTo(url, upload);
    request.setRawHeader("Host", upload.target.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toUtf8());
    request.setPeerVerifyName(upload.target.host());
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return {request, QNetworkProxy(QNetworkProxy::NoProxy)};
}

// Through an address of the proxy: the URL keeps the service's name, which the proxy resolves and
// the TLS check meets; the proxy keeps its user and password.
Hop throughProxyAt(const AnalyticsUpload &upload, const QHostAddress &proxyAddress)
{
    QNetworkProxy proxy = upload.proxy;
    proxy.setHostName(proxyAddress.toString());
    return {requestTo(upload.target, upload), proxy};
}

// Nothing of the request reached the address, or the proxy in front of it: another of its
// addresses may be reached, and trying it sends no event twice. A reply that carried its request
// reached, whatever ended it: Qt calls any socket error it does not map "unknown", read errors
// after the request was written included.
bool neverReached(const QNetworkReply *reply)
{
    if (ReplyGuard::carried(reply))
        return false;
    if (ReplyGuard::givenUpUncarried(reply))
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

struct AnalyticsUploader::Attempt
{
    quint64 id = 0;
    AnalyticsUpload upload; // its proxy: the road it takes
    Outcome outcome;
    quint64 road = 0; // the generation of the road it took
    // The host looked up here (the proxy's, or the service's) and the request to one of its
    // addresses: which road, decided as it sets off on it.
    QString firstHop;
    Hop (*hopTo)(const AnalyticsUpload &, const QHostAddress &) = nullptr;
    quint64 lookup = 0; // the lookup of its first hop it waits for; 0: none
    QList<QHostAddress> addresses{};
    int index = 0;
    QNetworkReply *reply = nullptr; // the request under way

    bool hasNext() const { return index + 1 < addresses.size(); }
};

AnalyticsUploader::AnalyticsUploader(int reachMs)
    : m_reachMs(reachMs)
    , m_lookup(new HostLookup(this))
{
}

AnalyticsUploader::~AnalyticsUploader()
{
    m_ending = true;
    // Replies first (their finished() comes at once and reports nothing now), then the managers,
    // each of which ends its own thread, then the lookups. A reply that already has its error
    // (its handshake just failed, say) has its finished() on the way: aborting it would set a
    // second error, which Qt refuses with a warning. The manager's end takes it along unaborted.
    for (const ManagerOfARoad &each : m_managers) {
        const QList<QNetworkReply *> replies = each.manager->findChildren<QNetworkReply *>();
        for (QNetworkReply *reply : replies) {
            if (!reply->isFinished() && reply->error() == QNetworkReply::NoError)
                reply->abort();
        }
    }
    for (const ManagerOfARoad &each : m_managers)
        delete each.manager;
    m_managers.clear();
    delete m_lookup;
    m_lookup = nullptr;
    m_attempts.clear();
}

void AnalyticsUploader::send(const AnalyticsUpload &upload, Outcome outcome)
{
    const quint64 id = ++m_lastId;
    auto attempt = std::make_unique<Attempt>();
    attempt->id = id;
    attempt->upload = upload;
    attempt->outcome = std::move(outcome);
    attempt->road = m_road.generation;
    Attempt &added = *(m_attempts[id] = std::move(attempt));
    setOff(added);
}

void AnalyticsUploader::changeRoad(const std::optional<QNetworkProxy> &road)
{
    ++m_road.generation;
    m_road.proxy = road;
    // An upload whose first hop is still being looked up has not left: it takes the new road at
    // once, and the answer of its old lookup is dropped.
    std::vector<quint64> waiting;
    for (const auto &[id, attempt] : m_attempts) {
        if (attempt->lookup != 0)
            waiting.push_back(id);
    }
    for (const quint64 id : waiting) {
        const auto found = m_attempts.find(id);
        if (found != m_attempts.end())
            followRoadChange(*found->second);
    }
    dropIdleManagersOfOldRoads();
}

void AnalyticsUploader::setOff(Attempt &attempt)
{
    // Through a proxy the service's name is the proxy's to resolve: only the first hop is ours.
    const bool straight = attempt.upload.proxy.type() == QNetworkProxy::NoProxy;
    attempt.firstHop = straight ? attempt.upload.target.host() : attempt.upload.proxy.hostName();
    attempt.hopTo = straight ? &straightTo : &throughProxyAt;
    attempt.addresses.clear();
    attempt.index = 0;
    attempt.lookup = ++m_lastLookup;
    const quint64 id = attempt.id;
    const quint64 lookup = attempt.lookup;
    m_lookup->lookup(attempt.firstHop, [this, id, lookup](const QList<QHostAddress> &addresses, const QString &error) {
        lookedUp(id, lookup, addresses, error);
    });
}

void AnalyticsUploader::lookedUp(quint64 id, quint64 lookup, const QList<QHostAddress> &addresses,
                                 const QString &error)
{
    const auto found = m_attempts.find(id);
    if (found == m_attempts.end() || found->second->lookup != lookup)
        return; // it took another road meanwhile
    Attempt &attempt = *found->second;
    attempt.lookup = 0;
    if (addresses.isEmpty()) {
        qCDebug(lcNetwork) << "analytics" << attempt.upload.event << "dropped: no address for its first hop:" << error;
        report(id, false);
        return;
    }
    attempt.addresses = addresses;
    tryAddress(attempt);
}

void AnalyticsUploader::tryAddress(Attempt &attempt)
{
    // Its road is the current one here: an attempt still looking up took every change at once
    // (changeRoad()), and one given up at an address has just followed the change (finished()).
    const AnalyticsUpload &upload = attempt.upload;
    const Hop hop = attempt.hopTo(upload, attempt.addresses.at(attempt.index));
    QNetworkReply *reply = managerFor(hop.proxy)->post(hop.request, upload.body);
    attempt.reply = reply;
    // Nobody reads the answer: its bytes are counted and dropped as they come, so no answer,
    // however long, can fill memory, and the deadline ends one that trickles on.
    ReplyGuard::hold(reply, OONetWork::MaxResponseBytes, upload.deadlineMs, ReplyGuard::Body::Discard);
    // An address that takes no connection, or no handshake, (a network that drops what goes to
    // it) would hold the event until its time-out: after a while the next address is tried.
    ReplyGuard::watchCarried(reply, attempt.hasNext() ? m_reachMs : 0);
    // Qt may destroy this slot on its network thread: it holds nothing but two pointers, and the
    // attempt is found by its reply.
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void AnalyticsUploader::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (m_ending)
        return;
    Attempt *attempt = attemptOf(reply);
    if (!attempt)
        return;
    attempt->reply = nullptr;
    settle(*attempt, reply);
    dropIdleManagersOfOldRoads();
}

void AnalyticsUploader::settle(Attempt &attempt, const QNetworkReply *reply)
{
    if (neverReached(reply)) {
        // Nothing of it left: the current road where it changed (its last address too), else the
        // next address.
        if (followRoadChange(attempt) != RoadChange::GoOn)
            return;
        if (attempt.hasNext()) {
            ++attempt.index;
            tryAddress(attempt);
            return;
        }
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool delivered = status >= 200 && status < 300 && !ReplyGuard::pastDeadline(reply);
    qCDebug(lcNetwork) << "analytics" << attempt.upload.event << (delivered ? "delivered" : "dropped") << status
                       << reply->error();
    report(attempt.id, delivered);
}

AnalyticsUploader::RoadChange AnalyticsUploader::followRoadChange(Attempt &attempt)
{
    if (attempt.road == m_road.generation)
        return RoadChange::GoOn;
    attempt.road = m_road.generation;
    if (m_road.proxy && *m_road.proxy == attempt.upload.proxy)
        return RoadChange::GoOn;
    if (!m_road.proxy) {
        qCDebug(lcNetwork) << "analytics" << attempt.upload.event << "dropped: no road to the service since it changed";
        report(attempt.id, false);
        return RoadChange::Dropped;
    }
    qCDebug(lcNetwork) << "analytics" << attempt.upload.event << "takes the road that changed before it left";
    attempt.upload.proxy = *m_road.proxy;
    setOff(attempt);
    return RoadChange::SetOffAgain;
}

QNetworkAccessManager *AnalyticsUploader::managerFor(const QNetworkProxy &proxy)
{
    for (ManagerOfARoad &each : m_managers) {
        if (each.proxy == proxy) {
            each.road = m_road.generation;
            return each.manager;
        }
    }
    auto *manager = new QNetworkAccessManager(this);
    manager->setProxy(proxy);
    // The event carries the signed headers and the token: never let a redirect take them on.
    manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_managers.push_back({proxy, manager, m_road.generation});
    return manager;
}

void AnalyticsUploader::dropIdleManagersOfOldRoads()
{
    const auto goes = [this](const ManagerOfARoad &each) {
        if (each.road == m_road.generation)
            return false;
        for (const auto &[id, attempt] : m_attempts) {
            if (attempt->reply && attempt->reply->manager() == each.manager)
                return false;
        }
        return true;
    };
    for (auto it = m_managers.begin(); it != m_managers.end();) {
        if (!goes(*it)) {
            ++it;
            continue;
        }
        // Later, not here: this may run inside the finished() of a reply of its own.
        it->manager->deleteLater();
        it = m_managers.erase(it);
    }
}

AnalyticsUploader::Attempt *AnalyticsUploader::attemptOf(const QNetworkReply *reply)
{
    for (const auto &[id, attempt] : m_attempts) {
        if (attempt->reply == reply)
            return attempt.get();
    }
    return nullptr;
}

void AnalyticsUploader::report(quint64 id, bool delivered)
{
    const auto found = m_attempts.find(id);
    if (found == m_attempts.end())
        return;
    const std::unique_ptr<Attempt> attempt = std::move(found->second);
    m_attempts.erase(found);
    attempt->outcome(attempt->upload.event, delivered);
}

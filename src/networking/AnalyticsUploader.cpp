#include "networking/AnalyticsUploader.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

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
    AnalyticsUpload upload;
    Outcome outcome;
    // The host looked up here (the proxy's, or the service's) and the request to one of its
    // addresses: which road, decided once.
    QString firstHop;
    Hop (*hopTo)(const AnalyticsUpload &, const QHostAddress &);
    QList<QHostAddress> addresses{}; // once looked up
    int index = 0;

    bool hasNext() const { return index + 1 < addresses.size(); }
};

AnalyticsUploader::AnalyticsUploader(int reachMs)
    : m_reachMs(reachMs)
    , m_lookup(new HostLookup(this))
    , m_manager(new QNetworkAccessManager(this))
{
    // The event carries the signed headers and the token: never let a redirect take them on.
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

AnalyticsUploader::~AnalyticsUploader()
{
    m_ending = true;
    m_waiting.clear();
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

void AnalyticsUploader::send(const AnalyticsUpload &upload, Outcome outcome)
{
    // Through a proxy the service's name is the proxy's to resolve: only the first hop is ours.
    const bool straight = upload.proxy.type() == QNetworkProxy::NoProxy;
    m_waiting.push_back(std::make_shared<Attempt>(Attempt{
        .upload = upload,
        .outcome = std::move(outcome),
        .firstHop = straight ? upload.target.host() : upload.proxy.hostName(),
        .hopTo = straight ? &straightTo : &throughProxyAt,
    }));
    if (!m_busy)
        sendNext();
}

void AnalyticsUploader::sendNext()
{
    m_busy = !m_waiting.empty();
    if (!m_busy)
        return;
    const std::shared_ptr<Attempt> attempt = m_waiting.front();
    m_waiting.pop_front();
    m_lookup->lookup(attempt->firstHop, [this, attempt](const QList<QHostAddress> &addresses, const QString &error) {
        if (addresses.isEmpty()) {
            qCDebug(lcNetwork) << "analytics" << attempt->upload.event << "dropped: no address for its first hop:" << error;
            report(*attempt, false);
            return;
        }
        attempt->addresses = addresses;
        tryAddress(attempt);
    });
}

void AnalyticsUploader::tryAddress(const std::shared_ptr<Attempt> &attempt)
{
    const AnalyticsUpload &upload = attempt->upload;
    const Hop hop = attempt->hopTo(upload, attempt->addresses.at(attempt->index));
    // The manager asks for its proxy as the request gets under way: no other request is made
    // before that, one upload being under way at a time.
    m_manager->setProxy(hop.proxy);
    QNetworkReply *reply = m_manager->post(hop.request, upload.body);
    // Nobody reads the answer: its bytes are counted and dropped as they come, so no answer,
    // however long, can fill memory, and the deadline ends one that trickles on.
    ReplyGuard::hold(reply, OONetWork::MaxResponseBytes, upload.deadlineMs, ReplyGuard::Body::Discard);
    // An address that takes no connection, or no handshake, (a network that drops what goes to
    // it) would hold the event until its time-out: after a while the next address is tried.
    ReplyGuard::watchCarried(reply, attempt->hasNext() ? m_reachMs : 0);
    connect(reply, &QNetworkReply::finished, this, [this, reply, attempt] { finished(reply, attempt); });
}

void AnalyticsUploader::finished(QNetworkReply *reply, const std::shared_ptr<Attempt> &attempt)
{
    reply->deleteLater();
    if (m_ending)
        return;
    if (neverReached(reply) && attempt->hasNext()) {
        ++attempt->index;
        tryAddress(attempt);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool delivered = status >= 200 && status < 300 && !ReplyGuard::pastDeadline(reply);
    qCDebug(lcNetwork) << "analytics" << attempt->upload.event << (delivered ? "delivered" : "dropped") << status
                       << reply->error();
    report(*attempt, delivered);
}

void AnalyticsUploader::report(const Attempt &attempt, bool delivered)
{
    attempt.outcome(attempt.upload.event, delivered);
    sendNext();
}

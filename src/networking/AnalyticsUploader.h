#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class HostLookup;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One analytics event ready to send: the envelope, its signed headers and the road to the
// service, all made on the GUI thread, so that the uploading thread reads nothing of the
// program's shared objects.
struct AnalyticsUpload
{
    QString event;
    QUrl target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // The proxy the client's own requests to `target` take; NoProxy: straight there.
    QNetworkProxy proxy{QNetworkProxy::NoProxy};
    // The silence after which the upload is given up, and its whole deadline (those of the
    // client's API requests).
    int timeoutMs = 15000;
    int deadlineMs = 30000;
};

// Sends analytics events from the thread it lives on (the analytics worker), on the road the
// client's own requests take, without asking anything that outlives it:
// - through a proxy, the request names the host and the proxy resolves it: only the proxy's own
//   host is looked up here;
// - straight to the service, the host is looked up here and the request goes to the addresses
//   found, the next one where one cannot be reached. The name still names the server: in the
//   Host header and in the TLS check, and the request speaks HTTP/1.1, since HTTP/2 names the
//   server from the address in the URL.
// Lookups go through HostLookup, never Qt's pool, which the application waits for as it goes.
//
// When the uploader goes, the lookups and requests under way end with it, on its own thread,
// and its network manager ends the manager's own thread. That thread is Qt's and is waited for,
// not joined: its thread-exit clean-up may still run as the program ends, which
// ProcessTeardown::keepOpenSslToTheEnd() makes safe.
class AnalyticsUploader : public QObject
{
    Q_OBJECT
public:
    // `event`, and whether a 2xx answer came.
    using Outcome = std::function<void(const QString &event, bool delivered)>;

    explicit AnalyticsUploader(QObject *parent = nullptr);
    // Aborts every upload under way (their outcomes are not reported) and ends the lookups.
    ~AnalyticsUploader() override;

    // The proxy Qt gives the client's own request to `target` (the application's proxy, else the
    // system's configuration: environment, desktop settings), as the client's network manager
    // picks it; nothing when none of those offered can carry the request. May wait for the
    // system's proxy query: call it where the client makes its own requests, never here.
    static std::optional<QNetworkProxy> proxyFor(const QUrl &target);

    // Looks the first hop up and posts; `outcome` comes later, from this object's thread, unless
    // the uploader went first.
    void send(const AnalyticsUpload &upload, Outcome outcome);

    // How long an address may take to carry the request (the TLS handshake done, or the request
    // written) before the next one is tried. The last address gets the upload's whole time.
    static constexpr int ReachMs = 5000;

private:
    struct Attempt;
    class RoadBook;

    // Posts to the attempt's current address; on to the next when it cannot be reached.
    void post(const std::shared_ptr<Attempt> &attempt);
    void finished(QNetworkReply *reply, const std::shared_ptr<Attempt> &attempt);
    static QNetworkRequest requestTo(const AnalyticsUpload &upload, const QHostAddress &address);
    static void giveUpUnlessReached(QNetworkReply *reply);

    HostLookup *m_lookup;
    QNetworkAccessManager *m_manager;
    RoadBook *m_roads; // owned by the manager
    bool m_ending = false;
};

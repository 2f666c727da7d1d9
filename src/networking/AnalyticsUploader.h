#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

class HostLookup;
class QNetworkAccessManager;
class QNetworkReply;

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
    // The silence after which the upload is given up, and its whole deadline; 0: none. The
    // sealer gives those of the client's API requests.
    int timeoutMs = 0;
    int deadlineMs = 0;
};

// Sends analytics events from the thread it lives on (the analytics worker), on the road the
// client's own requests take, without asking anything that outlives it:
// - through a proxy, the request names the host and the proxy resolves it: only the proxy's own
//   host is looked up here;
// - straight to the service, the host is looked up here and the request goes to the addresses
//   found, the next one where one cannot be reached. The name still names the server: in the
//   Host header and in the TLS check, and the request speaks HTTP/1.1, since HTTP/2 names the
//   server from the address in the URL.
// Through a proxy with several addresses, the next is tried the same way. Either way an address
// that carried the request (the TLS handshake done, or the request written) is never left for
// the next: no event is sent twice.
// Lookups go through HostLookup, never Qt's pool, which the application waits for as it goes.
//
// One upload is under way at a time, the others wait their turn: the network manager takes its
// proxy when a request gets under way, not when it is made, so the proxy set just before each
// request is that request's only while no other request is made meanwhile.
//
// When the uploader goes, the lookups and requests under way end with it, on its own thread,
// what waits is dropped, and its network manager ends the manager's own thread. That thread is
// Qt's and is waited for, not joined: its thread-exit clean-up may still run as the program
// ends, which ProcessTeardown::keepOpenSslToTheEnd() makes safe.
class AnalyticsUploader : public QObject
{
    Q_OBJECT
public:
    // `event`, and whether a 2xx answer came.
    using Outcome = std::function<void(const QString &event, bool delivered)>;

    // How long an address may take to carry the request (the TLS handshake done, or the request
    // written) before the next one is tried. The last address gets the upload's whole time.
    static constexpr int ReachMs = 5000;

    explicit AnalyticsUploader(int reachMs = ReachMs);
    // Aborts the upload under way and drops those waiting (their outcomes are not reported), and
    // ends the lookups.
    ~AnalyticsUploader() override;

    // Sends `upload` once those before it ended; `outcome` comes later, from this object's
    // thread, unless the uploader went first.
    void send(const AnalyticsUpload &upload, Outcome outcome);

private:
    struct Attempt;

    void sendNext();
    // Posts to the attempt's current address; on to the next when it cannot be reached.
    void tryAddress(const std::shared_ptr<Attempt> &attempt);
    void finished(QNetworkReply *reply, const std::shared_ptr<Attempt> &attempt);
    void report(const Attempt &attempt, bool delivered);

    const int m_reachMs;
    HostLookup *m_lookup;
    QNetworkAccessManager *m_manager;
    std::deque<std::shared_ptr<Attempt>> m_waiting;
    bool m_busy = false;
    bool m_ending = false;
};

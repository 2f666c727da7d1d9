#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class HostLookup;
class QHostAddress;
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
    // The proxy the client's own requests to `target` took as the event was sealed; NoProxy:
    // straight there. The uploader gives it up for a newer road told before the upload leaves.
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
// Every upload sets off as it comes: none waits for another, so events made together meet a dead
// address side by side, not one after the other. Each road (a proxy, or none) has a network
// manager of its own, whose proxy never changes: Qt reads a manager's proxy as a request gets
// under way, which for a POST may come after post() returned, so one manager whose proxy is set
// before each post would rest on when Qt starts each request; with one for each road, no start,
// retry or queueing in Qt can put a request on another road. A manager of a road no longer
// current goes as soon as no request of its own is under way (at the change, or as its last
// request ends), its idle connections with it: however often the road changes, the managers kept
// are the current road's and those still carrying a request.
//
// An upload takes the road that holds when it leaves, not the one of when it was tracked: the
// road is told here at each change (changeRoad()), and an upload that has not left yet (its first
// hop still being looked up, or on to its next address: nothing of it was carried) takes the new
// road from its first hop. A request already on its way keeps its road while it may still carry
// the event: leaving it for the new road could send the event twice.
//
// When the uploader goes, the lookups and requests under way end with it, on its own thread,
// nothing is reported, and its network managers end the managers' own threads. Those threads
// are Qt's and are waited for, not joined: their thread-exit clean-up may still run as the
// program ends, which ProcessTeardown::keepOpenSslToTheEnd() makes safe.
class AnalyticsUploader : public QObject
{
    Q_OBJECT
public:
    // `event`, and whether a 2xx answer came.
    using Outcome = std::function<void(const QString &event, bool delivered)>;

    // How long an address may take to carry the request (the TLS handshake done, or the request
    // written) before the next one is tried. The last address gets the upload's whole time-out.
    static constexpr int ReachMs = 5000;

    explicit AnalyticsUploader(int reachMs = ReachMs);
    // Aborts the uploads under way (their outcomes are not reported) and ends the lookups.
    ~AnalyticsUploader() override;

    // Sends `upload` by its own road, which is the current one; `outcome` comes later, from this
    // object's thread, unless the uploader went first.
    void send(const AnalyticsUpload &upload, Outcome outcome);
    // The road the client's own requests to the service take from now on: a proxy (NoProxy:
    // straight there), or none that can carry them, which drops the uploads that have not left.
    void changeRoad(const std::optional<QNetworkProxy> &road);

private:
    struct Attempt;
    struct Road
    {
        quint64 generation = 0;
        // The last one changeRoad() told; none: none can carry the uploads (or no change yet).
        std::optional<QNetworkProxy> proxy;
    };

    // Looks the first hop of the attempt's road up, then tries its addresses.
    void setOff(Attempt &attempt);
    void lookedUp(quint64 id, quint64 lookup, const QList<QHostAddress> &addresses, const QString &error);
    // Posts to the attempt's current address, which is on the current road; on to the next when
    // it cannot be reached.
    void tryAddress(Attempt &attempt);
    void finished(QNetworkReply *reply);
    // The attempt's outcome once `reply` ended: the next address, or the current road where it
    // changed and nothing was carried, or its report.
    void settle(Attempt &attempt, const QNetworkReply *reply);
    enum class RoadChange
    {
        GoOn, // no change since it set off, or the change gave the same road
        SetOffAgain, // it takes the current road from its first hop
        Dropped, // none can carry it now: reported as dropped
    };
    // Has the attempt follow a change of road told since it set off. The attempt is gone (erased,
    // or restarted with nothing of its request left) unless GoOn: read nothing of it then.
    RoadChange followRoadChange(Attempt &attempt);
    QNetworkAccessManager *managerFor(const QNetworkProxy &proxy);
    // Lets the managers go that no request used since the road last changed and that carry none.
    void dropIdleManagersOfOldRoads();
    Attempt *attemptOf(const QNetworkReply *reply);
    void report(quint64 id, bool delivered);

    const int m_reachMs;
    HostLookup *m_lookup;
    struct ManagerOfARoad
    {
        QNetworkProxy proxy; // never set another
        QNetworkAccessManager *manager = nullptr;
        quint64 road = 0; // the road's generation of its last request
    };
    // One for each road in use.
    std::vector<ManagerOfARoad> m_managers;
    // Owned here and found by id or reply: nothing Qt may destroy on its own threads (a slot
    // connected to a reply) holds a part of them.
    std::map<quint64, std::unique_ptr<Attempt>> m_attempts;
    quint64 m_lastId = 0;
    quint64 m_lastLookup = 0;
    Road m_road;
    bool m_ending = false;
};

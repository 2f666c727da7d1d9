#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class HostLookup;
class QNetworkAccessManager;
class QNetworkReply;

// One analytics event ready to send: the envelope and its signed headers, all made on the GUI
// thread, so that the uploading thread reads nothing of the program's shared objects.
struct AnalyticsUpload
{
    QString event;
    QUrl target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

// Sends analytics events from the thread it lives on (the analytics worker). The host is looked
// up through HostLookup and the request goes straight to the addresses found, the next one when
// one cannot be reached, without the system proxy's query (libproxy, on a thread of Qt's,
// possibly downloading a proxy script); the name still names the server in the Host header and
// in the TLS check.
//
// Whatever is under way when the uploader goes (lookups, requests, the network manager's own
// thread) ends with it, on its own thread: nothing of an upload outlives it.
class AnalyticsUploader : public QObject
{
    Q_OBJECT
public:
    // `event`, and whether a 2xx answer came.
    using Outcome = std::function<void(const QString &event, bool delivered)>;

    explicit AnalyticsUploader(QObject *parent = nullptr);
    // Aborts every upload under way (their outcomes are not reported) and ends the lookups.
    ~AnalyticsUploader() override;

    // Looks the host up and posts; `outcome` comes later, from this object's thread, unless the
    // uploader went first.
    void send(const AnalyticsUpload &upload, Outcome outcome);

private:
    // Posts to addresses[index]; on to the next when it cannot be reached.
    void post(const AnalyticsUpload &upload, const QList<QHostAddress> &addresses, int index, const Outcome &outcome);

    HostLookup *m_lookup;
    QNetworkAccessManager *m_manager;
    bool m_ending = false;
};

#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;
class QTimer;
struct ares_addrinfo;
struct ares_channeldata;

// Name lookups on the event loop of the thread that owns the object, through c-ares: a few
// sockets and a timer, no thread of their own, and all of them ended at once when the object
// goes.
//
// Qt looks names up with the system resolver on a thread pool of its own, and the application
// object waits for that pool as it goes: a program that ends while a lookup hangs (offline, or
// behind a resolver that does not answer) waits seconds for an answer nobody needs, and whatever
// is still running then meets the statics as they go. Work that may still be under way when the
// program ends (the analytics uploads) looks its hosts up here instead.
//
// c-ares reads the hosts file and the resolver configuration (/etc/hosts, /etc/resolv.conf,
// RES_OPTIONS) for the servers, the search domains and ndots as the system resolver does, but not
// for how long to wait: c-ares 1.18 ignores `options timeout:` and `attempts:` (it takes only
// names of its own, `retrans:` and `retry:`), so a lookup that gets no answer gives up when
// c-ares's defaults say (with one server, 4 tries of 5, 10, 20 and 40 s: 75 s), whatever the
// system's resolver is told. Other name services of the system's (mDNS, say) are not asked.
class HostLookup : public QObject
{
    Q_OBJECT
public:
    // The addresses of a host, in the resolver's order of preference; none, and why.
    using Completion = std::function<void(const QList<QHostAddress> &addresses, const QString &error)>;

    explicit HostLookup(QObject *parent = nullptr);
    // Ends every lookup under way; their completions are never called.
    ~HostLookup() override;

    // Looks `host` up and answers once, later, from this object's event loop. An address literal
    // answers with itself.
    void lookup(const QString &host, Completion completion);
    // Lookups under way.
    int pending() const { return m_pending; }

    // The servers lookups made from now on ask ("127.0.0.1:5353", comma separated) instead of
    // those of the system's configuration; empty: the system's again. Lookups against these ask
    // once and wait ten minutes for the answer, so that a test whose resolver never answers can
    // tell an end that is prompt from one that waits for the lookup by a bound alone, whatever
    // c-ares's own give-up. For tests.
    static void setServersForTesting(const QString &servers);

private:
    struct Request;

    static void socketStateChanged(void *data, int socket, int readable, int writable);
    static void answered(void *data, int status, int timeouts, ares_addrinfo *result);
    void openChannel();
    int initChannel(bool forTestServers);
    void closeChannel();
    void watch(int socket, bool readable, bool writable);
    void process(int readSocket, int writeSocket);
    void scheduleTimeout();
    void finish(Request *request, const QList<QHostAddress> &addresses, const QString &error);

    ares_channeldata *m_channel = nullptr;
    QString m_setupError; // why there is no channel
    struct Watch
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };
    QHash<int, Watch> m_watches;
    QTimer *m_timeout = nullptr;
    int m_pending = 0;
    bool m_ending = false;
};

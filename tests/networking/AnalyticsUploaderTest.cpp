// The analytics uploader on a thread of the test's own, against servers and proxies of the test's
// own on loopback: straight to the service the host is looked up by the resolver it is given and
// the event goes to an address found (the next one where one refuses or never answers, never
// where one carried it, whatever then ended it) with the server named by the host's name, over
// HTTPS too; through a proxy the proxy resolves the name and gets its user and password; each
// upload takes its own road, and events made together meet a dead address side by side; a server
// whose certificate names another host gets nothing; whatever is under way ends with the
// uploader. Uploads that have not left when the road changes (still looking their first hop up,
// giving an address up, or refused at their last) take the new road; through the analytics
// manager, so do events tracked before the client's road changes. An old road's idle connection
// goes with the change.
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "common/WorkerThread.h"
#include "networking/AnalyticsUploader.h"
#include "networking/ApplicationProxy.h"
#include "networking/HostLookup.h"
#include "networking/XSAnalyticsManager.h"
#include "support/HttpsPeer.h"
#include "support/NetworkTestSupport.h"
#include "support/TinyResolver.h"

namespace {

// An HTTP server that keeps the head and body of the one request it gets, and answers 204 when
// told to (else it holds the request open), closing the connection unless told to keep it.
class TinyCollector
{
public:
    enum class Connection
    {
        Close,
        KeepAlive,
    };
    explicit TinyCollector(bool answers, const QHostAddress &host = QHostAddress::LocalHost,
                           Connection connection = Connection::Close)
        : m_answers(answers)
        , m_keepAlive(connection == Connection::KeepAlive)
    {
        m_listening = m_server.listen(host, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }
    bool isListening() const { return m_listening; }
    QString errorText() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray request() const { return m_request; }
    bool complete() const { return m_request.contains("\r\n\r\n") && m_request.endsWith("{\"e\":1}"); }
    bool closedByClient() const { return m_closed; }

private:
    void accept()
    {
        QTcpSocket *socket = m_server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            m_request += socket->readAll();
            if (complete() && m_answers)
                socket->write(m_keepAlive ? "HTTP/1.1 204 No Content\r\n\r\n"
                                          : "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { m_closed = true; });
    }

    QTcpServer m_server;
    bool m_listening = false;
    bool m_answers;
    bool m_keepAlive;
    QByteArray m_request;
    bool m_closed = false;
};

// A door in front of a server, on loopback: it takes every connection and holds it silent (an
// address whose network drops what goes to it never answers a handshake either) until it is
// opened, and then passes the bytes both ways. spoil() sends each client bytes that no TLS peer
// can read, as a broken middlebox would, whatever the server already took.
class Doorway
{
public:
    explicit Doorway(const QHostAddress &host)
    {
        m_listening = m_server.listen(host, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { take(); });
    }
    bool isListening() const { return m_listening; }
    QString errorText() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }
    // The connections taken so far.
    int taken() const { return int(m_clients.size()); }

    void openTo(const QHostAddress &host, quint16 port)
    {
        m_to = host;
        m_toPort = port;
        for (QTcpSocket *client : std::as_const(m_clients))
            pass(client);
    }
    void spoil()
    {
        for (QTcpSocket *client : std::as_const(m_clients))
            client->write("HTTP/1.1 500 Not a TLS record\r\n\r\n");
    }

private:
    void take()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection()) {
            m_clients << client;
            if (m_toPort != 0)
                pass(client);
        }
    }
    void pass(QTcpSocket *client)
    {
        auto *server = new QTcpSocket(client);
        QObject::connect(client, &QTcpSocket::readyRead, server,
                         [client, server] { server->write(client->readAll()); });
        QObject::connect(server, &QTcpSocket::readyRead, client,
                         [client, server] { client->write(server->readAll()); });
        QObject::connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
        QObject::connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        server->connectToHost(m_to, m_toPort);
        // What came while the door was shut goes on once the server is reached.
        server->write(client->readAll());
    }

    QTcpServer m_server;
    bool m_listening = false;
    QList<QTcpSocket *> m_clients; // children of the server
    QHostAddress m_to;
    quint16 m_toPort = 0;
};

// A SOCKS5 listener on loopback, as the engine's listener the client points at while connected:
// it greets every client and holds its request to connect unanswered until told to refuse them
// all, as a listener does whose engine can no longer reach the service (reply 5, "connection
// refused": nothing of the request went on).
class SocksListener
{
public:
    explicit SocksListener(const QHostAddress &host)
    {
        m_listening = m_server.listen(host, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { take(); });
    }
    bool isListening() const { return m_listening; }
    QString errorText() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }
    // The requests to connect held so far.
    int asked() const { return int(m_asking.size()); }

    void refuseAll()
    {
        static const char kRefused[] = {5, 5, 0, 1, 0, 0, 0, 0, 0, 0};
        for (QTcpSocket *client : std::as_const(m_asking))
            client->write(kRefused, sizeof kRefused);
    }

private:
    void take()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection())
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] { read(client); });
    }
    // The greeting (version, the count of methods, the methods) gets "no authentication"; the
    // bytes after it are the request to connect.
    void read(QTcpSocket *client)
    {
        QByteArray &seen = m_seen[client];
        seen += client->readAll();
        if (!m_greeted.contains(client)) {
            if (seen.size() < 2 || seen.size() < 2 + quint8(seen.at(1)))
                return;
            seen.remove(0, 2 + quint8(seen.at(1)));
            m_greeted << client;
            client->write(QByteArray("\x05\x00", 2));
        }
        if (seen.size() >= 4 && !m_asking.contains(client))
            m_asking << client;
    }

    QTcpServer m_server;
    bool m_listening = false;
    QHash<QTcpSocket *, QByteArray> m_seen; // the sockets: children of the server
    QList<QTcpSocket *> m_greeted;
    QList<QTcpSocket *> m_asking;
};

const QString kEvent = QStringLiteral("homePage_show");
// Short, so that a case with an address that never answers waits little; a handshake slower than
// this on a busy machine only moves an event on to the next address.
constexpr int kReachMs = 1000;
// Far beyond any bound here: an address given this long is never left within a case.
constexpr int kLongReachMs = 10 * 60 * 1000;
// The uploads' own patience: far beyond what any case here waits for.
constexpr int kPatienceMs = 60000;
// Bounds against a hang, never the measure of a pass.
constexpr int kBoundMs = 60000;

AnalyticsUpload upload(quint16 port, const QString &scheme = QStringLiteral("http"),
                       const QNetworkProxy &proxy = QNetworkProxy::NoProxy, const QString &event = kEvent)
{
    return AnalyticsUpload{
        .event = event,
        .target = QUrl(QStringLiteral("%1://%2:%3/api/log/v1/client/actionTrack")
                           .arg(scheme, HttpsPeer::certifiedName())
                           .arg(port)),
        .headers = {{"sign", "abc"}},
        .body = "{\"e\":1}",
        .proxy = proxy,
        .timeoutMs = kPatienceMs,
        .deadlineMs = kPatienceMs,
    };
}

// Whether nothing listens on `port` of `host`: an address there refuses.
bool refuses(const QHostAddress &host, quint16 port)
{
    QTcpServer probe;
    return probe.listen(host, port);
}

QString linesOf(HttpsPeer &peer)
{
    return peer.seen().join(QLatin1Char('\n'));
}

// An uploader on a worker thread, made and deleted there, as the analytics manager keeps it.
class UploaderOnAThread
{
public:
    explicit UploaderOnAThread(int reachMs = kReachMs)
        : m_worker(QStringLiteral("test-analytics"))
        , m_reachMs(reachMs)
    {
    }
    ~UploaderOnAThread() { end(); }

    // Sends every one of `uploads` in one task of the worker's, as the manager sends what was
    // tracked at once.
    void send(const QList<AnalyticsUpload> &uploads)
    {
        m_worker.post([this, uploads] {
            if (!m_uploader)
                m_uploader = std::make_unique<AnalyticsUploader>(m_reachMs);
            for (const AnalyticsUpload &each : uploads)
                m_uploader->send(each, [this](const QString &event, bool delivered) { note(event, delivered); });
        });
    }
    // As the analytics manager tells it, behind what was sent before.
    void changeRoad(const std::optional<QNetworkProxy> &road)
    {
        m_worker.post([this, road] { m_uploader->changeRoad(road); });
    }
    void end()
    {
        m_worker.stop([this] { m_uploader.reset(); });
    }
    // -1 while no outcome of `event` came; 1 delivered; 0 dropped.
    int delivered(const QString &event = kEvent) const
    {
        QMutexLocker lock(&m_mutex);
        return m_outcomes.value(event, -1);
    }

private:
    void note(const QString &event, bool delivered)
    {
        QMutexLocker lock(&m_mutex);
        m_outcomes.insert(event, delivered ? 1 : 0);
    }

    WorkerThread m_worker;
    const int m_reachMs;
    std::unique_ptr<AnalyticsUploader> m_uploader; // lives on the worker
    mutable QMutex m_mutex;
    QHash<QString, int> m_outcomes;
};

class AnalyticsUploaderTest : public ::testing::Test
{
protected:
    // The test servers' certificates are trusted as public ones would be: one made out to
    // another name is refused for the name alone.
    void SetUp() override
    {
        m_defaultTls = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = m_defaultTls;
        trusting.addCaCertificates(QSslCertificate::fromPath(HttpsPeer::certificateFile()));
        trusting.addCaCertificates(QSslCertificate::fromPath(HttpsPeer::otherCertificateFile()));
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    void TearDown() override
    {
        HostLookup::setServersForTesting({});
        QSslConfiguration::setDefaultConfiguration(m_defaultTls);
    }

private:
    QSslConfiguration m_defaultTls;
};

const QHostAddress kFirst(QStringLiteral("127.0.0.1"));
const QHostAddress kSecond(QStringLiteral("127.0.0.2"));
const QHostAddress kThird(QStringLiteral("127.0.0.3"));

} // namespace

TEST_F(AnalyticsUploaderTest, AnEventReachesAnAddressFoundWithItsHostNamedAsGiven)
{
    // The first address found refuses: the next one is tried.
    TinyCollector collector(true, kSecond);
    ASSERT_TRUE(collector.isListening()) << qPrintable(collector.errorText());
    ASSERT_TRUE(refuses(kFirst, collector.port()));
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send({upload(collector.port())});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 1);
    const QByteArray request = collector.request();
    EXPECT_TRUE(request.startsWith("POST /api/log/v1/client/actionTrack HTTP/1.1\r\n")) << request.constData();
    EXPECT_TRUE(request.contains(QStringLiteral("\r\nHost: api.ostrel.test:%1\r\n").arg(collector.port()).toUtf8()))
        << request.constData();
    EXPECT_TRUE(request.contains("\r\nsign: abc\r\n")) << request.constData();
    EXPECT_GE(resolver.questions(), 1);
}

TEST_F(AnalyticsUploaderTest, AHostWithoutAnAddressDropsTheEvent)
{
    TinyResolver resolver({});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send({upload(9)});
    QTRY_COMPARE_WITH_TIMEOUT(uploader.delivered(), 0, kBoundMs);
}

TEST_F(AnalyticsUploaderTest, EndingTheUploaderEndsItsRequestAndReportsNothing)
{
    TinyCollector collector(false);
    ASSERT_TRUE(collector.isListening()) << qPrintable(collector.errorText());
    TinyResolver resolver({kFirst});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send({upload(collector.port())});
    QTRY_VERIFY_WITH_TIMEOUT(collector.complete(), kBoundMs);

    uploader.end();
    QTRY_VERIFY_WITH_TIMEOUT(collector.closedByClient(), kBoundMs);
    EXPECT_EQ(uploader.delivered(), -1);
}

// The first address takes the connection and never answers the TLS handshake (a network that
// drops what goes there would hold it as long): after a while the next address carries the event.
// The server there offers HTTP/2, whose request names the server from the URL, and takes only
// requests addressed to its name: it must still be named by it, its certificate checked against
// it. A server there whose certificate names another host gets nothing.
TEST_F(AnalyticsUploaderTest, AnAddressThatNeverAnswersGivesWayToTheNext)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(kFirst, 0));
    holder.pauseAccepting();
    const auto server = HttpsPeer::server(kSecond, holder.serverPort());
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    const auto impostor = HttpsPeer::impostor(kSecond);
    ASSERT_TRUE(impostor->isListening()) << qPrintable(impostor->errorText());
    ASSERT_TRUE(refuses(kFirst, impostor->port()));
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QString toImpostor = QStringLiteral("to_impostor");
    uploader.send({upload(server->port(), QStringLiteral("https")),
                   upload(impostor->port(), QStringLiteral("https"), QNetworkProxy::NoProxy, toImpostor)});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1 && uploader.delivered(toImpostor) != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(linesOf(*server));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
    EXPECT_EQ(uploader.delivered(toImpostor), 0) << qPrintable(linesOf(*impostor));
    EXPECT_EQ(impostor->count(QStringLiteral("taken")), 0);
}

// The first address's server takes each event and answers only well after the reach time: it
// carried the event, which the next address, a server too, must never get. The first event
// carries it once the handshake is done, the second, sent once the first was answered, on the
// connection the first left open, once it is written.
TEST_F(AnalyticsUploaderTest, AnEventCarriedIsSentOnceHoweverLateTheAnswer)
{
    const auto slow = HttpsPeer::server(kFirst, 0, 2 * kReachMs);
    ASSERT_TRUE(slow->isListening()) << qPrintable(slow->errorText());
    const auto next = HttpsPeer::server(kSecond, slow->port());
    ASSERT_TRUE(next->isListening()) << qPrintable(next->errorText());
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QString first = QStringLiteral("first");
    const QString second = QStringLiteral("second");
    uploader.send({upload(slow->port(), QStringLiteral("https"), QNetworkProxy::NoProxy, first)});
    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered(first) != -1, kBoundMs);
    uploader.send({upload(slow->port(), QStringLiteral("https"), QNetworkProxy::NoProxy, second)});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered(second) != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(first), 1);
    EXPECT_EQ(uploader.delivered(second), 1);
    EXPECT_EQ(slow->count(QStringLiteral("taken")) + next->count(QStringLiteral("taken")), 2)
        << "first address:\n" << qPrintable(linesOf(*slow)) << "\nnext:\n" << qPrintable(linesOf(*next));
}

// The first address's server takes the event, and then the client reads bytes there that are no
// TLS record (Qt ends such a reply with an "unknown network error", as it ends one that never got
// through): the event reached a server, and the next address must never get it.
TEST_F(AnalyticsUploaderTest, AnEventCarriedIsSentOnceWhateverEndsIt)
{
    const auto taker = HttpsPeer::server(kFirst, 0, kPatienceMs);
    ASSERT_TRUE(taker->isListening()) << qPrintable(taker->errorText());
    Doorway door(kFirst);
    ASSERT_TRUE(door.isListening()) << qPrintable(door.errorText());
    door.openTo(kFirst, taker->port());
    const auto next = HttpsPeer::server(kSecond, door.port());
    ASSERT_TRUE(next->isListening()) << qPrintable(next->errorText());
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send({upload(door.port(), QStringLiteral("https"))});
    QTRY_COMPARE_WITH_TIMEOUT(taker->count(QStringLiteral("taken")), 1, kBoundMs);

    door.spoil();
    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 0);
    EXPECT_EQ(next->count(QStringLiteral("taken")), 0) << qPrintable(linesOf(*next));
}

// Three events made together, their service's first address holding every connection without a
// word: they meet it side by side, none waiting for another's give-up there (which would take the
// uploader's reach time, far longer than this case waits), and they all go on once it answers.
TEST_F(AnalyticsUploaderTest, EventsMadeTogetherMeetADeadAddressSideBySide)
{
    Doorway door(kFirst);
    ASSERT_TRUE(door.isListening()) << qPrintable(door.errorText());
    const auto server = HttpsPeer::server(kFirst);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    const auto next = HttpsPeer::server(kSecond, door.port());
    ASSERT_TRUE(next->isListening()) << qPrintable(next->errorText());
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader(kLongReachMs);
    const QStringList events{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
    QList<AnalyticsUpload> uploads;
    for (const QString &event : events)
        uploads << upload(door.port(), QStringLiteral("https"), QNetworkProxy::NoProxy, event);
    uploader.send(uploads);

    QTRY_COMPARE_WITH_TIMEOUT(door.taken(), 3, kBoundMs);
    door.openTo(kFirst, server->port());
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(events.begin(), events.end(),
                                         [&](const QString &event) { return uploader.delivered(event) != -1; }),
                             kBoundMs);
    for (const QString &event : events)
        EXPECT_EQ(uploader.delivered(event), 1) << qPrintable(event);
    EXPECT_EQ(server->count(QStringLiteral("taken")), 3) << qPrintable(linesOf(*server));
    EXPECT_EQ(next->count(QStringLiteral("taken")), 0) << qPrintable(linesOf(*next));
}

// Through a proxy the service's name is the proxy's to resolve: only the proxy's own name is
// looked up here, and the request reaches the service through it, named by the host's name. The
// proxy asks for a password, which the upload's proxy carries. A server beyond it whose
// certificate names another host gets nothing.
TEST_F(AnalyticsUploaderTest, ThroughAProxyTheProxyResolvesTheServicesName)
{
    const auto server = HttpsPeer::server(kSecond);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    ASSERT_TRUE(refuses(kFirst, server->port()));
    const auto impostor = HttpsPeer::impostor(kSecond);
    ASSERT_TRUE(impostor->isListening()) << qPrintable(impostor->errorText());
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), kSecond.toString()}},
                                        QStringLiteral("analytics:s3cret"));
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    // Any name looked up here is the proxy's address: the service's name would lead nowhere.
    TinyResolver resolver({kFirst});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QNetworkProxy named(QNetworkProxy::HttpProxy, QStringLiteral("proxy.ostrel.test"), proxy->port(),
                              QStringLiteral("analytics"), QStringLiteral("s3cret"));
    const QString toImpostor = QStringLiteral("to_impostor");
    uploader.send({upload(server->port(), QStringLiteral("https"), named),
                   upload(impostor->port(), QStringLiteral("https"), named, toImpostor)});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1 && uploader.delivered(toImpostor) != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(linesOf(*proxy));
    EXPECT_TRUE(proxy->seen().contains(
        QStringLiteral("connect %1:%2").arg(HttpsPeer::certifiedName()).arg(server->port())));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
    EXPECT_FALSE(resolver.wasAsked(HttpsPeer::certifiedName()));
    EXPECT_EQ(uploader.delivered(toImpostor), 0) << qPrintable(linesOf(*proxy));
    EXPECT_TRUE(proxy->seen().contains(
        QStringLiteral("connect %1:%2").arg(HttpsPeer::certifiedName()).arg(impostor->port())));
    EXPECT_EQ(impostor->count(QStringLiteral("taken")), 0);
}

// The service's name is looked up and the resolver never answers (the straight road's resolver is
// out of reach): the road changes to a proxy given by its address, and the upload, which has not
// left, takes it at once, without waiting for the answer.
TEST_F(AnalyticsUploaderTest, AnUploadStillLookingUpItsFirstHopTakesANewRoadAtOnce)
{
    const auto server = HttpsPeer::server(kSecond);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), kSecond.toString()}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    TinyResolver silent({}, false);
    HostLookup::setServersForTesting(silent.server());
    UploaderOnAThread uploader;
    uploader.send({upload(server->port(), QStringLiteral("https"))});
    QTRY_VERIFY_WITH_TIMEOUT(silent.wasAsked(HttpsPeer::certifiedName()), kBoundMs);

    uploader.changeRoad(QNetworkProxy(QNetworkProxy::HttpProxy, kFirst.toString(), proxy->port()));
    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(linesOf(*proxy));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
}

// While connected, an event sealed for the engine's SOCKS listener, the proxy's only address: the
// client disconnects (the road becomes straight to the service) while the listener holds its
// request, and the listener then refuses it, nothing of it having gone on. It takes the new road,
// from its first hop, and reaches the service straight.
TEST_F(AnalyticsUploaderTest, AnEventRefusedAtItsLastAddressAfterTheRoadChangedTakesTheNewRoad)
{
    SocksListener listener(kFirst);
    ASSERT_TRUE(listener.isListening()) << qPrintable(listener.errorText());
    const auto server = HttpsPeer::server(kSecond);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    TinyResolver resolver({kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QNetworkProxy socks(QNetworkProxy::Socks5Proxy, kFirst.toString(), listener.port());
    uploader.send({upload(server->port(), QStringLiteral("https"), socks)});
    QTRY_COMPARE_WITH_TIMEOUT(listener.asked(), 1, kBoundMs);

    // The refusal reaches the worker behind the change, queued there before it was written.
    uploader.changeRoad(QNetworkProxy(QNetworkProxy::NoProxy));
    listener.refuseAll();
    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(linesOf(*server));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1) << qPrintable(linesOf(*server));
    EXPECT_TRUE(resolver.wasAsked(HttpsPeer::certifiedName()));
}

// An event delivered straight to the service, which keeps the connection open for the next: the
// client then connects (the road becomes a proxy). The straight road's connection is let go at
// once, not kept while the uploader lives.
TEST_F(AnalyticsUploaderTest, AnOldRoadsIdleConnectionIsLetGoWhenTheRoadChanges)
{
    TinyCollector collector(true, kSecond, TinyCollector::Connection::KeepAlive);
    ASSERT_TRUE(collector.isListening()) << qPrintable(collector.errorText());
    TinyResolver resolver({kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send({upload(collector.port())});
    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, kBoundMs);
    ASSERT_EQ(uploader.delivered(), 1) << collector.request().constData();
    ASSERT_FALSE(collector.closedByClient());

    uploader.changeRoad(QNetworkProxy(QNetworkProxy::HttpProxy, kFirst.toString(), 9));
    QTRY_VERIFY_WITH_TIMEOUT(collector.closedByClient(), kBoundMs);
}

// Two uploads made in one task of the worker's, one through a proxy and one straight to the
// service, their first hops literal (found without a lookup, both at once): each takes its own
// road, whichever was made last.
TEST_F(AnalyticsUploaderTest, UploadsMadeTogetherEachTakeTheirOwnRoad)
{
    const auto server = HttpsPeer::server(kSecond);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), kSecond.toString()}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    TinyCollector collector(true, kSecond);
    ASSERT_TRUE(collector.isListening()) << qPrintable(collector.errorText());
    // A name looked up would find no address.
    TinyResolver resolver({});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QString proxied = QStringLiteral("proxied");
    const QString straight = QStringLiteral("straight");
    AnalyticsUpload toAddress = upload(collector.port(), QStringLiteral("http"), QNetworkProxy::NoProxy, straight);
    toAddress.target.setHost(kSecond.toString());
    const QNetworkProxy literal(QNetworkProxy::HttpProxy, kFirst.toString(), proxy->port());
    uploader.send({upload(server->port(), QStringLiteral("https"), literal, proxied), toAddress});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered(proxied) != -1 && uploader.delivered(straight) != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(proxied), 1) << qPrintable(linesOf(*proxy));
    EXPECT_EQ(linesOf(*proxy).toStdString(),
              QStringLiteral("connect %1:%2").arg(HttpsPeer::certifiedName()).arg(server->port()).toStdString());
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
    EXPECT_EQ(uploader.delivered(straight), 1) << collector.request().constData();
    EXPECT_TRUE(collector.complete()) << collector.request().constData();
}

// The analytics manager, as the client tracks: three events tracked while the client goes
// straight to the service, whose first address holds every connection without a word. The
// client then connects (the road of its own requests becomes a proxy, posted as the client
// posts it): once they give the silent address up, nothing of them having left, they take the
// proxy, and the service's second address, on the road of before, gets nothing.
TEST_F(AnalyticsUploaderTest, EventsTrackedBeforeTheRoadChangesLeaveByTheNewOne)
{
    Doorway door(kFirst);
    ASSERT_TRUE(door.isListening()) << qPrintable(door.errorText());
    const auto straight = HttpsPeer::server(kSecond, door.port());
    ASSERT_TRUE(straight->isListening()) << qPrintable(straight->errorText());
    const auto relayed = HttpsPeer::server(kThird, door.port());
    ASSERT_TRUE(relayed->isListening()) << qPrintable(relayed->errorText());
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), kThird.toString()}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    ASSERT_TRUE(pointClientAt({QStringLiteral("https://%1:%2").arg(HttpsPeer::certifiedName()).arg(door.port())}));
    const bool systemConfiguration = QNetworkProxyFactory::usesSystemConfiguration();
    const QNetworkProxy applicationProxy = QNetworkProxy::applicationProxy();
    const auto changeRoad = [](const QNetworkProxy &road) {
        QNetworkProxy::setApplicationProxy(road);
        Q_EMIT ApplicationProxy::shared().changed();
    };
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    for (int i = 0; i < 3; ++i)
        XSAnalyticsManager::shared().track(kEvent);
    const bool heldThere = QTest::qWaitFor([&] { return door.taken() == 3; }, kBoundMs);
    changeRoad(QNetworkProxy(QNetworkProxy::HttpProxy, kFirst.toString(), proxy->port()));
    const bool outcomes = QTest::qWaitFor([&] { return uploaded.size() == 3; }, kBoundMs);
    QNetworkProxy::setApplicationProxy(applicationProxy);
    QNetworkProxyFactory::setUseSystemConfiguration(systemConfiguration);

    ASSERT_TRUE(heldThere) << "connections at the first address: " << door.taken();
    ASSERT_TRUE(outcomes) << uploaded.size() << " outcomes";
    for (const QList<QVariant> &outcome : std::as_const(uploaded))
        EXPECT_TRUE(outcome.at(1).toBool()) << qPrintable(linesOf(*proxy));
    EXPECT_EQ(relayed->count(QStringLiteral("taken")), 3) << qPrintable(linesOf(*proxy));
    EXPECT_EQ(straight->count(QStringLiteral("taken")), 0) << qPrintable(linesOf(*straight));
}

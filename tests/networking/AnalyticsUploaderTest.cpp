// The analytics uploader on a thread of the test's own, against servers and proxies of the test's
// own on loopback: straight to the service the host is looked up by the resolver it is given and
// the event goes to an address found (the next one where one refuses or never answers, never
// where one carried it) with the server named by the host's name, over HTTPS too; through a
// proxy the proxy resolves the name and gets its user and password; each upload takes its own
// road; a server whose certificate names another host gets nothing; whatever is under way ends
// with the uploader.
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "common/WorkerThread.h"
#include "networking/AnalyticsUploader.h"
#include "networking/HostLookup.h"
#include "support/HttpsPeer.h"
#include "support/TinyResolver.h"

namespace {

// An HTTP server that keeps the head and body of the one request it gets, and answers 204 when
// told to (else it holds the request open).
class TinyCollector
{
public:
    explicit TinyCollector(bool answers, const QHostAddress &host = QHostAddress::LocalHost)
        : m_answers(answers)
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
                socket->write("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { m_closed = true; });
    }

    QTcpServer m_server;
    bool m_listening = false;
    bool m_answers;
    QByteArray m_request;
    bool m_closed = false;
};

const QString kEvent = QStringLiteral("homePage_show");
// Short, so that a case with an address that never answers waits little; a handshake slower than
// this on a busy machine only moves an event on to the next address.
constexpr int kReachMs = 1000;
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
    UploaderOnAThread()
        : m_worker(QStringLiteral("test-analytics"))
    {
    }
    ~UploaderOnAThread() { end(); }

    // Sends every one of `uploads` in one task of the worker's, as the manager sends what was
    // tracked at once.
    void send(const QList<AnalyticsUpload> &uploads)
    {
        m_worker.post([this, uploads] {
            if (!m_uploader)
                m_uploader = std::make_unique<AnalyticsUploader>(kReachMs);
            for (const AnalyticsUpload &each : uploads)
                m_uploader->send(each, [this](const QString &event, bool delivered) { note(event, delivered); });
        });
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
// carries it once the handshake is done, the second, on the connection the first left open, once
// it is written.
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
    uploader.send({upload(slow->port(), QStringLiteral("https"), QNetworkProxy::NoProxy, first),
                   upload(slow->port(), QStringLiteral("https"), QNetworkProxy::NoProxy, second)});

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered(first) != -1 && uploader.delivered(second) != -1, kBoundMs);
    EXPECT_EQ(uploader.delivered(first), 1);
    EXPECT_EQ(uploader.delivered(second), 1);
    EXPECT_EQ(slow->count(QStringLiteral("taken")) + next->count(QStringLiteral("taken")), 2)
        << "first address:\n" << qPrintable(linesOf(*slow)) << "\nnext:\n" << qPrintable(linesOf(*next));
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

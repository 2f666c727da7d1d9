// The analytics uploader on a thread of the test's own, against servers and proxies of the test's
// own on loopback: straight to the service the host is looked up by the resolver it is given and
// the event goes to an address found (the next one where one refuses or never answers) with the
// server named by the host's name, over HTTPS too; through a proxy the proxy resolves the name;
// whatever is under way ends with the uploader.
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
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

AnalyticsUpload upload(quint16 port, const QString &scheme = QStringLiteral("http"),
                       const QNetworkProxy &proxy = QNetworkProxy::NoProxy)
{
    return AnalyticsUpload{QStringLiteral("homePage_show"),
                           QUrl(QStringLiteral("%1://%2:%3/api/log/v1/client/actionTrack")
                                    .arg(scheme, HttpsPeer::certifiedName()).arg(port)),
                           {{"sign", "abc"}},
                           "{\"e\":1}",
                           proxy};
}

// Whether nothing listens on `port` of `host`: an address there refuses.
bool refuses(const QHostAddress &host, quint16 port)
{
    QTcpServer probe;
    return probe.listen(host, port);
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

    void send(const AnalyticsUpload &what)
    {
        m_worker.post([this, what] {
            if (!m_uploader)
                m_uploader = new AnalyticsUploader(m_worker.context());
            m_uploader->send(what, [this](const QString &, bool delivered) { m_delivered.store(delivered ? 1 : 0); });
        });
    }
    void end()
    {
        m_worker.stop([this] {
            delete m_uploader;
            m_uploader = nullptr;
        });
    }
    // -1 while no outcome came; 1 delivered; 0 dropped.
    int delivered() const { return m_delivered.load(); }

private:
    WorkerThread m_worker;
    AnalyticsUploader *m_uploader = nullptr;
    std::atomic<int> m_delivered{-1};
};

class AnalyticsUploaderTest : public ::testing::Test
{
protected:
    // The test server's certificate is trusted as a public one would be.
    void SetUp() override
    {
        m_defaultTls = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = m_defaultTls;
        trusting.addCaCertificates(QSslCertificate::fromPath(HttpsPeer::certificateFile()));
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
    uploader.send(upload(collector.port()));

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, 30000);
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
    uploader.send(upload(9));
    QTRY_COMPARE_WITH_TIMEOUT(uploader.delivered(), 0, 30000);
}

TEST_F(AnalyticsUploaderTest, EndingTheUploaderEndsItsRequestAndReportsNothing)
{
    TinyCollector collector(false);
    TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.1"))});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send(upload(collector.port()));
    QTRY_VERIFY_WITH_TIMEOUT(collector.complete(), 30000);

    uploader.end();
    QTRY_VERIFY_WITH_TIMEOUT(collector.closedByClient(), 30000);
    EXPECT_EQ(uploader.delivered(), -1);
}

// The first address takes the connection and never answers the TLS handshake (a network that
// drops what goes there would hold it as long): after a while the next address carries the event.
// The server there offers HTTP/2, whose request names the server from the URL, and takes only
// requests addressed to its name: it must still be named by it, its certificate checked against it.
TEST_F(AnalyticsUploaderTest, AnAddressThatNeverAnswersGivesWayToTheNext)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(kFirst, 0));
    holder.pauseAccepting();
    const auto server = HttpsPeer::server(kSecond, holder.serverPort());
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    TinyResolver resolver({kFirst, kSecond});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send(upload(server->port(), QStringLiteral("https")));

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, 60000);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(server->seen().join(QLatin1Char('\n')));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
}

// Through a proxy the service's name is the proxy's to resolve: only the proxy's own name is
// looked up here, and the request reaches the service through it, named by the host's name.
TEST_F(AnalyticsUploaderTest, ThroughAProxyTheProxyResolvesTheServicesName)
{
    const auto server = HttpsPeer::server(kSecond);
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    ASSERT_TRUE(refuses(kFirst, server->port()));
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), kSecond.toString()}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    // Any name looked up here is the proxy's address: the service's name would lead nowhere.
    TinyResolver resolver({kFirst});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    const QNetworkProxy named(QNetworkProxy::HttpProxy, QStringLiteral("proxy.ostrel.test"), proxy->port());
    uploader.send(upload(server->port(), QStringLiteral("https"), named));

    QTRY_VERIFY_WITH_TIMEOUT(uploader.delivered() != -1, 30000);
    EXPECT_EQ(uploader.delivered(), 1) << qPrintable(proxy->seen().join(QLatin1Char('\n')));
    EXPECT_EQ(proxy->seen().value(0), QStringLiteral("connect %1:%2").arg(HttpsPeer::certifiedName()).arg(server->port()));
    EXPECT_EQ(server->count(QStringLiteral("taken")), 1);
}

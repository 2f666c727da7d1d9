// The analytics uploader on a thread of the test's own: the host is looked up by the resolver it
// is given, the event goes to an address found (the next one where the first refuses) with the
// host named as the event's address names it, and whatever is under way ends with the uploader.
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <memory>

#include <gtest/gtest.h>

#include "common/WorkerThread.h"
#include "networking/AnalyticsUploader.h"
#include "networking/HostLookup.h"
#include "support/TinyResolver.h"

namespace {

// An HTTP server that keeps the head and body of the one request it gets, and answers 204 when
// told to (else it holds the request open).
class TinyCollector
{
public:
    explicit TinyCollector(bool answers)
        : m_answers(answers)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }
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
    bool m_answers;
    QByteArray m_request;
    bool m_closed = false;
};

AnalyticsUpload upload(quint16 port)
{
    return AnalyticsUpload{QStringLiteral("homePage_show"),
                           QUrl(QStringLiteral("http://api.ostrel.test:%1/api/log/v1/client/actionTrack").arg(port)),
                           {{"sign", "abc"}},
                           "{\"e\":1}"};
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
        QMetaObject::invokeMethod(m_worker.context(), [this, what] {
            if (!m_uploader)
                m_uploader = new AnalyticsUploader(m_worker.context());
            m_uploader->send(what, [this](const QString &, bool delivered) {
                m_delivered.store(delivered ? 1 : 0);
            });
        }, Qt::QueuedConnection);
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
    void TearDown() override { HostLookup::setServersForTesting({}); }
};

} // namespace

TEST_F(AnalyticsUploaderTest, AnEventReachesAnAddressFoundWithItsHostNamedAsGiven)
{
    TinyCollector collector(true);
    // The first address preferred may be one where nothing listens: the next one is tried.
    TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.1")), QHostAddress(QStringLiteral("::1"))});
    HostLookup::setServersForTesting(resolver.server());
    UploaderOnAThread uploader;
    uploader.send(upload(collector.port()));

    QTRY_COMPARE_WITH_TIMEOUT(uploader.delivered(), 1, 30000);
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

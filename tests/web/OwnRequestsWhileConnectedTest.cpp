// While connected, the client's own requests take the engine it started: a request of a network
// manager of the client's, an analytics event and a request of one of its web pages, all to
// names, arrive through the relaying stand-in engine (Debian's ss-local) and a local ss-server,
// which alone can resolve them. The desktop proxy is the helper's file here, which neither Qt nor
// Qt WebEngine reads: the client hands them the road itself. After the disconnect they go as the
// system sends them. Without a display the program runs itself again under xvfb-run
// (WebTestDisplay).

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineLoadingInfo>

#include <functional>

#include "networking/XSAnalyticsManager.h"
#include "support/ConnectRoadFixture.h"
#include "support/HttpsPeer.h"
#include "support/TinyResolver.h"
#include "support/WebViewsFixture.h"

namespace {

// A name only the relay's resolver knows: straight from here it resolves nowhere.
constexpr char kName[] = "far-side.ostrel.test";
constexpr char kPage[] = "<html><body>a page from the far side</body></html>";
constexpr int kBoundMs = 60000;

// The server the relay's resolver names: answers every request with the page and keeps the paths
// it was asked for.
class FarSide : public QTcpServer
{
public:
    explicit FarSide(const QHostAddress &address)
    {
        listen(address, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    if (!head.contains("\r\n\r\n"))
                        return;
                    paths << QString::fromUtf8(head.split(' ').value(1));
                    const QByteArray body(kPage);
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QStringList paths;
};

// Takes every connection to the listener's port once the engine has left it, and closes it: a
// request that still went there fails at once and is counted.
class DeadListenerTrap : public QTcpServer
{
public:
    DeadListenerTrap()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++taken;
                socket->abort();
                socket->deleteLater();
            }
        });
    }

    int taken = 0;
};

class OwnRequestsWhileConnectedTest : public ConnectRoadFixture
{
protected:
    QUrl far(const QString &path) const
    {
        return QUrl(QStringLiteral("http://%1:%2%3").arg(QLatin1String(kName)).arg(m_far.serverPort()).arg(path));
    }

    // Loads `url` into the page; its status once the load ended (failed, when it never did).
    static QWebEngineLoadingInfo::LoadStatus load(QWebEnginePage &page, const QUrl &url, int boundMs)
    {
        std::optional<QWebEngineLoadingInfo::LoadStatus> ended;
        const auto c = QObject::connect(&page, &QWebEnginePage::loadingChanged, [&](const QWebEngineLoadingInfo &info) {
            if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                ended = info.status();
        });
        page.load(url);
        [[maybe_unused]] const bool done = QTest::qWaitFor([&] { return ended.has_value(); }, std::max(boundMs, 1));
        QObject::disconnect(c);
        return ended.value_or(QWebEngineLoadingInfo::LoadFailedStatus);
    }

    // Chromium reads Qt's proxy again only after a while: a load made before it did takes the
    // old road. Loads `url` again until a load's status makes `arrived` true, within the bound.
    static bool loadUntil(QWebEnginePage &page, const QUrl &url,
                          const std::function<bool(QWebEngineLoadingInfo::LoadStatus)> &arrived)
    {
        QDeadlineTimer bound(kBoundMs);
        while (!bound.hasExpired()) {
            if (arrived(load(page, url, int(bound.remainingTime()))))
                return true;
            QTest::qWait(250);
        }
        return false;
    }

    FarSide m_far{QHostAddress(QStringLiteral("127.0.0.2"))};
};

TEST_F(OwnRequestsWhileConnectedTest, RequestsEventsAndPagesTakeTheEngineWhileConnectedAndGoStraightAfter)
{
    if (const std::optional<std::string> why = relayUnavailable())
        GTEST_SKIP() << *why;
    ASSERT_TRUE(m_far.isListening()) << "127.0.0.2 is not on the loopback interface";

    // The relay resolves names through a resolver of the test's, which names the far side.
    TinyResolver resolver({m_far.serverAddress()});
    QProcess relay;
    const std::optional<QString> scenario = startRelay(relay, {QStringLiteral("-d"), resolver.server()});
    ASSERT_TRUE(scenario);
    startPieces(QStringLiteral("standin-sslocal-relay"), {QStringLiteral("--scenario"), *scenario});
    signInAsVisitor();
    makeController();
    ASSERT_TRUE(connectAndWait(20000)) << m_view.errors.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(proxyPointsAtUs());

    // A network manager as the client makes them, with no proxy of its own.
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(far(QStringLiteral("/native")))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, kBoundMs));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
    EXPECT_EQ(reply->readAll(), QByteArray(kPage));
    EXPECT_TRUE(m_far.paths.contains(QStringLiteral("/native")));

    // An analytics event to the service, here an HTTPS server for a name only the relay resolves.
    const std::unique_ptr<HttpsPeer> service = HttpsPeer::server(m_far.serverAddress());
    ASSERT_TRUE(service->isListening()) << service->errorText().toStdString();
    const QSslConfiguration defaultTls = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = defaultTls;
    trusting.addCaCertificates(QSslCertificate::fromPath(HttpsPeer::certificateFile()));
    QSslConfiguration::setDefaultConfiguration(trusting);
    ASSERT_TRUE(pointClientAt({QStringLiteral("https://%1:%2").arg(HttpsPeer::certifiedName()).arg(service->port())}));
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    XSAnalyticsManager::shared().track(QStringLiteral("homePage_show"));
    const bool outcome = QTest::qWaitFor([&] { return !uploaded.isEmpty(); }, kBoundMs);
    ASSERT_TRUE(pointClientAt({m_standin.baseUrl()}));
    QSslConfiguration::setDefaultConfiguration(defaultTls);
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(uploaded.first().at(1).toBool()) << service->seen().join(' ').toStdString();
    EXPECT_EQ(service->count(QStringLiteral("taken")), 1);

    // A page of the client's. Chromium takes a new road for the loads after it noticed the change,
    // so it loads until one arrived.
    ShownPage shown;
    EXPECT_TRUE(loadUntil(*shown.page, far(QStringLiteral("/page")), [&](QWebEngineLoadingInfo::LoadStatus) {
        return m_far.paths.contains(QStringLiteral("/page"));
    })) << m_far.paths.join(' ').toStdString();

    ASSERT_TRUE(stopAndWait());
    EXPECT_FALSE(proxyPointsAtUs());
    // The managers ask Qt for their road as each request starts.
    const QList<QNetworkProxy> road = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(far(QStringLiteral("/after"))));
    ASSERT_FALSE(road.isEmpty());
    EXPECT_EQ(road.first().type(), QNetworkProxy::NoProxy);
    // The page goes straight again: a load that fails without touching the listener's port.
    DeadListenerTrap trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));
    const bool straight = loadUntil(*shown.page, far(QStringLiteral("/after")), [&](QWebEngineLoadingInfo::LoadStatus status) {
        const bool wentThere = trap.taken > 0;
        trap.taken = 0;
        return !wentThere && status == QWebEngineLoadingInfo::LoadFailedStatus;
    });
    EXPECT_TRUE(straight) << "the page's loads still went to the engine's listener after the disconnect";
    EXPECT_FALSE(m_far.paths.contains(QStringLiteral("/after")));

    relay.terminate();
    relay.waitForFinished(3000);
}

} // namespace

// While connected, the client's own requests take the engine it started: a request of a network
// manager of the client's, an analytics event and a request of one of its web pages, all to
// names, arrive through the relaying stand-in engine (Debian's ss-local) and a local ss-server,
// which alone can resolve them. The desktop proxy is the helper's file here, which neither Qt nor
// Qt WebEngine reads: the client hands them the road itself, and has Chromium read it at once.
// After the disconnect they go as the system sends them. Without a display the program runs
// itself again under xvfb-run (WebTestDisplay).

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>


#include "networking/XSAnalyticsManager.h"
#include "support/ConnectRoadFixture.h"
#include "support/HttpsPeer.h"
#include "support/PageServer.h"
#include "support/TinyResolver.h"
#include "support/WebViewsFixture.h"
#include "web/PageProxyRefresh.h"

namespace {

// A name only the relay's resolver knows: straight from here it resolves nowhere.
constexpr char kName[] = "far-side.ostrel.test";
constexpr char kPage[] = "<html><body>a page from the far side</body></html>";
constexpr int kBoundMs = 60000;

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

    // The server the relay's resolver names.
    PageServer m_far{kPage, QHostAddress(QStringLiteral("127.0.0.2")), "text/html"};
};

TEST_F(OwnRequestsWhileConnectedTest, RequestsEventsAndPagesTakeTheEngineWhileConnectedAndGoStraightAfter)
{
    if (const std::optional<std::string> why = relayUnavailable())
        GTEST_SKIP() << *why;
    ASSERT_TRUE(m_far.isListening()) << "127.0.0.2 is not on the loopback interface";

    // The relay resolves names through a resolver of the test's, which names the far side.
    TinyResolver resolver({m_far.serverAddress()});
    const std::optional<QString> scenario = startRelay({QStringLiteral("-d"), resolver.server()});
    ASSERT_TRUE(scenario);
    startPieces(QStringLiteral("standin-sslocal-relay"), {QStringLiteral("--scenario"), *scenario});
    signInAsVisitor();
    makeController();
    // A page of the client's, shown before the connect: Chromium's network part is under way with
    // the road of before (a loopback page, which goes straight whatever the road).
    ShownPage shown;
    // No icon fetched later, behind the test's back: each request of the page is one it asks for.
    shown.page->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    const QUrl before(QStringLiteral("http://%1:%2/before").arg(m_far.serverAddress().toString()).arg(m_far.serverPort()));
    ASSERT_EQ(load(*shown.page, before, kBoundMs), QWebEngineLoadingInfo::LoadSucceededStatus);
    auto *refresh = shown.page->profile()->findChild<PageProxyRefresh *>();
    ASSERT_NE(refresh, nullptr);
    QSignalSpy refreshed(refresh, &PageProxyRefresh::refreshed);

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

    // The page's first request after the change takes the engine, once Chromium was told.
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshed.size() == 1; }, kBoundMs));
    EXPECT_EQ(load(*shown.page, far(QStringLiteral("/page")), kBoundMs), QWebEngineLoadingInfo::LoadSucceededStatus);
    EXPECT_TRUE(m_far.paths.contains(QStringLiteral("/page"))) << m_far.paths.join(' ').toStdString();

    ASSERT_TRUE(stopAndWait());
    EXPECT_FALSE(proxyPointsAtUs());
    // The managers ask Qt for their road as each request starts.
    const QList<QNetworkProxy> road = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(far(QStringLiteral("/after"))));
    ASSERT_FALSE(road.isEmpty());
    EXPECT_EQ(road.first().type(), QNetworkProxy::NoProxy);
    // The page's first request after the disconnect goes straight again: it fails by name,
    // without touching the listener's port.
    DeadListenerTrap trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshed.size() == 2; }, kBoundMs));
    // Only the page's own request counts: what Chromium still had under way on the road of before
    // may have gone there.
    trap.taken = 0;
    EXPECT_EQ(load(*shown.page, far(QStringLiteral("/after")), kBoundMs), QWebEngineLoadingInfo::LoadFailedStatus);
    EXPECT_EQ(trap.taken, 0) << "the page's request went to the engine's listener after the disconnect";
    EXPECT_FALSE(m_far.paths.contains(QStringLiteral("/after")));
}

} // namespace

// While connected, the client's own requests take the engine it started: a request of a network
// manager of the client's, an analytics event and a request of one of its web pages, all to
// names, arrive through the relaying stand-in engine (Debian's ss-local) and a local ss-server,
// which alone can resolve them. The desktop proxy is the helper's file here, which neither Qt nor
// Qt WebEngine reads: the client hands them the road itself, and has Chromium read it at once.
// After the disconnect they go as the system sends them, the pages too, to a proxy only the
// system's configuration names. The quit gives the road back without a page for it. Without a
// display the program runs itself again under xvfb-run (WebTestDisplay).

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
#include <QWebEngineView>

#include <csignal>
#include <unistd.h>

#include "app/TerminationRoad.h"
#include "networking/XSAnalyticsManager.h"
#include "support/DeadListenerTrap.h"
#include "support/RelayRoadFixture.h"
#include "support/HttpsPeer.h"
#include "support/PageServer.h"
#include "support/RecordingHelper.h"
#include "support/TinyResolver.h"
#include "support/WebViewsFixture.h"
#include "support/UsersOwnProxy.h"
#include "networking/ApplicationProxy.h"
#include "networking/SystemRoute.h"
#include "web/PageProfile.h"
#include "web/PageProxyRefresh.h"
#include "webmodule/WebModuleViews.h"

namespace {

// The system has answered for `targets` since now: the client's route gives its last answer.
bool systemAnswered(const QList<QUrl> &targets)
{
    QList<QNetworkProxyQuery> queries;
    for (const QUrl &target : targets)
        queries << QNetworkProxyQuery(target);
    bool answered = false;
    QObject waiting;
    SystemRoute::shared().refresh(&waiting, queries, [&answered] { answered = true; });
    return QTest::qWaitFor([&] { return answered; }, 30000);
}

// A name only the relay's resolver knows: straight from here it resolves nowhere.
constexpr char kName[] = "far-side.ostrel.test";
constexpr char kPage[] = "<html><body>a page from the far side</body></html>";
constexpr int kBoundMs = 60000;

// Counts the objects made with `watched` as their parent from now on.
class ChildrenMade : public QObject
{
public:
    explicit ChildrenMade(QObject *watched) { watched->installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded)
            ++count;
        return false;
    }

    int count = 0;
};

class OwnRequestsWhileConnectedTest : public RelayRoadFixture
{
protected:
    void TearDown() override
    {
        qunsetenv("http_proxy");
        ConnectRoadFixture::TearDown();
    }

    QUrl far(const QString &path, const QString &scheme = QStringLiteral("http")) const
    {
        return QUrl(QStringLiteral("%1://%2:%3%4").arg(scheme, QLatin1String(kName)).arg(m_far.serverPort()).arg(path));
    }

    // Loads `url` into the page; its status once the load ended, nothing when it did not end in
    // time.
    static std::optional<QWebEngineLoadingInfo::LoadStatus> load(QWebEnginePage &page, const QUrl &url)
    {
        std::optional<QWebEngineLoadingInfo::LoadStatus> ended;
        const auto c = QObject::connect(&page, &QWebEnginePage::loadingChanged, [&](const QWebEngineLoadingInfo &info) {
            if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                ended = info.status();
        });
        page.load(url);
        [[maybe_unused]] const bool done = QTest::qWaitFor([&] { return ended.has_value(); }, kBoundMs);
        QObject::disconnect(c);
        return ended;
    }

    // Shows, in the message view, a message whose body is an image from `image`; whether its load
    // ended (the image asked for) in time.
    static bool showMessageWithImage(QWidget *messageView, const QUrl &image)
    {
        QSignalSpy loaded(qobject_cast<QWebEngineView *>(messageView), &QWebEngineView::loadFinished);
        WebModuleViews().showMessageHtml(messageView, QStringLiteral("<p><img src=\"%1\"></p>").arg(image.toString()));
        return QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kBoundMs);
    }

    // The server the relay's resolver names.
    PageServer m_far{kPage, QHostAddress(QStringLiteral("127.0.0.2")), "text/html"};
};

TEST_F(OwnRequestsWhileConnectedTest, RequestsEventsAndPagesTakeTheEngineWhileConnectedAndTheSystemsRoadAfter)
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
    // The message view, the only page shown before the connect, as when the user read a message
    // first: Chromium's network part is under way with the road of before (an image on a
    // loopback address, which goes straight whatever the road).
    const std::unique_ptr<QWidget> messageView(WebModuleViews().makeMessageView(nullptr, {}));
    messageView->resize(400, 300);
    messageView->show();
    const QUrl before(QStringLiteral("http://%1:%2/before").arg(m_far.serverAddress().toString()).arg(m_far.serverPort()));
    ASSERT_TRUE(showMessageWithImage(messageView.get(), before));
    ASSERT_TRUE(m_far.paths.contains(QStringLiteral("/before")));
    QWebEngineProfile *profile = qobject_cast<QWebEngineView *>(messageView.get())->page()->profile();
    auto *refresh = profile->findChild<PageProxyRefresh *>();
    ASSERT_NE(refresh, nullptr) << "the message view did not start the pages' road refresh";
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

    // The page's first request after the change takes the engine, once Chromium was told: the
    // message's image, on a name only the relay resolves.
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshed.size() == 1; }, kBoundMs));
    ASSERT_TRUE(showMessageWithImage(messageView.get(), far(QStringLiteral("/page"))));
    EXPECT_TRUE(m_far.paths.contains(QStringLiteral("/page"))) << m_far.paths.join(' ').toStdString();

    // From the disconnect on, the system's road, which here names a proxy of the user's for the
    // service: the environment's http_proxy, which Qt takes for https too, while Chromium,
    // reading the environment itself, would send https straight (as it reads no GNOME setting).
    UsersOwnProxy usersProxy;
    ASSERT_TRUE(usersProxy.isListening());
    qputenv("http_proxy", usersProxy.asTheEnvironmentNamesIt());
    const QUrl serviceAddress(QStringLiteral("https://%1").arg(QLatin1String(kName)));
    ASSERT_TRUE(pointClientAt({serviceAddress.toString()}));
    // The client learns of the user's change with the system's next answer.
    ASSERT_TRUE(systemAnswered({serviceAddress, far(QStringLiteral("/after"), QStringLiteral("https"))}));

    ASSERT_TRUE(stopAndWait());
    EXPECT_FALSE(proxyPointsAtUs());
    const QList<QNetworkProxy> system = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(serviceAddress));
    ASSERT_FALSE(system.isEmpty());
    ASSERT_EQ(system.first(), usersProxy.asQtNamesIt());
    // The managers ask Qt for their road as each request starts: the user's proxy.
    const QUrl after = far(QStringLiteral("/after"), QStringLiteral("https"));
    const QList<QNetworkProxy> road = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(after));
    ASSERT_FALSE(road.isEmpty());
    EXPECT_EQ(road.first(), system.first());
    // Qt WebEngine is given the system's road to the service for all its pages.
    EXPECT_EQ(QNetworkProxy::applicationProxy(), system.first());
    // A page's first request after the disconnect takes it too, and not the listener's port.
    DeadListenerTrap trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshed.size() == 2; }, kBoundMs));
    // Only the page's own request counts: what Chromium still had under way on the road of before
    // may have gone there.
    trap.taken = 0;
    ShownPage shown;
    // No icon fetched later, behind the test's back: each request of the page is one it asks for.
    shown.page->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    const std::optional<QWebEngineLoadingInfo::LoadStatus> ended = load(*shown.page, after);
    ASSERT_TRUE(ended.has_value()) << "the page's load never ended";
    // The user's proxy refuses it: the road is what counts here, not the far side.
    EXPECT_EQ(*ended, QWebEngineLoadingInfo::LoadFailedStatus);
    const QString tunnel = QStringLiteral("CONNECT %1:%2 HTTP/1.1").arg(after.host()).arg(after.port());
    EXPECT_TRUE(usersProxy.requests.contains(tunnel)) << usersProxy.requests.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(trap.taken, 0) << "the page's request went to the engine's listener after the disconnect";
    EXPECT_FALSE(m_far.paths.contains(QStringLiteral("/after")));
}

// The quit gives the client's road back with the desktop's, from the termination road's teardown:
// on a signal, before the application has even begun to quit. No page is made for that change.
TEST_F(OwnRequestsWhileConnectedTest, TheQuitGivesTheRoadBackWithoutAPageForIt)
{
    // A profile of the case's own: the client's pages share the default one, which the case
    // above needs unprepared until its message view.
    QWebEngineProfile ownProfile;
    PageProfile::prepare(&ownProfile);
    auto *refresh = ownProfile.findChild<PageProxyRefresh *>();
    ASSERT_NE(refresh, nullptr);
    RecordingHelper helper(RecordingHelper::Answers::AtOnce);
    HLLPACUtilWrapper::setHelperForTesting(&helper);
    // Connected, as far as the client's own requests go.
    ApplicationProxy::pointAt(HLLPACUtilWrapper::kLocalPort, HLLPACUtilWrapper::proxyIgnoreList());
    ChildrenMade made(refresh);

    int quits = 0;
    TerminationRoad road([] { HLLPACUtilWrapper::shutdown(); });
    road.setQuitForTesting([&] { ++quits; });
    road.install();
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, kBoundMs));
    EXPECT_FALSE(ApplicationProxy::isPointed()) << "the quit did not give the client's road back";
    EXPECT_EQ(made.count, 0) << "a page was made for the road the quit gave back";
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
}

// A page shown before the first connect (a message, a notice, the purchase page) takes the road of
// the client's requests too. Left to itself, Chromium reads the proxy only from the environment on
// Linux, and http_proxy for http alone: with the user's proxy named in http_proxy, which Qt takes
// for https too, an https page went straight while the native requests took the proxy. The
// pages' profile hands Chromium the client's road as the first page is made.
TEST(OwnRequestsBeforeTheFirstConnect, APageTakesTheUsersProxyTheSystemNamesForTheService)
{
    // As in a program whose first request is a page's: Qt has the system's road, nothing of the
    // client's (a case before may have installed it).
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    UsersOwnProxy usersProxy;
    ASSERT_TRUE(usersProxy.isListening());
    qputenv("http_proxy", usersProxy.asTheEnvironmentNamesIt());
    const QUrl serviceAddress(QStringLiteral("https://%1").arg(QLatin1String(kName)));
    ASSERT_TRUE(pointClientAt({serviceAddress.toString()}));
    {
        // A profile of the case's own: Chromium reads its road as its first request gets under way.
        QWebEngineProfile profile;
        PageProfile::prepare(&profile);
        ASSERT_TRUE(systemAnswered({serviceAddress}));
        QWebEnginePage page(&profile);
        page.settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        LoadEnds ends(&page);
        const QUrl url(serviceAddress.toString() + QStringLiteral("/before"));
        page.load(url);
        // The user's proxy refuses it: the road is what counts here.
        EXPECT_EQ(ends.waitFor(url, kBoundMs), std::optional<bool>(false)) << "the page's load never ended";
        const QString tunnel = QStringLiteral("CONNECT %1:443 HTTP/1.1").arg(QLatin1String(kName));
        EXPECT_TRUE(usersProxy.requests.contains(tunnel)) << "the page before the first connect did not take the user's proxy: "
                                                          << usersProxy.requests.join(QLatin1Char('|')).toStdString();
    }
    qunsetenv("http_proxy");
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

} // namespace

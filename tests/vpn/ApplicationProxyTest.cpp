// The route Qt gives the client's own requests: pointed at the engine's listener while the desktop
// proxy is ours, and otherwise the system's (its last answer: Qt's questions never wait for the
// system), which Qt WebEngine's one question for all its pages then gets for the service's
// address, and never the client's own listener.

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include "common/NHHostTable.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "networking/StartRestoreGate.h"
#include "networking/SystemRoute.h"
#include "networking/XSAnalyticsManager.h"
#include "support/DeadListenerTrap.h"
#include "support/NetworkTestSupport.h"
#include "support/OwnNetwork.h"
#include "support/RecordingHelper.h"
#include "support/UsersOwnProxy.h"
#include "networking/ApplicationProxy.h"
#include "vpn/HLLPACUtilWrapper.h"

namespace {

const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8",
                                 "FE80::/64", "::1", "FD00::/8"};
const QString kService = QStringLiteral("https://api.ostrel.test");
// Longer than any case runs: only the restore's answer opens the gate.
constexpr int kNoBound = 10 * 60 * 1000;

QNetworkProxy routeOf(const QNetworkProxyQuery &query)
{
    const QList<QNetworkProxy> road = QNetworkProxyFactory::proxyForQuery(query);
    return road.isEmpty() ? QNetworkProxy(QNetworkProxy::DefaultProxy) : road.first();
}

QNetworkProxy routeTo(const QString &url)
{
    return routeOf(QNetworkProxyQuery(QUrl(url)));
}

// What `ask` answers once the system has answered the questions asked so far, and those it asks.
template <typename Ask>
auto afterTheSystemAnswered(Ask ask)
{
    ask();
    bool answered = false;
    QObject waiting;
    SystemRoute::shared().refresh(&waiting, {}, [&answered] { answered = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 30000));
    return ask();
}

bool isListener(const QNetworkProxy &proxy, quint16 port)
{
    return proxy.type() == QNetworkProxy::Socks5Proxy && proxy.hostName() == QLatin1String("127.0.0.1")
        && proxy.port() == port;
}

// Questions the program asks Qt besides Qt WebEngine's: a request by URL, a socket and a server of
// its own.
QList<QNetworkProxyQuery> ownQuestions()
{
    return {QNetworkProxyQuery(QUrl(QStringLiteral("https://elsewhere.example/x"))),
            QNetworkProxyQuery(QUrl(QStringLiteral("http://elsewhere.example/"))),
            QNetworkProxyQuery(QStringLiteral("example.org"), 443),
            QNetworkProxyQuery(quint16(0), QString(), QNetworkProxyQuery::TcpServer)};
}

class ApplicationProxyTest : public ::testing::Test
{
protected:
    // The environment each case sets is the system's: no answer of an earlier case's stands.
    void SetUp() override { SystemRoute::setReaderForTesting(nullptr); }

    void TearDown() override
    {
        // A start's restore a case left unanswered holds nothing of the next case's.
        StartRestoreGate::open();
        ApplicationProxy::restore();
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        HLLPACUtilWrapper::setHelperForTesting(nullptr);
        OOHostSafeAdpter::shared().setGeneratedDomainsForTesting(std::nullopt);
        qunsetenv("http_proxy");
        qunsetenv("no_proxy");
    }
};

TEST_F(ApplicationProxyTest, RequestsTakeTheListenerButTheExceptionsAndOwnSocketsGoStraight)
{
    ApplicationProxy::pointAt(9999, kExceptions);
    ASSERT_TRUE(ApplicationProxy::isPointed());

    for (const char *url : {"https://api.ostrel.test/api/x", "http://93.184.216.34/", "https://[2001:db8::1]/"})
        EXPECT_TRUE(isListener(routeTo(QString::fromLatin1(url)), 9999)) << url;
    // Names the listener resolves itself: the name goes to it, never looked up here.
    EXPECT_TRUE(routeTo(QStringLiteral("https://api.ostrel.test/")).capabilities() & QNetworkProxy::HostNameLookupCapability);
    for (const char *url : {"http://192.168.1.20/", "http://10.1.2.3/", "http://[fe80::1]/", "http://[fd12::5]/"})
        EXPECT_EQ(routeTo(QString::fromLatin1(url)).type(), QNetworkProxy::NoProxy) << url;
    // Qt's own rule, which the stand-in on loopback relies on: Qt answers loopback before it asks
    // any factory, so this holds whatever the factory says.
    EXPECT_EQ(routeTo(QStringLiteral("http://127.0.0.1:8080/")).type(), QNetworkProxy::NoProxy);
    // Qt WebEngine's one question for all its pages.
    EXPECT_TRUE(isListener(QNetworkProxy::applicationProxy(), 9999));
    // A socket or a server the program opens itself is not one of its requests.
    EXPECT_EQ(routeOf(QNetworkProxyQuery(QStringLiteral("example.org"), 443)).type(), QNetworkProxy::NoProxy);
    EXPECT_EQ(routeOf(QNetworkProxyQuery(quint16(0), QString(), QNetworkProxyQuery::TcpServer)).type(), QNetworkProxy::NoProxy);

    // Pointing again takes the new listener.
    ApplicationProxy::pointAt(10999, kExceptions);
    EXPECT_TRUE(isListener(routeTo(QStringLiteral("https://api.ostrel.test/")), 10999));

    ApplicationProxy::restore();
    EXPECT_FALSE(ApplicationProxy::isPointed());
    EXPECT_EQ(routeTo(QStringLiteral("https://api.ostrel.test/")).type(), QNetworkProxy::NoProxy);
}

TEST_F(ApplicationProxyTest, AProxyTheProgramSetItselfComesBackAfter)
{
    const QNetworkProxy own(QNetworkProxy::HttpProxy, QStringLiteral("proxy.example.org"), 3128);
    QNetworkProxy::setApplicationProxy(own);
    ApplicationProxy::pointAt(9999, kExceptions);
    ApplicationProxy::pointAt(9999, kExceptions);
    EXPECT_TRUE(isListener(routeTo(QStringLiteral("https://api.ostrel.test/")), 9999));

    ApplicationProxy::restore();
    EXPECT_EQ(routeTo(QStringLiteral("https://api.ostrel.test/")), own);
    EXPECT_EQ(QNetworkProxy::applicationProxy(), own);
    // Restoring twice changes nothing.
    ApplicationProxy::restore();
    EXPECT_EQ(routeTo(QStringLiteral("https://api.ostrel.test/")), own);
}

TEST_F(ApplicationProxyTest, NotPointedThePagesTakeTheSystemsRoadToTheServiceAndTheRestGoesAsQtSendsIt)
{
    ASSERT_TRUE(pointClientAt({kService}));
    // A proxy only the system's configuration names: the environment's http_proxy, which Qt also
    // takes for https, while Chromium, reading the environment itself, sends https straight.
    qputenv("http_proxy", "http://127.0.0.1:3128");
    const QNetworkProxy system = routeTo(kService + QStringLiteral("/api/x"));
    ASSERT_EQ(system, QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128));
    QList<QList<QNetworkProxy>> asQtSendsThem;
    for (const QNetworkProxyQuery &query : ownQuestions())
        asQtSendsThem << QNetworkProxyFactory::proxyForQuery(query);

    ApplicationProxy::install();
    EXPECT_FALSE(ApplicationProxy::isPointed());
    // Qt WebEngine's question gets the system's answer for the service's address.
    EXPECT_EQ(afterTheSystemAnswered([] { return QNetworkProxy::applicationProxy(); }), system);
    // Every other question gets Qt's answer of before.
    for (int i = 0; i < ownQuestions().size(); ++i) {
        EXPECT_EQ(afterTheSystemAnswered([i] { return QNetworkProxyFactory::proxyForQuery(ownQuestions().at(i)); }),
                  asQtSendsThem.at(i)) << i;
    }
    // The service's address, not any host: one the system sends straight has the pages go straight.
    qputenv("no_proxy", "api.ostrel.test");
    EXPECT_EQ(afterTheSystemAnswered([] { return QNetworkProxy::applicationProxy(); }).type(), QNetworkProxy::NoProxy);
    qunsetenv("no_proxy");

    // After a connect and a disconnect the pages ask the client still.
    ApplicationProxy::pointAt(9999, kExceptions);
    ApplicationProxy::restore();
    EXPECT_EQ(afterTheSystemAnswered([] { return QNetworkProxy::applicationProxy(); }), system);
    for (int i = 0; i < ownQuestions().size(); ++i)
        EXPECT_EQ(QNetworkProxyFactory::proxyForQuery(ownQuestions().at(i)), asQtSendsThem.at(i)) << i;
}

// A client killed while connected with the kill switch on left the desktop's proxy at its own
// listener, where nothing serves at the next start. Where Qt reads the desktop's setting (the
// environment here, as libproxy's desktop plugins elsewhere), the start's first requests went
// there before the helper's restore landed: the first API request failed, the launch events were
// dropped. From the start's restore on, none goes there, however late the helper answers, and
// however the desktop names the listener: by its address or as localhost.
class DeadListenerAtTheStartTest : public ApplicationProxyTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(DeadListenerAtTheStartTest, FromTheStartNoRequestTakesTheDeadListenerTheSystemStillNames)
{
    if (const std::optional<std::string> why = OwnNetwork::listenerUnavailable(HLLPACUtilWrapper::kLocalPort))
        GTEST_SKIP() << *why;
    DeadListenerTrap trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));
    // "localhost" may be looked up as ::1 first: the listener's port there is a trap too, where the
    // network has IPv6.
    DeadListenerTrap trapV6;
    trapV6.listen(QHostAddress::LocalHostIPv6, HLLPACUtilWrapper::kLocalPort);
    // As the desktop still names it (GNOME's manual proxy is a SOCKS one; the environment's is
    // read as HTTP: the listener is the client's either way).
    qputenv("http_proxy", QByteArray("http://") + GetParam() + ':' + QByteArray::number(HLLPACUtilWrapper::kLocalPort));
    ASSERT_TRUE(pointClientAt({kService}));
    RecordingHelper helper(RecordingHelper::Answers::Never);
    // A helper that stays silent, answered as its connection's call bound answers it.
    helper.disableError = HelperError::noAnswer();
    HLLPACUtilWrapper::setHelperForTesting(&helper);

    // As the application's start has it.
    ApplicationProxy::install();
    HLLPACUtilWrapper::restoreAfterCrash();
    ASSERT_EQ(helper.journal().filter(QStringLiteral("disable")).size(), 1) << "the start asked for no restore";

    // A request of a network manager of the client's, as its API requests go, and a launch event,
    // which waits for the restore until the helper's answer.
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(kService + QStringLiteral("/api/x")))));
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    XSAnalyticsManager::shared().track(QStringLiteral("launchPage_show"));
    helper.answerHeld();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished() && !uploaded.isEmpty(); }, 60000));
    EXPECT_EQ(trap.taken + trapV6.taken, 0) << "a request of the start went to the client's own listener";
    // It went straight, where nobody knows the service's test name: not a proxy's failure.
    EXPECT_EQ(reply->error(), QNetworkReply::HostNotFoundError) << reply->errorString().toStdString();
    // The pages' road: straight too.
    EXPECT_EQ(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);

    // A proxy of the user's on loopback at another port is still the system's route.
    qputenv("http_proxy", "http://127.0.0.1:3128");
    EXPECT_EQ(afterTheSystemAnswered([] { return routeTo(kService); }),
              QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128));
    EXPECT_EQ(QNetworkProxy::applicationProxy(), QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128));
}

INSTANTIATE_TEST_SUITE_P(AsTheDesktopNamesIt, DeadListenerAtTheStartTest, ::testing::Values("127.0.0.1", "localhost"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.index == 0 ? "ByAddress" : "AsLocalhost");
                         });

// The same start on a network that only the user's own proxy leads out of. Leaving the dead
// listener out sends a request straight, which fails there: the start's first requests (an API
// request, a launch event, the first host probe, the remote host lists' fetch) wait for the
// helper's restore, which puts the user's proxy back in the desktop's setting a moment later, and
// then take that proxy. They leave on the helper's answer: the gate's bound is out of reach here.
TEST_F(ApplicationProxyTest, TheStartsFirstRequestsWaitForTheRestoreAndTakeTheUsersOwnProxy)
{
    if (const std::optional<std::string> why = OwnNetwork::listenerUnavailable(HLLPACUtilWrapper::kLocalPort))
        GTEST_SKIP() << *why;
    DeadListenerTrap trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(HLLPACUtilWrapper::kLocalPort));
    ASSERT_TRUE(pointClientAt({kService}));
    // The round probes the host given and nothing else; a round given no host fetches the lists.
    OOHostSafeAdpter::shared().setGeneratedDomainsForTesting(QStringList());
    const QJsonArray lists{QStringLiteral("https://lists.ostrel.test/hosts")};
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(lists).toJson()), OOHostSafeAdpter::kRemoteUrlsKey));
    UsersOwnProxy usersProxy;
    ASSERT_TRUE(usersProxy.isListening());
    RecordingHelper helper(RecordingHelper::Answers::Never);
    HLLPACUtilWrapper::setHelperForTesting(&helper);

    ApplicationProxy::install();
    HLLPACUtilWrapper::restoreAfterCrash();
    // A newer hold's bound replaces the start's: only the helper's answer opens the gate now.
    StartRestoreGate::hold(kNoBound);
    // The helper gives the user's setting back, then answers: after the requests below were made.
    QObject restoring;
    QTimer::singleShot(300, &restoring, [&] {
        qputenv("http_proxy", usersProxy.asTheEnvironmentNamesIt());
        helper.answerHeld();
    });

    // Each to a name of its own, so that the user's proxy tells them apart.
    bool answered = false;
    OONetWork::shared().requestData(QStringLiteral("GET"), QStringLiteral("https://first-request.ostrel.test/api/x"), false,
                                    std::nullopt, std::nullopt,
                                    [&](std::optional<QJsonObject>, std::optional<NetError>) { answered = true; });
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    XSAnalyticsManager::shared().track(QStringLiteral("launchPage_show"));
    bool probed = false;
    OOHostSafeAdpter::shared().pollHosts({QStringLiteral("https://probe.ostrel.test")}, [&](const QString &) { probed = true; });
    bool listed = false;
    OOHostSafeAdpter::shared().pollHosts({}, [&](const QString &) { listed = true; });
    const bool allLeft = QTest::qWaitFor([&] { return answered && !uploaded.isEmpty() && probed && listed; }, 60000);
    EXPECT_TRUE(NHHostTable().remove(OOHostSafeAdpter::kRemoteUrlsKey));
    ASSERT_TRUE(allLeft) << "the held requests did not leave on the helper's answer";

    const QString seen = usersProxy.requests.join(QLatin1Char('|'));
    for (const char *name : {"first-request.ostrel.test", "api.ostrel.test", "probe.ostrel.test", "lists.ostrel.test"}) {
        EXPECT_TRUE(usersProxy.requests.contains(QStringLiteral("CONNECT %1:443 HTTP/1.1").arg(QLatin1String(name))))
            << name << " did not take the user's proxy: " << seen.toStdString();
    }
    // The lists are fetched twice: by the round given no host, at the start, and by the probe's
    // round once its probe failed. Each fetch had ended before its round answered, so the proxy has
    // seen all it will. But while the start's fetch is still connecting, Qt queues the second on
    // that same connection and fails both with its refused CONNECT: one CONNECT or two.
    const qsizetype listsAsked = usersProxy.requests.count(QStringLiteral("CONNECT lists.ostrel.test:443 HTTP/1.1"));
    EXPECT_TRUE(listsAsked == 1 || listsAsked == 2) << seen.toStdString();
    EXPECT_EQ(trap.taken, 0) << "a request of the start went to the client's own listener";
}

} // namespace

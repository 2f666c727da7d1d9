// The system's proxy answer as every part of the client gets it: at once, from the last answer,
// on any thread, whatever the system is doing; asked again, so that a changed setting reaches the
// next request; and, with a reader that holds only the hosts it names (Qt's own holds every
// question behind a stuck one), a question that never comes back keeps no other from being asked.

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "common/ProcessTeardown.h"
#include "networking/ApplicationProxy.h"
#include "networking/SystemRoute.h"
#include "support/HeldProxySystem.h"

namespace {

const QUrl kService(QStringLiteral("https://api.ostrel.test/api/x"));
const QNetworkProxy kUsersProxy(QNetworkProxy::HttpProxy, QStringLiteral("proxy.example.org"), 3128);
// A bound against a hang, never the measure of a pass: an answer from the cache takes microseconds.
constexpr auto kHangBound = std::chrono::seconds(20);

// A system that names the user's proxy for every host, holding its answers for the hosts given.
class HeldSystem : public HeldProxySystem
{
public:
    explicit HeldSystem(QStringList heldHosts)
        : HeldProxySystem({kUsersProxy}, std::move(heldHosts))
    {
    }
};

// The route Qt gives a request to `url`, asked on a thread of the test's as a network manager's
// thread asks it; nothing when that question did not come back.
std::optional<QList<QNetworkProxy>> askedOffTheWindowsThread(const QUrl &url)
{
    auto answer = std::make_shared<std::promise<QList<QNetworkProxy>>>();
    std::future<QList<QNetworkProxy>> asked = answer->get_future();
    // Left to end by itself: a thread stuck in the question ends once the case frees the system.
    std::thread([url, answer] { answer->set_value(QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url))); }).detach();
    if (asked.wait_for(kHangBound) != std::future_status::ready)
        return std::nullopt;
    return asked.get();
}

class SystemRouteTest : public ::testing::Test
{
protected:
    void SetUp() override { ApplicationProxy::install(); }
    void TearDown() override { SystemRoute::setReaderForTesting(nullptr); }
};

TEST_F(SystemRouteTest, QtsQuestionsOnAnyThreadAreAnsweredAtOnceFromTheLastAnswer)
{
    HeldSystem system({QStringLiteral("api.ostrel.test")});
    QSignalSpy changed(&ApplicationProxy::shared(), &ApplicationProxy::changed);

    // No answer yet: straight, as Qt goes where the system names no proxy.
    const std::optional<QList<QNetworkProxy>> before = askedOffTheWindowsThread(kService);
    ASSERT_TRUE(before) << "a question of Qt's waited for the system";
    ASSERT_FALSE(before->isEmpty());
    EXPECT_EQ(before->first().type(), QNetworkProxy::NoProxy);
    EXPECT_EQ(QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(kService)).first().type(), QNetworkProxy::NoProxy);

    // The answer comes: it replaces the old one, and the route's users are told.
    system.release();
    // Waited for both: another address's answer (the factory's own question as it went in) may
    // tell the users first.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return SystemRoute::known(QNetworkProxyQuery(kService)).has_value() && !changed.isEmpty(); }, 30000));
    const std::optional<QList<QNetworkProxy>> after = askedOffTheWindowsThread(kService);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->first(), kUsersProxy);
}

// A reader that holds only the named hosts, as HeldProxySystem does: Qt's own would hold the
// service's question behind the stuck one too, and the last answers would stand.
TEST_F(SystemRouteTest, AReaderThatHoldsOnlyTheNamedHostsAnswersOthersBesideAQuestionThatNeverComesBack)
{
    HeldSystem system({QStringLiteral("stuck.example")});
    const QNetworkProxyQuery stuck(QUrl(QStringLiteral("https://stuck.example/")));
    EXPECT_EQ(SystemRoute::routeFor(stuck).first().type(), QNetworkProxy::NoProxy);
    ASSERT_TRUE(QTest::qWaitFor([&] { return system.asked() == 1; }, 30000));

    SystemRoute::routeFor(QNetworkProxyQuery(kService));
    EXPECT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(QNetworkProxyQuery(kService)).has_value(); }, 30000))
        << "a question waited behind one that never comes back";
    EXPECT_EQ(SystemRoute::routeFor(QNetworkProxyQuery(kService)).first(), kUsersProxy);
    EXPECT_TRUE(SystemRoute::isAsking());
    EXPECT_FALSE(SystemRoute::known(stuck).has_value());
}

TEST_F(SystemRouteTest, ANewAddressTakesTheNewestAnswerForAnotherUntilItsOwnComes)
{
    HeldSystem system({QStringLiteral("images.example")});
    SystemRoute::routeFor(QNetworkProxyQuery(kService));
    ASSERT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(QNetworkProxyQuery(kService)).has_value(); }, 30000));

    // On a network only the user's proxy leads out of, straight would fail: the first request to
    // an address the system has not answered for yet takes the proxy it named for the service.
    const QNetworkProxyQuery image(QUrl(QStringLiteral("https://images.example/a.png")));
    EXPECT_EQ(SystemRoute::routeFor(image).first(), kUsersProxy);
    EXPECT_FALSE(SystemRoute::known(image).has_value());
    // A question that is not about an address has nothing to go by.
    const QNetworkProxyQuery socket(QStringLiteral("images.example"), 443);
    EXPECT_EQ(SystemRoute::routeFor(socket).first().type(), QNetworkProxy::NoProxy);
}

// The user changes the desktop's proxy setting: the next request still takes the last answer at
// once, and the system, asked again by it, gives the new one to the requests after it.
TEST_F(SystemRouteTest, AChangedSettingReachesTheRequestsAfterTheOneThatAskedAgain)
{
    struct Setting
    {
        std::mutex mutex;
        QList<QNetworkProxy> proxies{QNetworkProxy(QNetworkProxy::NoProxy)};
    };
    const auto setting = std::make_shared<Setting>();
    SystemRoute::setReaderForTesting([setting](const QNetworkProxyQuery &) {
        std::lock_guard lock(setting->mutex);
        return setting->proxies;
    });
    const QNetworkProxyQuery service(kService);
    SystemRoute::routeFor(service);
    ASSERT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(service).has_value(); }, 30000));

    {
        std::lock_guard lock(setting->mutex);
        setting->proxies = {kUsersProxy};
    }
    QSignalSpy answered(&SystemRoute::shared(), &SystemRoute::answered);
    EXPECT_EQ(SystemRoute::routeFor(service).first().type(), QNetworkProxy::NoProxy);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !answered.isEmpty() && SystemRoute::known(service) == QList<QNetworkProxy>{kUsersProxy}; }, 30000))
        << "the system was not asked again after its first answer";
    EXPECT_EQ(SystemRoute::routeFor(service).first(), kUsersProxy);
}

// A gate asks afresh for several targets at once. The one idle asker, woken for the first of
// them, is no asker for the others: each gets one of its own, and the question that never comes
// back holds only its own.
TEST_F(SystemRouteTest, QuestionsAskedTogetherEachFindAnAskerOfTheirOwn)
{
    // No asker left from the cases before: the end's step lets every idle one go.
    ProcessTeardown::run();
    HeldSystem system({QStringLiteral("stuck.example")});
    const QNetworkProxyQuery first(QUrl(QStringLiteral("https://first.example/")));
    SystemRoute::routeFor(first);
    // Answered: its asker is idle again, the only one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(first).has_value(); }, 30000));

    const QNetworkProxyQuery stuck(QUrl(QStringLiteral("https://stuck.example/")));
    const QNetworkProxyQuery service(kService);
    QObject waiting;
    SystemRoute::shared().refresh(&waiting, {stuck, service}, [] {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(service).has_value(); }, 30000))
        << "a question asked beside one that never comes back waited behind it";
    EXPECT_FALSE(SystemRoute::known(stuck).has_value());
}

} // namespace

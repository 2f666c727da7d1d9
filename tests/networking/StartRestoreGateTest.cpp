// The gate where the start's requests wait for the start's restore of the desktop's proxy: only a
// request whose system route still names the client's own listener, or is not known yet, waits,
// and it goes, in its turn, as the restore answers (on the route the restore brought back) or the
// bound passes; one whose sender is gone by then does not.

#include <QCoreApplication>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "networking/LocalListeners.h"
#include "networking/StartRestoreGate.h"
#include "support/HeldProxySystem.h"
#include "networking/SystemRoute.h"

namespace {

// Longer than any case runs: only the restore's answer opens the gate.
constexpr int kNoBound = 10 * 60 * 1000;
const QUrl kService(QStringLiteral("https://api.ostrel.test/api/x"));

// Runs the event loop until what was queued before this call has run.
void drainQueued()
{
    bool drained = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&drained] { drained = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drained; }, 5000));
}

// The system's first answers for these targets have come.
bool routesKnown(const QList<QUrl> &targets)
{
    return QTest::qWaitFor([&] {
        bool all = true;
        for (const QUrl &target : targets) {
            if (!SystemRoute::known(QNetworkProxyQuery(target)))
                all = false;
            SystemRoute::routeFor(QNetworkProxyQuery(target));
        }
        return all;
    }, 30000);
}

// A system that answers only when the case lets it.
class HeldSystem : public HeldProxySystem
{
public:
    HeldSystem()
        : HeldProxySystem({QNetworkProxy(QNetworkProxy::NoProxy)})
    {
    }
};

class StartRestoreGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // No answer of an earlier case's.
        SystemRoute::setReaderForTesting(nullptr);
        // As a run killed while connected left the desktop: its listener, here where Qt reads it.
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(LocalListeners::kSocksPort));
        qputenv("no_proxy", "straight.ostrel.test");
    }

    void TearDown() override
    {
        StartRestoreGate::open();
        qunsetenv("http_proxy");
        qunsetenv("no_proxy");
    }

    QObject m_sender;
};

TEST_F(StartRestoreGateTest, RequestsToTheDeadListenersRoadWaitForTheRestoreAndGoInTurnWhenItAnswers)
{
    StartRestoreGate::hold(kNoBound);
    ASSERT_TRUE(routesKnown({kService, QUrl(QStringLiteral("https://straight.ostrel.test/"))}));
    QStringList sent;
    EXPECT_TRUE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] { sent << QStringLiteral("first"); }));
    EXPECT_TRUE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] { sent << QStringLiteral("second"); }));
    // A request the system sends elsewhere than the listener takes no part in the restore: at once.
    EXPECT_FALSE(StartRestoreGate::deferWhileRestoring(&m_sender, QUrl(QStringLiteral("https://straight.ostrel.test/")),
                                         [&] { sent << QStringLiteral("straight"); }));
    // A sender gone before the answer sends nothing.
    auto gone = std::make_unique<QObject>();
    EXPECT_TRUE(StartRestoreGate::deferWhileRestoring(gone.get(), kService, [&] { sent << QStringLiteral("gone"); }));
    gone.reset();
    drainQueued();
    EXPECT_TRUE(sent.isEmpty()) << sent.join(' ').toStdString();
    EXPECT_FALSE(StartRestoreGate::isOpen());

    StartRestoreGate::open();
    EXPECT_TRUE(sent.isEmpty()) << "a held request was sent inside the restore's answer";
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() >= 2; }, 30000));
    drainQueued();
    EXPECT_EQ(sent, QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    // From the answer on nothing waits.
    EXPECT_FALSE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [] {}));
}

TEST_F(StartRestoreGateTest, AStartWhoseSystemNamesNoDeadListenerHoldsNothing)
{
    qputenv("http_proxy", "http://127.0.0.1:3128");
    StartRestoreGate::hold(kNoBound);
    // Only until the system's first answer, which names no listener: the gate opens on it.
    bool sent = false;
    StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] { sent = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent; }, 30000));
    EXPECT_TRUE(StartRestoreGate::isOpen());
    EXPECT_FALSE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [] {}));
    qunsetenv("http_proxy");
    EXPECT_FALSE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [] {}));
}

// A helper that never answers keeps no request for ever: the bound opens the gate.
TEST_F(StartRestoreGateTest, TheBoundSendsWhatWaitsWhenTheRestoreNeverAnswers)
{
    StartRestoreGate::hold(50);
    bool sent = false;
    ASSERT_TRUE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] { sent = true; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent; }, 30000));
    EXPECT_TRUE(StartRestoreGate::isOpen());
}

// At the start the system has not answered yet: a request waits for its first answer, which may
// name the listener, and goes as soon as it names none.
TEST_F(StartRestoreGateTest, ARouteNotKnownYetWaitsForTheSystemsFirstAnswer)
{
    HeldSystem system;
    StartRestoreGate::hold(kNoBound);
    bool sent = false;
    EXPECT_TRUE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] { sent = true; }));
    drainQueued();
    EXPECT_FALSE(sent);
    system.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent; }, 30000));
    EXPECT_TRUE(StartRestoreGate::isOpen());
}

// What waited leaves on the route the restore brought back, not on the last answer from before
// it, which still named the listener (the client's route would leave it out and go straight).
TEST_F(StartRestoreGateTest, WhatWaitedTakesTheRouteTheRestoreBroughtBack)
{
    StartRestoreGate::hold(kNoBound);
    ASSERT_TRUE(routesKnown({kService}));
    std::optional<QList<QNetworkProxy>> routeAtTheSend;
    ASSERT_TRUE(StartRestoreGate::deferWhileRestoring(&m_sender, kService, [&] {
        routeAtTheSend = SystemRoute::routeFor(QNetworkProxyQuery(kService));
    }));
    // The helper gives the user's proxy back, then answers.
    qputenv("http_proxy", "http://127.0.0.1:3128");
    StartRestoreGate::open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return routeAtTheSend.has_value(); }, 30000));
    ASSERT_FALSE(routeAtTheSend->isEmpty());
    EXPECT_EQ(routeAtTheSend->first(), QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128));
}

} // namespace

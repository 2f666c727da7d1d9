// The gate where the start's requests wait for the start's restore of the desktop's proxy: only a
// request whose system road still names the client's own listener waits, and it goes, in its
// turn, as the restore answers or the bound passes; one whose sender is gone by then does not.

#include <QCoreApplication>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include "networking/LocalListeners.h"
#include "networking/StartRestoreGate.h"

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

class StartRestoreGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
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
    QStringList sent;
    EXPECT_TRUE(StartRestoreGate::waits(&m_sender, kService, [&] { sent << QStringLiteral("first"); }));
    EXPECT_TRUE(StartRestoreGate::waits(&m_sender, kService, [&] { sent << QStringLiteral("second"); }));
    // A request the system sends elsewhere than the listener takes no part in the restore: at once.
    EXPECT_FALSE(StartRestoreGate::waits(&m_sender, QUrl(QStringLiteral("https://straight.ostrel.test/")),
                                         [&] { sent << QStringLiteral("straight"); }));
    // A sender gone before the answer sends nothing.
    auto gone = std::make_unique<QObject>();
    EXPECT_TRUE(StartRestoreGate::waits(gone.get(), kService, [&] { sent << QStringLiteral("gone"); }));
    gone.reset();
    drainQueued();
    EXPECT_TRUE(sent.isEmpty()) << sent.join(' ').toStdString();
    EXPECT_FALSE(StartRestoreGate::isOpen());

    StartRestoreGate::open();
    EXPECT_TRUE(sent.isEmpty()) << "a held request was sent inside the restore's answer";
    drainQueued();
    EXPECT_EQ(sent, QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    // From the answer on nothing waits.
    EXPECT_FALSE(StartRestoreGate::waits(&m_sender, kService, [] {}));
}

TEST_F(StartRestoreGateTest, AStartWhoseSystemNamesNoDeadListenerHoldsNothing)
{
    qputenv("http_proxy", "http://127.0.0.1:3128");
    StartRestoreGate::hold(kNoBound);
    EXPECT_FALSE(StartRestoreGate::waits(&m_sender, kService, [] {}));
    qunsetenv("http_proxy");
    EXPECT_FALSE(StartRestoreGate::waits(&m_sender, kService, [] {}));
}

// A helper that never answers keeps no request for ever: the bound opens the gate.
TEST_F(StartRestoreGateTest, TheBoundSendsWhatWaitsWhenTheRestoreNeverAnswers)
{
    StartRestoreGate::hold(50);
    bool sent = false;
    ASSERT_TRUE(StartRestoreGate::waits(&m_sender, kService, [&] { sent = true; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent; }, 30000));
    EXPECT_TRUE(StartRestoreGate::isOpen());
}

} // namespace

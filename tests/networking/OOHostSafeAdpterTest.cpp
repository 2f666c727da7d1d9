// Fail-over across real stand-in instances on loopback, some of them down or foreign.
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "support/LoopbackPort.h"
#include "support/NetworkTestSupport.h"
#include "common/NHHostTable.h"
#include "support/StandinProcess.h"

namespace {

QString deadHost()
{
    // A port that was free a moment ago: nothing listens there.
    return QStringLiteral("http://127.0.0.1:%1").arg(freeLoopbackPort());
}

QString poll(const QStringList &hosts)
{
    bool done = false;
    QString found;
    OOHostSafeAdpter::shared().pollHosts(hosts, [&](const QString &host) { done = true; found = host; });
    EXPECT_FALSE(done) << "answered inside the call";
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    return found;
}

class FailoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (StandinProcess &instance : instances)
            ASSERT_TRUE(instance.start()) << instance.errorText().toStdString();
        hooks = installRecordingHooks();
        OOHostSafeAdpter::shared().setProbeTimeoutForTesting(1000);
        OOHostSafeAdpter::shared().setGeneratedDomainsForTesting(QStringList());
        EXPECT_TRUE(NHHostTable().remove(OOHostSafeAdpter::kRemoteUrlsKey));
        EXPECT_TRUE(NHHostTable().remove(OOHostSafeAdpter::kHistoryHostsKey));
        pointClientAt({deadHost()});
    }

    StandinProcess instances[3];
    std::shared_ptr<RecordingHooks> hooks;
};

} // namespace

TEST_F(FailoverTest, FindsTheOneInstanceThatAnswersWithTheFingerprint)
{
    instances[0].stop();
    instances[1].fault(probePath(), QStringLiteral("wrong_etag"));
    const QStringList hosts{instances[0].baseUrl(), instances[1].baseUrl(), instances[2].baseUrl()};
    EXPECT_EQ(poll(hosts), instances[2].baseUrl());
}

TEST_F(FailoverTest, ProbesThreeAtATimeAndMovesToTheNextBatch)
{
    instances[0].fault(probePath(), QStringLiteral("http500"));
    instances[1].fault(probePath(), QStringLiteral("no_etag"));
    const QStringList hosts{deadHost(), instances[0].baseUrl(), instances[1].baseUrl(), instances[2].baseUrl()};
    EXPECT_EQ(poll(hosts), instances[2].baseUrl());
}

TEST_F(FailoverTest, FallsBackToTheRemoteHostLists)
{
    // Instance 0 publishes a list naming instance 2; the polled hosts are all down or foreign.
    instances[0].control(QJsonObject{{QStringLiteral("remote_hosts"), QJsonArray{instances[2].baseUrl()}}});
    instances[1].fault(probePath(), QStringLiteral("wrong_etag"));
    const QJsonArray remote{instances[0].baseUrl() + QStringLiteral("/hostlist")};
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(remote).toJson()), OOHostSafeAdpter::kRemoteUrlsKey));
    instances[0].fault(probePath(), QStringLiteral("http500"));
    EXPECT_EQ(poll({deadHost(), instances[1].baseUrl()}), instances[2].baseUrl());
}

TEST_F(FailoverTest, FallsBackToTheGeneratedDomainsLast)
{
    // No remote list answers with a usable host; the generated names are tried after it.
    const QJsonArray remote{deadHost() + QStringLiteral("/hostlist"), instances[0].baseUrl() + QStringLiteral("/nothing-here")};
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(remote).toJson()), OOHostSafeAdpter::kRemoteUrlsKey));
    OOHostSafeAdpter::shared().setGeneratedDomainsForTesting(QStringList{deadHost(), instances[1].baseUrl()});
    instances[0].fault(probePath(), QStringLiteral("close"));
    EXPECT_EQ(poll({instances[0].baseUrl()}), instances[1].baseUrl());
}

TEST_F(FailoverTest, ARoundWithNothingToProbeStillAnswersLater)
{
    // No hosts, no remote lists, no generated domains: the round ends at once, but never inside
    // the call that started it.
    EXPECT_EQ(poll({}), QString());
}

TEST_F(FailoverTest, RoundStoresTheFoundHostAndPromptsWhenNoneAnswers)
{
    instances[0].stop();
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(QJsonArray{instances[0].baseUrl(), instances[1].baseUrl()}).toJson()),
                                  OOHostSafeAdpter::kHistoryHostsKey));
    QSignalSpy rounds(&OOHostSafeAdpter::shared(), &OOHostSafeAdpter::roundFinished);
    ASSERT_TRUE(OOHostSafeAdpter::shared().startPollingRoundIfIdle());
    EXPECT_TRUE(OOHostSafeAdpter::shared().isPolling());
    EXPECT_FALSE(OOHostSafeAdpter::shared().startPollingRoundIfIdle());   // one round at a time
    ASSERT_TRUE(rounds.wait(10000));
    EXPECT_FALSE(OOHostSafeAdpter::shared().isPolling());
    const QString found = instances[1].baseUrl();
    EXPECT_EQ(OOHostSafeAdpter::shared().currentDomain(), found);

    instances[1].stop();
    instances[2].stop();
    ASSERT_TRUE(OOHostSafeAdpter::shared().startPollingRoundIfIdle());
    ASSERT_TRUE(rounds.wait(10000));
    EXPECT_EQ(rounds.last().first().toString(), QString());
    EXPECT_EQ(hooks->pollingFailures, 1);
    // A failed round keeps the last good domain.
    EXPECT_EQ(OOHostSafeAdpter::shared().currentDomain(), found);
}

TEST_F(FailoverTest, AFoundHostTheDatabaseRefusesStillServesThisRun)
{
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(QJsonArray{instances[0].baseUrl()}).toJson()),
                                  OOHostSafeAdpter::kHistoryHostsKey));
    // From here the database refuses every write to the host table, as a full disk would.
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("refuse host writes"), [](SQLite::Database &database) {
        database.exec("CREATE TRIGGER IF NOT EXISTS refuse_host BEFORE INSERT ON \"Host\" "
                      "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    }));
    QSignalSpy rounds(&OOHostSafeAdpter::shared(), &OOHostSafeAdpter::roundFinished);
    const bool started = OOHostSafeAdpter::shared().startPollingRoundIfIdle();
    const bool ended = started && rounds.wait(10000);
    const QString current = OOHostSafeAdpter::shared().currentDomain();
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("accept host writes"), [](SQLite::Database &database) {
        database.exec("DROP TRIGGER IF EXISTS refuse_host");
    }));
    ASSERT_TRUE(ended);
    EXPECT_EQ(rounds.last().first().toString().toStdString(), instances[0].baseUrl().toStdString());
    EXPECT_FALSE(NHHostTable().queryJson(OOHostSafeAdpter::kCurrentHostKey).has_value());
    // Not the profile's first host, which is down: the one the round found.
    EXPECT_EQ(current.toStdString(), instances[0].baseUrl().toStdString());
}

TEST_F(FailoverTest, ARoundBegunBeforeAResetKeepsNothingAfterIt)
{
    // One test program runs one client after another against a new service each time: a round
    // the previous client began must not hand its service to the next, whose local pages would
    // send their requests there.
    ASSERT_TRUE(NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(QJsonArray{instances[0].baseUrl()}).toJson()),
                                  OOHostSafeAdpter::kHistoryHostsKey));
    bool ended = false;
    ASSERT_TRUE(OOHostSafeAdpter::shared().startPollingRoundIfIdle([&] { ended = true; }));
    ASSERT_TRUE(pointClientAt({instances[1].baseUrl()}));
    EXPECT_FALSE(OOHostSafeAdpter::shared().isPolling());
    EXPECT_FALSE(NHHostTable().queryJson(OOHostSafeAdpter::kHistoryHostsKey).has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_EQ(OOHostSafeAdpter::shared().currentDomain().toStdString(), instances[1].baseUrl().toStdString());

    // A round of the new client finds the new service and keeps it.
    QSignalSpy rounds(&OOHostSafeAdpter::shared(), &OOHostSafeAdpter::roundFinished);
    ASSERT_TRUE(OOHostSafeAdpter::shared().startPollingRoundIfIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rounds.isEmpty(); }, 10000));
    EXPECT_EQ(rounds.last().first().toString().toStdString(), instances[1].baseUrl().toStdString());
    EXPECT_EQ(OOHostSafeAdpter::shared().currentDomain().toStdString(), instances[1].baseUrl().toStdString());
}

TEST(GeneratedDomains, AreStableForADayAndDifferBetweenDays)
{
    const QDate day(2024, 5, 1);
    const QStringList first = OOHostSafeAdpter::generatedDomains(day);
    EXPECT_EQ(first, OOHostSafeAdpter::generatedDomains(day));
    ASSERT_EQ(first.size(), 6);
    EXPECT_TRUE(first.first().startsWith(QStringLiteral("https://")));
    EXPECT_NE(first.first(), OOHostSafeAdpter::generatedDomains(day.addDays(1)).first());
    // Yesterday's names follow today's, so a clock a little ahead still finds them.
    EXPECT_EQ(first.mid(3), OOHostSafeAdpter::generatedDomains(day.addDays(-1)).mid(0, 3));
}

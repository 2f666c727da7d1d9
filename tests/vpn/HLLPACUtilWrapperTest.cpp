// The switchboard between the roads and the machinery: what it tells the helper, what it posts,
// in which order, and that it leaves no engine behind. A recording helper stands in for the
// daemon; the scripted stand-in engine plays both engines.

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <utility>

#include "EngineTestSupport.h"
#include "support/ConnectTestSupport.h"
#include "support/FileLogText.h"
#include "support/ProcScan.h"
#include "common/DefaultsKeys.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/StartRestoreGate.h"
#include "networking/SystemRoute.h"
#include "support/RecordingHelper.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HLLShadowsocks.h"
#include "vpn/PrivilegedHelperManager.h"
#include "vpn/unreached/LegacyEngineEntries.h"

namespace {

constexpr int kWaitMs = 10000;

class HLLPACUtilWrapperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
        m_record = m_sandbox.path() + QStringLiteral("/runs.txt");
        qputenv("OSTREL_STANDIN_ENGINE_RECORD", m_record.toLocal8Bit());
        m_sandbox.installEngine(EngineInstaller::Engine::SSLocal, scriptedEnginePath());
        m_sandbox.installEngine(EngineInstaller::Engine::SingBox, scriptedEnginePath());
        EngineSetup::setStandardForTesting(m_sandbox.setup);
        HLLPACUtilWrapper::setHelperForTesting(&m_helper);
        for (const QString &name : {NotificationNames::PrivoxyStartSucceed, NotificationNames::kTunStateChange}) {
            NotificationCenter::defaultCenter().addObserver(name, &m_observer, [this, name](const Notification &n) {
                QString entry = name;
                if (n.userInfo.contains(QStringLiteral("status")))
                    entry += QStringLiteral(":") + (n.userInfo.value(QStringLiteral("status")).toBool()
                                                        ? QStringLiteral("true") : QStringLiteral("false"));
                m_journal << entry;
            });
        }
    }

    void TearDown() override
    {
        m_helper.disableError.reset();
        HLLPACUtilWrapper::shutdown(1000);
        HLLPACUtilWrapper::setHelperForTesting(nullptr);
        EngineSetup::resetStandard();
        qunsetenv("OSTREL_STANDIN_ENGINE_RECORD");
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
    }

    // Starts the engine and applies the proxy; the callback's answer, once it came.
    std::optional<std::optional<QString>> connectAndWait(bool tunOn)
    {
        auto result = std::make_shared<std::optional<std::optional<QString>>>();
        HLLPACUtilWrapper::shared().start(
            {configPath(), tunOn}, [this, result](bool ok) {
                m_journal << (ok ? QStringLiteral("started") : QStringLiteral("failed"));
                HLLPACUtilWrapper::applySystemProxy(ok, [result](const std::optional<QString> &error) {
                    *result = error;
                });
            });
        // No answer in time is an empty result, which every caller asserts on.
        [[maybe_unused]] const bool answered = QTest::qWaitFor([&] { return result->has_value(); }, kWaitMs);
        return *result;
    }

    // Connects, then has `lost` hear every engine loss while `context` lives; the engine's pid, or
    // 0 when the connection or its engine is not there. The journal starts afresh.
    pid_t connectHearingLoss(const QObject &context, std::optional<bool> &lost)
    {
        if (!connectAndWait(false).has_value())
            return 0;
        const QList<QStringList> runs = recordedRuns(m_record);
        const pid_t engine = runs.isEmpty() ? 0 : pid_t(runs.last().value(0).toLongLong());
        QObject::connect(&HLLPACUtilWrapper::shared(), &HLLPACUtilWrapper::engineLost, &context,
                         [&lost](bool killSwitchHolds) { lost = killSwitchHolds; });
        m_journal.clear();
        return engine > 0 && ProcScan::alive(engine) ? engine : 0;
    }

    QString configPath() const { return m_sandbox.path() + QStringLiteral("/sslocal.conf"); }
    int runCount() const { return int(recordedRuns(m_record).size()); }

    EngineSandbox m_sandbox{currentMachineName()};
    QString m_record;
    QStringList m_journal;
    RecordingHelper m_helper{m_journal};
    QObject m_observer;
};

const QStringList kSevenExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8",
                                      "FE80::/64", "::1", "FD00::/8"};

TEST_F(HLLPACUtilWrapperTest, TunOffPostsTheStartResultBeforeTheEnableWithoutDns)
{
    UserDefaults::standard().setString(DefaultsKeys::kLocalDnsServerAddress, QStringLiteral("223.5.5.5"));
    const auto answer = connectAndWait(false);
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->has_value()) << answer->value_or(QString()).toStdString();
    EXPECT_EQ(m_journal, (QStringList{"PrivoxyStartSucceed:true", "started", "restoreOnEnd:yes", "enable"}));
    ASSERT_EQ(m_helper.enables.size(), 1u);
    const RecordingHelper::Enable &enable = m_helper.enables.front();
    EXPECT_EQ(enable.port, 9999);
    EXPECT_EQ(enable.socksPort, 9999);
    EXPECT_FALSE(enable.pac.has_value());
    EXPECT_FALSE(enable.dns.has_value());
    EXPECT_TRUE(enable.filterInterface);
    EXPECT_EQ(enable.ignoreList, kSevenExceptions);
    EXPECT_EQ(runCount(), 1);
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_TRUE(ownRequestsTakeTheEngine());
}

// The helper hears the kill switch on the connection of the enable, before it: a switch changed
// while disconnected is news to nobody; one changed while connected is told at once.
TEST_F(HLLPACUtilWrapperTest, TheHelperHearsTheKillSwitchBeforeEachEnableAndWhileConnected)
{
    HLLPACUtilWrapper::setKillSwitch(true);
    EXPECT_TRUE(m_journal.isEmpty()) << m_journal.join(' ').toStdString();
    ASSERT_TRUE(connectAndWait(false).has_value());
    EXPECT_EQ(m_journal, (QStringList{"PrivoxyStartSucceed:true", "started", "restoreOnEnd:no", "enable"}));

    m_journal.clear();
    HLLPACUtilWrapper::setKillSwitch(false);
    HLLPACUtilWrapper::setKillSwitch(true);
    EXPECT_EQ(m_journal, (QStringList{"restoreOnEnd:yes", "restoreOnEnd:no"}));

    bool stopped = false;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
    m_journal.clear();
    HLLPACUtilWrapper::setKillSwitch(false);
    EXPECT_TRUE(m_journal.isEmpty()) << m_journal.join(' ').toStdString();
}

TEST_F(HLLPACUtilWrapperTest, TunOnStartsOneTunEngineAndPassesTheDns)
{
    UserDefaults::standard().setString(DefaultsKeys::kLocalDnsServerAddress, QStringLiteral("8.8.8.8"));
    // The engine reports its start twice: the proxy is applied again, the TUN engine kept.
    writeEngineScript(m_sandbox.path(), {"print 0:start_success", "sleep 300", "print 0:start_success"});
    const auto answer = connectAndWait(true);
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->has_value());
    EXPECT_FALSE(m_journal.contains(QStringLiteral("PrivoxyStartSucceed:true")));
    EXPECT_EQ(m_journal.mid(0, 4), (QStringList{"started", "kTunStateChange", "restoreOnEnd:yes", "enable"}));
    ASSERT_FALSE(m_helper.enables.empty());
    EXPECT_EQ(m_helper.enables.front().dns, QStringLiteral("8.8.8.8"));
    EXPECT_EQ(m_helper.enables.front().ignoreList, kSevenExceptions);

    ASSERT_TRUE(QTest::qWaitFor([&] { return m_helper.enables.size() == 2; }, kWaitMs));
    // A second TUN engine would have announced its start before this enable could come.
    EXPECT_EQ(m_journal.count(QStringLiteral("kTunStateChange")), 1) << m_journal.join(' ').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runCount() >= 2; }, kWaitMs));
    EXPECT_EQ(runCount(), 2) << "one sslocal and one sing-box";
}

TEST_F(HLLPACUtilWrapperTest, StopReplyMarksTheProxyOffBeforeItCallsBackAndEndsTheEngines)
{
    ASSERT_TRUE(connectAndWait(false).has_value());
    ASSERT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
    m_journal.clear();
    ASSERT_TRUE(ownRequestsTakeTheEngine());
    std::optional<bool> onWhenCalledBack;
    std::optional<bool> engineRoadWhenCalledBack;
    bool called = false;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &error) {
        EXPECT_FALSE(error.has_value());
        onWhenCalledBack = UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn);
        engineRoadWhenCalledBack = ownRequestsTakeTheEngine();
        m_journal << QStringLiteral("callback");
        called = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }, kWaitMs));
    EXPECT_EQ(m_journal, (QStringList{"disable", "kTunStateChange", "callback"}));
    EXPECT_EQ(onWhenCalledBack, false);
    EXPECT_EQ(engineRoadWhenCalledBack, false);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
}

TEST_F(HLLPACUtilWrapperTest, StopThatTheHelperRefusesKeepsTheConnectionAndOneItGoesOnWithEndsIt)
{
    ASSERT_TRUE(connectAndWait(false).has_value());
    m_helper.disableError = HelperError::refused(QStringLiteral("cannot write the settings"));
    std::optional<std::optional<QString>> answer;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &error) { answer = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, kWaitMs));
    EXPECT_EQ(*answer, QStringLiteral("cannot write the settings"));
    // The desktop may still point at the engine: it keeps running, and the proxy counts as on.
    EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_TRUE(ownRequestsTakeTheEngine());
    // The refusal is in the file log under the switchboard's name and the stop's, as a restore
    // that did not happen.
    EXPECT_TRUE(fileLogText().contains(QStringLiteral(
        "[info] HLLPACUtilWrapper stopLocal(_:) the desktop proxy is not back as before the connect: cannot write the settings")));

    // The helper has the restore in hand (its store did not take it yet): the disconnect is done,
    // the engines end, and the log says when the desktop comes back.
    m_helper.disableError = HelperError::restoreWaits(QStringLiteral("the store did not take it"));
    answer.reset();
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &error) { answer = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, kWaitMs));
    EXPECT_EQ(*answer, std::nullopt);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_FALSE(ownRequestsTakeTheEngine());
    EXPECT_TRUE(fileLogText().contains(QStringLiteral("stopLocal(_:) the desktop proxy comes back as before the connect once its "
                                                      "store takes it; the helper goes on with it: the store did not take it")));
}

TEST_F(HLLPACUtilWrapperTest, FailuresRestoreTheSettingsAndEndTheEngines)
{
    // The helper refuses the enable: the settings are restored and the engine goes.
    m_helper.enableError = HelperError::refused(QStringLiteral("backend unavailable"));
    auto answer = connectAndWait(false);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, QStringLiteral("backend unavailable"));
    EXPECT_EQ(m_journal.mid(m_journal.indexOf(QStringLiteral("enable")) - 1),
              (QStringList{"restoreOnEnd:yes", "enable", "disable", "kTunStateChange"}));
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_FALSE(ownRequestsTakeTheEngine());
    EXPECT_TRUE(fileLogText().contains(QStringLiteral("[info] HLLPACUtilWrapper applyConfig(_:) backend unavailable")));

    // The engine ends before its start line: the start fails and nothing is enabled.
    m_helper.enableError.reset();
    m_helper.enables.clear();
    m_journal.clear();
    writeEngineScript(m_sandbox.path(), {"print booting", "exit 3"});
    answer = connectAndWait(false);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->has_value());
    EXPECT_TRUE(m_helper.enables.empty());
    EXPECT_TRUE(m_journal.contains(QStringLiteral("PrivoxyStartSucceed:false")));
    EXPECT_TRUE(m_journal.contains(QStringLiteral("disable")));
}

TEST_F(HLLPACUtilWrapperTest, NoHelperFailsTheRoadInsteadOfWaiting)
{
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
    PrivilegedHelperManager::Options options = PrivilegedHelperManager::defaultOptions();
    options.socketPath = m_sandbox.path() + QStringLiteral("/nobody-listens.sock");
    options.installedHelperPath = m_sandbox.path() + QStringLiteral("/not-installed");
    PrivilegedHelperManager::configureShared(options);
    const auto answer = connectAndWait(false);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->has_value());
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    PrivilegedHelperManager::configureShared(PrivilegedHelperManager::defaultOptions());
}

TEST_F(HLLPACUtilWrapperTest, QuittingWaitsABoundedTimeForASilentHelper)
{
    ASSERT_TRUE(connectAndWait(false).has_value());
    m_helper.answers = RecordingHelper::Answers::Never;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(HLLPACUtilWrapper::shutdown(300));
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_FALSE(ownRequestsTakeTheEngine()) << "the engines are gone, whatever the helper answered";
    m_helper.answers = RecordingHelper::Answers::Later;
}

TEST_F(HLLPACUtilWrapperTest, TheStoredEntryStartsFromVpnInfoAndFailsWithoutIt)
{
    std::optional<bool> result;
    LegacyEngineEntries::syncSSlocalWithStartLocalSucceed([&](bool ok) { result = ok; }, false);
    EXPECT_FALSE(result.has_value()) << "answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
    EXPECT_FALSE(*result);
    EXPECT_EQ(runCount(), 0);

    const QString stored = m_sandbox.path() + QStringLiteral("/stored.conf");
    UserDefaults::standard().setDictionary(DefaultsKeys::VPNInfo, QJsonObject{{QStringLiteral("configPath"), stored}});
    result.reset();
    LegacyEngineEntries::syncSSlocalWithStartLocalSucceed([&](bool ok) { result = ok; }, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
    EXPECT_TRUE(*result);
    const QList<QStringList> runs = recordedRuns(m_record);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs.first().mid(1), (QStringList{"-c", stored}));
}

TEST_F(HLLPACUtilWrapperTest, AGivenStartRunsItsOwnConfigurationWhateverTheDefaultsHold)
{
    const QString stored = m_sandbox.path() + QStringLiteral("/stored.conf");
    UserDefaults::standard().setDictionary(DefaultsKeys::VPNInfo, QJsonObject{{QStringLiteral("configPath"), stored}});
    const QString own = m_sandbox.path() + QStringLiteral("/given.conf");
    std::optional<bool> result;
    HLLPACUtilWrapper::shared().start({own, false}, [&](bool ok) { result = ok; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
    EXPECT_TRUE(*result);
    const QList<QStringList> runs = recordedRuns(m_record);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs.first().mid(1), (QStringList{"-c", own}));
    EXPECT_EQ(UserDefaults::standard().dictionaryValue(DefaultsKeys::VPNInfo)->value(QStringLiteral("configPath")).toString(),
              stored);
}

TEST_F(HLLPACUtilWrapperTest, DisconnectingFromAStubbornEngineKeepsTheWindowResponsive)
{
    // The engine ignores SIGTERM, so it ends only when its grace period is over; the stop must
    // wait for that in the event loop, with timers (and the window) going on meanwhile.
    writeEngineScript(m_sandbox.path(), {"ignore-term", "print start_success", "wait"});
    ASSERT_TRUE(connectAndWait(false).has_value());
    const QList<QStringList> runs = recordedRuns(m_record);
    ASSERT_EQ(runs.size(), 1);
    const pid_t engine = pid_t(runs.first().value(0).toLongLong());
    ASSERT_TRUE(ProcScan::alive(engine));

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    bool called = false;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { called = true; });
    // Returned before the grace period ran out: the engine that ignores SIGTERM is still there.
    EXPECT_FALSE(called) << "stopLocal() answered inside the call";
    EXPECT_TRUE(ProcScan::alive(engine)) << "stopLocal() waited for the engine";
    const int ticksBeforeWaiting = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }, kWaitMs));
    EXPECT_GE(clock.elapsed(), HLLShadowsocks::kDefaultStopGraceMs - 100) << "the engine was meant to ignore SIGTERM";
    EXPECT_FALSE(ProcScan::alive(engine));
    // Timers went on while the stop waited (counted, not timed, so a loaded machine passes too).
    EXPECT_GT(ticks, ticksBeforeWaiting) << "the loop stood still for " << clock.elapsed() << " ms";
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
}

TEST_F(HLLPACUtilWrapperTest, LocalDefaultsAreRegisteredAndBackupsFollowTheListener)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.remove(DefaultsKeys::ShadowsocksOn);
    defaults.setInteger(DefaultsKeys::mac_proxy_type, 1);
    HLLPACUtilWrapper::configLocal();
    EXPECT_TRUE(defaults.boolForKey(DefaultsKeys::ShadowsocksOn)) << "registered, nothing stored";
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::ShadowsocksRunningMode), QStringLiteral("externalPAC"));
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::LocalSocks5_ListenPort), 9999);
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::PacServer_ListenPort), 1089);
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::LocalHTTP_ListenPort), 1087);
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::ProxyExceptions),
              QStringLiteral("127.0.0.1, localhost, 192.168.0.0/16, 10.0.0.0/8, FE80::/64, ::1, FD00::/8"));
    EXPECT_TRUE(defaults.stringValue(DefaultsKeys::GFWListURL)->endsWith("/gfwlist/gfwlist/master/gfwlist.txt"));
    // A stored value wins over the registered one.
    defaults.setBool(DefaultsKeys::ShadowsocksOn, false);
    HLLPACUtilWrapper::configLocal();
    EXPECT_FALSE(defaults.boolForKey(DefaultsKeys::ShadowsocksOn));

    LegacyEngineEntries::syncPac();
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::LocalSocks5_ListenAddress_Old), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::LocalSocks5_ListenPort_Old), 9999);
    // No listener address at all (nothing stored, nothing registered): the backup goes too.
    defaults.removePersistentDomain();
    UserDefaults::reloadAllForTesting();
    UserDefaults &fresh = UserDefaults::standard();
    fresh.setString(DefaultsKeys::LocalSocks5_ListenAddress_Old, QStringLiteral("10.1.1.1"));
    LegacyEngineEntries::syncPac();
    EXPECT_FALSE(fresh.contains(DefaultsKeys::LocalSocks5_ListenAddress_Old));
}

} // namespace

TEST_F(HLLPACUtilWrapperTest, SuspendingForAnInstallKeepsTheEnginesAndResumingPointsTheProxyBack)
{
    ASSERT_TRUE(connectAndWait(false).has_value());
    m_journal.clear();
    const size_t enablesBefore = m_helper.enables.size();
    std::optional<std::optional<QString>> suspended;
    HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return suspended.has_value(); }, kWaitMs));
    EXPECT_FALSE(suspended->has_value());
    // The desktop proxy is the user's own again, but the connection stands.
    EXPECT_EQ(m_journal, QStringList{"disable"});
    EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_FALSE(ownRequestsTakeTheEngine());

    std::optional<std::optional<QString>> resumed;
    HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
    EXPECT_FALSE(resumed->has_value());
    EXPECT_EQ(m_journal, (QStringList{"disable", "restoreOnEnd:yes", "enable"}));
    ASSERT_EQ(m_helper.enables.size(), enablesBefore + 1);
    EXPECT_EQ(m_helper.enables.back().port, HLLPACUtilWrapper::kLocalPort);
    EXPECT_TRUE(ownRequestsTakeTheEngine());

    // A second resume has nothing to put back.
    resumed.reset();
    HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
    EXPECT_EQ(m_journal, (QStringList{"disable", "restoreOnEnd:yes", "enable"}));
}

TEST_F(HLLPACUtilWrapperTest, AResumeBeforeTheHelperAnsweredTheSuspensionStillPointsTheProxyBack)
{
    // Whether the helper then grants or refuses the suspension, the resume's enable decides.
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "granted");
        ASSERT_TRUE(connectAndWait(false).has_value());
        m_journal.clear();
        m_helper.answers = RecordingHelper::Answers::Never;
        if (refused)
            m_helper.disableError = HelperError::refused(QStringLiteral("cannot write the settings"));
        std::optional<std::optional<QString>> suspended, resumed;
        HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
        m_helper.disableError.reset();
        // A second suspension (the install's, after the window's) waits for the same answer.
        bool secondSuspended = false;
        HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &) { secondSuspended = true; });
        HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
        EXPECT_EQ(m_journal, (QStringList{"disable", "restoreOnEnd:yes", "enable"})) << "the enable queues behind the disable";
        EXPECT_FALSE(suspended.has_value());
        EXPECT_FALSE(secondSuspended);

        m_helper.answerHeld();
        ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
        EXPECT_FALSE(resumed->has_value());
        EXPECT_TRUE(suspended.has_value() && secondSuspended);
        EXPECT_EQ(suspended->has_value(), refused);
        EXPECT_EQ(m_journal, (QStringList{"disable", "restoreOnEnd:yes", "enable"}));
        EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
        EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    }
}

TEST_F(HLLPACUtilWrapperTest, OnlyTheHelpersOwnRefusalKeepsASuspendedProxyOurs)
{
    // A refusal says the desktop proxy stayed ours, so the resume has nothing to point back, however
    // its text reads. After any failure of the way to the helper, named or new, the disable may
    // have been applied, so the resume must point the proxy back.
    const std::vector<std::pair<HelperError, bool>> outcomes = {
        {HelperError::refused(HelperError::unreachable(QStringLiteral("so says the helper")).text()), true},
        {HelperError::unreachable(QStringLiteral("connection refused")), false},
        {HelperError::untrusted(), false},
        {HelperError::noAnswer(), false},
        {HelperError::closed(), false},
        {HelperError::invalidated(), false},
        {HelperError(HelperError::Kind::WentAway, QStringLiteral("a failure nobody has named yet")), false},
    };
    for (const auto &[failure, refused] : outcomes) {
        SCOPED_TRACE(failure.text().toStdString());
        ASSERT_TRUE(connectAndWait(false).has_value());
        m_journal.clear();
        m_helper.disableError = failure;
        std::optional<std::optional<QString>> suspended, resumed;
        HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return suspended.has_value(); }, kWaitMs));
        EXPECT_EQ(*suspended, failure.text());
        m_helper.disableError.reset();

        HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
        EXPECT_FALSE(resumed->has_value());
        EXPECT_EQ(m_journal, refused ? QStringList{"disable"} : (QStringList{"disable", "restoreOnEnd:yes", "enable"}));
        EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
        EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    }
}

TEST_F(HLLPACUtilWrapperTest, SuspendingWithoutAConnectionTouchesNothing)
{
    std::optional<std::optional<QString>> suspended, resumed;
    HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
    EXPECT_FALSE(suspended.has_value()) << "answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return suspended.has_value(); }, kWaitMs));
    HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
    EXPECT_FALSE(suspended->has_value());
    EXPECT_FALSE(resumed->has_value());
    EXPECT_TRUE(m_journal.isEmpty()) << m_journal.join(QLatin1Char(' ')).toStdString();
}

// The helper keeps the desktop proxy pointed at us when it refuses the suspension; an engine that
// then ends, before or after the refusal arrives, must not leave it pointed at a dead listener.
TEST_F(HLLPACUtilWrapperTest, ARefusedSuspensionLeavesTheProxyOursForAnEngineThatDies)
{
    for (const bool diesBeforeTheRefusal : {false, true}) {
        SCOPED_TRACE(diesBeforeTheRefusal ? "the engine dies while the helper is silent"
                                          : "the engine dies after the refusal");
        std::optional<bool> lost;
        QObject context;
        const pid_t engine = connectHearingLoss(context, lost);
        ASSERT_GT(engine, 0);

        m_helper.answers = RecordingHelper::Answers::Never;
        m_helper.disableError = HelperError::refused(QStringLiteral("cannot write the settings"));
        std::optional<std::optional<QString>> suspended;
        HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
        m_helper.disableError.reset();
        if (diesBeforeTheRefusal) {
            ::kill(engine, SIGKILL);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !HLLPACUtilWrapper::shared().hasRunningEngine(); }, kWaitMs));
            EXPECT_EQ(m_journal, QStringList{"disable"}) << "nothing to restore while the suspension is unanswered";
        }
        m_helper.answerHeld();
        ASSERT_TRUE(QTest::qWaitFor([&] { return suspended.has_value(); }, kWaitMs));
        EXPECT_EQ(*suspended, QStringLiteral("cannot write the settings"));
        if (!diesBeforeTheRefusal) {
            EXPECT_TRUE(ownRequestsTakeTheEngine()) << "the desktop proxy is still ours";
            ::kill(engine, SIGKILL);
        }

        // The loss road: the helper is asked to restore the settings and the stopped look follows.
        ASSERT_TRUE(QTest::qWaitFor([&] { return lost.has_value(); }, kWaitMs)) << m_journal.join(' ').toStdString();
        EXPECT_FALSE(*lost);
        EXPECT_EQ(m_journal.mid(0, 2), (QStringList{"disable", "disable"}));
        EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
        EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
        EXPECT_FALSE(ownRequestsTakeTheEngine());
    }
}

// The helper that applied the proxy went away, restoring the user's settings as it ended: whichever
// helper answers now points the proxy back, once however often the loss is heard; when none
// does, the connection ends as a failed connect ends.
TEST_F(HLLPACUtilWrapperTest, AHelperThatWentAwayHasTheProxyPointedBackOrTheConnectionEnds)
{
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "a helper answers" : "no helper answers");
        ASSERT_TRUE(connectAndWait(false).has_value());
        m_journal.clear();
        if (!answers)
            m_helper.enableError = HelperError::unreachable(QStringLiteral("connection refused"));
        bool stopped = false;
        QObject context;
        QObject::connect(&HLLPACUtilWrapper::shared(), &HLLPACUtilWrapper::proxyStopped, &context, [&] { stopped = true; });
        Q_EMIT m_helper.wentAway();
        Q_EMIT m_helper.wentAway();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_journal.contains(QStringLiteral("enable")); }, kWaitMs));
        EXPECT_TRUE(ownRequestsTakeTheEngine()) << "ours while it is pointed back";
        if (answers) {
            EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
            HLLPACUtilWrapper::stopLocal();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
        EXPECT_EQ(m_journal, (QStringList{"restoreOnEnd:yes", "enable", "disable", "kTunStateChange"}));
        EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
        EXPECT_FALSE(ownRequestsTakeTheEngine());
    }
}

// While the enable that points the proxy back after a helper loss is unanswered, the proxy still
// counts as ours: a suspension takes it off, and it stays off once that enable (sent first, so
// applied first) is confirmed, so the resume points it back; an engine that ends is a loss.
TEST_F(HLLPACUtilWrapperTest, AProxyBeingPointedBackIsOursToSuspendOrToLose)
{
    struct Row { const char *name; bool suspend; bool resume; QStringList journal; };
    const QList<Row> rows{
        {"suspended", true, false, {"restoreOnEnd:yes", "enable", "disable"}},
        {"suspended, then resumed", true, true, {"restoreOnEnd:yes", "enable", "disable", "restoreOnEnd:yes", "enable"}},
        {"its engine ends", false, false, {"restoreOnEnd:yes", "enable", "disable", "kTunStateChange"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<bool> lost;
        QObject context;
        const pid_t engine = connectHearingLoss(context, lost);
        ASSERT_GT(engine, 0);
        m_helper.answers = RecordingHelper::Answers::Never;
        Q_EMIT m_helper.wentAway();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_journal.contains(QStringLiteral("enable")); }, kWaitMs));

        std::optional<std::optional<QString>> suspended, resumed;
        if (row.suspend)
            HLLPACUtilWrapper::suspendSystemProxy([&](const std::optional<QString> &error) { suspended = error; });
        else
            ::kill(engine, SIGKILL);
        // Either takes the proxy off at once, behind the unanswered enable.
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_journal.size() == 3; }, kWaitMs))
            << m_journal.join(' ').toStdString();
        m_helper.answerHeld();
        if (row.suspend) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return suspended.has_value(); }, kWaitMs));
            EXPECT_FALSE(suspended->has_value());
        }
        if (row.resume) {
            HLLPACUtilWrapper::resumeSystemProxy([&](const std::optional<QString> &error) { resumed = error; });
            ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.has_value(); }, kWaitMs));
            EXPECT_FALSE(resumed->has_value());
        }
        if (!row.suspend) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return lost.has_value(); }, kWaitMs))
                << m_journal.join(' ').toStdString();
        }
        EXPECT_EQ(m_journal, row.journal) << m_journal.join(' ').toStdString();
        EXPECT_EQ(lost, row.suspend ? std::nullopt : std::optional<bool>(false));
        EXPECT_EQ(HLLPACUtilWrapper::shared().hasRunningEngine(), row.suspend);
        EXPECT_EQ(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn), row.suspend);
        EXPECT_EQ(ownRequestsTakeTheEngine(), row.resume);
    }
}

// A client killed while connected with the kill switch on left the desktop naming its listener.
// On a loaded machine the helper's restore at the next start answers seconds later: the start's
// requests wait for that answer, not for a span of time, then take the setting it brought back.
TEST_F(HLLPACUtilWrapperTest, TheStartsRequestsWaitForASlowRestoreAndTakeTheSettingItBringsBack)
{
    SystemRoute::setReaderForTesting(nullptr);
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(HLLPACUtilWrapper::kLocalPort));
    m_helper.answers = RecordingHelper::Answers::Never;
    HLLPACUtilWrapper::restoreAfterCrash();
    const QUrl service(QStringLiteral("https://api.ostrel.test/api/x"));
    QObject sender;
    std::optional<QList<QNetworkProxy>> routeAtTheSend;
    EXPECT_TRUE(StartRestoreGate::deferWhileRestoring(&sender, service, [&] {
        routeAtTheSend = SystemRoute::routeFor(QNetworkProxyQuery(service));
    }));
    // The system's first answer names the listener: no ordinary start, the request stays.
    EXPECT_TRUE(QTest::qWaitFor([&] { return SystemRoute::known(QNetworkProxyQuery(service)).has_value(); }, 60000));

    // The helper gives the user's proxy back and answers a second and a half from here: timers
    // fire in the order they fall due, so any bound of a second the gate was held with passed first.
    bool answered = false;
    bool heldUntilTheAnswer = false;
    QTimer::singleShot(1500, Qt::PreciseTimer, &sender, [&] {
        heldUntilTheAnswer = !StartRestoreGate::isOpen() && !routeAtTheSend;
        qputenv("http_proxy", "http://127.0.0.1:3128");
        m_helper.answerHeld();
        answered = true;
    });
    const bool sent = QTest::qWaitFor([&] { return answered && routeAtTheSend.has_value(); }, 60000);
    qunsetenv("http_proxy");
    StartRestoreGate::open();
    ASSERT_TRUE(sent);
    EXPECT_TRUE(heldUntilTheAnswer) << "the start's request left before the helper's restore answered";
    ASSERT_FALSE(routeAtTheSend->isEmpty());
    EXPECT_EQ(routeAtTheSend->first(), QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128))
        << "the request left by " << routeAtTheSend->first().hostName().toStdString() << ':' << routeAtTheSend->first().port();
}

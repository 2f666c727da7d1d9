#include "EngineTestSupport.h"
#include "support/FileLogText.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "vpn/HLLConnection.h"
#include "vpn/HLLShadowsocks.h"
#include "vpn/EngineProcess.h"
#include "vpn/HLLSingBox.h"
#include "vpn/SingBoxConfigBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWaitMs = 5000;

class EngineControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        m_record = m_sandbox.path() + QStringLiteral("/runs.txt");
        qputenv("OSTREL_STANDIN_ENGINE_RECORD", m_record.toLocal8Bit());
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
        m_sandbox.installEngine(EngineInstaller::Engine::SSLocal, scriptedEnginePath());
        m_sandbox.installEngine(EngineInstaller::Engine::SingBox, scriptedEnginePath());
        m_config = EngineStart{m_sandbox.path() + QStringLiteral("/sslocal.conf")};
    }

    void TearDown() override
    {
        qunsetenv("OSTREL_STANDIN_ENGINE_RECORD");
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
    }

    std::unique_ptr<HLLShadowsocks> makeShadowsocks()
    {
        auto engine = std::make_unique<HLLShadowsocks>(m_config, nullptr, m_sandbox.setup);
        engine->setStopGrace(300);
        return engine;
    }

    // Starts and waits for the start report; returns the codes reported so far.
    QList<int> startAndWait(HLLShadowsocks &engine, int expectedReports = 1)
    {
        auto codes = std::make_shared<QList<int>>();
        engine.startWithConnectivityChecks(false, [codes](int code) { codes->append(code); });
        EXPECT_TRUE(codes->isEmpty()) << "answered inside the call";
        (void)QTest::qWaitFor([&] { return codes->size() >= expectedReports; }, kWaitMs);
        return *codes;
    }

    QString script(const QStringList &steps) { return writeEngineScript(m_sandbox.path(), steps); }

    EngineSandbox m_sandbox{currentMachineName()};
    QString m_record;
    EngineStart m_config;
};

} // namespace

TEST_F(EngineControllerTest, StartReportsSuccessAndTurnsEveryLineIntoACommand)
{
    script({"write 3:user_serv", "sleep 80", "write ice_expired\\n07:15:02 INFO listening\\n", "print start_success",
            "print 12:user_service_expired"});
    QObject owner;
    QList<QVariantMap> posted;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::ServerCMD, &owner,
                                                    [&](const Notification &n) { posted.append(n.userInfo); });
    auto engine = makeShadowsocks();
    QSignalSpy commands(engine.get(), &HLLShadowsocks::serverCommand);

    EXPECT_EQ(startAndWait(*engine), QList<int>{HLLShadowsocks::Started});
    EXPECT_TRUE(UserDefaults::standard().boolValue(DefaultsKeys::ShadowsocksOn).value_or(false));
    (void)QTest::qWaitFor([&] { return posted.size() >= 4; }, kWaitMs);
    ASSERT_EQ(posted.size(), 4);
    EXPECT_EQ(posted.at(0).value("cmd").toInt(), 3);
    EXPECT_EQ(posted.at(0).value("cmdDes").toString(), QStringLiteral("会员过期"));
    EXPECT_EQ(posted.at(1).value("cmd").toInt(), -1);
    EXPECT_EQ(posted.at(2).value("cmd").toInt(), -1);
    EXPECT_EQ(posted.at(2).value("cmdDes").toString(), QString());
    EXPECT_EQ(posted.at(3).value("cmd").toInt(), 12);
    EXPECT_EQ(commands.size(), 4);

    const QList<QStringList> runs = recordedRuns(m_record);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs.first().mid(1), (QStringList{"-c", m_config.configPath}));
    EXPECT_EQ(runs.first().first().toLongLong(), engine->processId());
}

TEST_F(EngineControllerTest, StartFailuresHaveTheirOwnCodes)
{
    // No start parameters.
    HLLShadowsocks noConfig(EngineStart{}, nullptr, m_sandbox.setup);
    EXPECT_EQ(startAndWait(noConfig), QList<int>{HLLShadowsocks::NoStartParameters});

    // The engine ends before its start line.
    script({"print hello", "exit 3"});
    auto early = makeShadowsocks();
    QSignalSpy exited(early.get(), &HLLShadowsocks::engineExited);
    EXPECT_EQ(startAndWait(*early), QList<int>{HLLShadowsocks::ExitedBeforeStart});
    (void)QTest::qWaitFor([&] { return exited.size() == 1; }, kWaitMs);
    ASSERT_EQ(exited.size(), 1);
    EXPECT_EQ(exited.first().at(0).toInt(), 3);
    EXPECT_FALSE(exited.first().at(1).toBool());

    // The engine never says it started: a time-out ends the wait and the engine.
    script({"print still warming up", "wait"});
    auto silent = makeShadowsocks();
    silent->setStartTimeout(300);
    EXPECT_EQ(startAndWait(*silent), QList<int>{HLLShadowsocks::StartTimedOut});
    (void)QTest::qWaitFor([&] { return !silent->isRunning(); }, kWaitMs);
    EXPECT_FALSE(silent->isRunning());

    // Unknown processor: nothing is installed or started.
    EngineSetup odd = m_sandbox.setup;
    odd.machine = QStringLiteral("mips");
    HLLShadowsocks unknown(m_config, nullptr, odd);
    EXPECT_EQ(startAndWait(unknown), QList<int>{HLLShadowsocks::UnknownArchitecture});

    // The engine is missing and the install is refused.
    QFile::remove(makeShadowsocks()->enginePath());
    m_sandbox.runner.succeed = false;
    auto missing = makeShadowsocks();
    EXPECT_EQ(startAndWait(*missing), QList<int>{HLLShadowsocks::InstallFailed});
    EXPECT_EQ(m_sandbox.runner.scripts.size(), 1);
}

TEST_F(EngineControllerTest, EngineThatCannotBeLaunchedIsReported)
{
    // An executable file the system cannot run.
    const QString bogus = m_sandbox.path() + QStringLiteral("/bogus");
    QFile file(bogus);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x7f" "ELF garbage");
    file.close();
    ASSERT_TRUE(QFile::setPermissions(bogus, QFileDevice::Permissions(0x7755)));
    m_sandbox.installEngine(EngineInstaller::Engine::SSLocal, bogus);
    auto engine = makeShadowsocks();
    const QList<int> codes = startAndWait(*engine);
    ASSERT_EQ(codes.size(), 1);
    EXPECT_TRUE(codes.first() == HLLShadowsocks::LaunchFailed || codes.first() == HLLShadowsocks::ExitedBeforeStart)
        << codes.first();
}

TEST_F(EngineControllerTest, ExitAfterStartIsReported)
{
    script({"print start_success", "sleep 100", "exit 5"});
    auto engine = makeShadowsocks();
    QSignalSpy exited(engine.get(), &HLLShadowsocks::engineExited);
    EXPECT_EQ(startAndWait(*engine), QList<int>{HLLShadowsocks::Started});
    (void)QTest::qWaitFor([&] { return exited.size() == 1; }, kWaitMs);
    ASSERT_EQ(exited.size(), 1);
    EXPECT_EQ(exited.first().at(0).toInt(), 5);
    EXPECT_TRUE(exited.first().at(1).toBool());
}

TEST_F(EngineControllerTest, StartingAgainReplacesTheRunningEngine)
{
    auto engine = makeShadowsocks();
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    const pid_t first = pid_t(engine->processId());
    ASSERT_TRUE(ProcScan::alive(first));

    // A second start while the first is still waiting for its report is refused.
    script({"sleep 200", "print start_success"});
    auto slow = makeShadowsocks();
    auto codes = std::make_shared<QList<int>>();
    slow->startWithConnectivityChecks(false, [codes](int code) { codes->append(code); });
    slow->startWithConnectivityChecks(false, [codes](int code) { codes->append(code); });
    (void)QTest::qWaitFor([&] { return codes->size() >= 2; }, kWaitMs);
    EXPECT_EQ(*codes, (QList<int>{HLLShadowsocks::StartPending, HLLShadowsocks::Started}));

    qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    EXPECT_FALSE(ProcScan::alive(first));
    EXPECT_NE(engine->processId(), first);
    EXPECT_TRUE(ProcScan::alive(pid_t(engine->processId())));

    // What the replaced engine says as it goes is not the new engine's start.
    script({"print start_success", "on-term start_success", "wait"});
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    script({"print warming up", "wait"});
    engine->setStartTimeout(300);
    QSignalSpy exited(engine.get(), &HLLShadowsocks::engineExited);
    EXPECT_EQ(startAndWait(*engine), QList<int>{HLLShadowsocks::StartTimedOut});
    (void)QTest::qWaitFor([&] { return exited.size() == 1; }, kWaitMs);
    // Only the timed-out engine's end is reported, not the replaced one's.
    EXPECT_EQ(exited.size(), 1);
}

TEST_F(EngineControllerTest, StopTerminatesAndKillsAfterTheGracePeriod)
{
    auto engine = makeShadowsocks();
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    const pid_t pid = pid_t(engine->processId());
    QSignalSpy exited(engine.get(), &HLLShadowsocks::engineExited);
    int stopped = -1;
    engine->stop([&](int code) { stopped = code; });
    (void)QTest::qWaitFor([&] { return stopped == 0; }, kWaitMs);
    EXPECT_EQ(stopped, 0);
    EXPECT_FALSE(ProcScan::alive(pid));
    EXPECT_EQ(exited.size(), 1);

    // An engine that ignores SIGTERM is killed once the grace period is over.
    script({"ignore-term", "print start_success", "wait"});
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    const pid_t stubborn = pid_t(engine->processId());
    stopped = -1;
    engine->stop([&](int code) { stopped = code; });
    (void)QTest::qWaitFor([&] { return stopped == 0; }, kWaitMs);
    EXPECT_FALSE(ProcScan::alive(stubborn));

    // Nothing running: answered all the same, later from the event loop.
    stopped = -1;
    engine->stop([&](int code) { stopped = code; });
    EXPECT_EQ(stopped, -1) << "answered inside the call";
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped == 0; }, kWaitMs));
}

TEST_F(EngineControllerTest, EndingAStubbornEngineNeverHoldsTheEventLoop)
{
    // An engine that ignores SIGTERM ends only by SIGKILL after the grace period. Whether it is
    // stopped, replaced by a new start or left behind by its controller, that period passes in
    // the event loop: a 50 ms timer keeps firing throughout.
    constexpr int kGraceMs = 1000;
    script({"ignore-term", "print start_success", "wait"});
    auto engine = makeShadowsocks();
    engine->setStopGrace(kGraceMs);
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    // Timers go on while each wait runs: counted, not timed, so a loaded machine passes too.
    const auto expectTurning = [&ticks](int before) { EXPECT_GT(ticks, before) << "the loop stood still"; };

    const pid_t stopped = pid_t(engine->processId());
    QElapsedTimer clock;
    clock.start();
    bool done = false;
    engine->stop([&](int) { done = true; });
    EXPECT_TRUE(!done && ProcScan::alive(stopped)) << "stop() waited for the engine";
    int before = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
    EXPECT_GE(clock.elapsed(), kGraceMs - 100) << "the engine was meant to ignore SIGTERM";
    EXPECT_FALSE(ProcScan::alive(stopped));
    expectTurning(before);

    // A new start replaces the stubborn engine once it is gone.
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    const pid_t replaced = pid_t(engine->processId());
    ticks = 0;
    clock.restart();
    auto codes = std::make_shared<QList<int>>();
    engine->startWithConnectivityChecks(false, [codes](int code) { codes->append(code); });
    EXPECT_TRUE(codes->isEmpty() && ProcScan::alive(replaced)) << "the start waited for the old engine";
    before = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !codes->isEmpty(); }, kWaitMs));
    EXPECT_EQ(*codes, QList<int>{0});
    EXPECT_FALSE(ProcScan::alive(replaced));
    expectTurning(before);

    // The controller goes: its engine ends in the background.
    const pid_t orphan = pid_t(engine->processId());
    ticks = 0;
    clock.restart();
    engine.reset();
    EXPECT_TRUE(ProcScan::alive(orphan)) << "destruction waited for the engine";
    before = ticks;
    EXPECT_TRUE(ProcessWaits::gone(orphan));
    expectTurning(before);
}

TEST_F(EngineControllerTest, DestroyingTheControllerEndsItsEngine)
{
    auto engine = makeShadowsocks();
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    const pid_t pid = pid_t(engine->processId());
    engine.reset();
    EXPECT_TRUE(ProcessWaits::gone(pid));
}

TEST_F(EngineControllerTest, SingBoxRunsItsConfigurationAndKeepsOneProcess)
{
    script({"print sing-box started", "wait"});
    HLLSingBox singBox(nullptr, m_sandbox.setup);
    singBox.setStopGrace(300);
    QSignalSpy started(&singBox, &HLLSingBox::started);
    QSignalSpy exited(&singBox, &HLLSingBox::engineExited);
    singBox.start();
    (void)QTest::qWaitFor([&] { return started.size() == 1; }, kWaitMs);
    ASSERT_EQ(started.size(), 1);
    const pid_t first = pid_t(singBox.processId());
    (void)QTest::qWaitFor([&] { return recordedRuns(m_record).size() == 1; }, kWaitMs);

    singBox.start();
    (void)QTest::qWaitFor([&] { return started.size() == 2; }, kWaitMs);
    EXPECT_FALSE(ProcScan::alive(first));
    EXPECT_TRUE(ProcScan::alive(pid_t(singBox.processId())));

    // "started" comes when the program runs; its record follows a moment later.
    (void)QTest::qWaitFor([&] { return recordedRuns(m_record).size() == 2; }, kWaitMs);
    const QList<QStringList> runs = recordedRuns(m_record);
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs.first().mid(1), (QStringList{"run", "-c", HLLConnection::singBoxConfigPath()}));

    bool stopped = false;
    const pid_t second = pid_t(singBox.processId());
    singBox.stop([&] { stopped = true; });
    (void)QTest::qWaitFor([&] { return stopped; }, kWaitMs);
    EXPECT_FALSE(ProcScan::alive(second));
    // A replaced engine is not reported as an exit; the stopped one is.
    EXPECT_EQ(exited.size(), 1);
}

TEST_F(EngineControllerTest, SingBoxLogsItsStandardOutputAndLeavesItsErrorOutputApart)
{
    // Error output first: were the two channels one, its line would be read before the other.
    script({"eprint sing-box error line", "print sing-box output line", "wait"});
    HLLSingBox singBox(nullptr, m_sandbox.setup);
    singBox.setStopGrace(300);
    singBox.start();
    ASSERT_TRUE(QTest::qWaitFor([] { return fileLogText().contains(QStringLiteral("标准输出: sing-box output line")); },
                                kWaitMs));
    EXPECT_FALSE(fileLogText().contains(QStringLiteral("sing-box error line")));
    bool stopped = false;
    singBox.stop([&] { stopped = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
}

TEST_F(EngineControllerTest, DemoTunEngineRunsOnTheConfigurationTheClientWritesAndRefusesOthers)
{
    m_sandbox.installEngine(EngineInstaller::Engine::SingBox, tunStandinEnginePath());
    const QString path = HLLConnection::singBoxConfigPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const auto writeConfig = [&path](const QByteArray &content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    };
    writeConfig(QJsonDocument(SingBoxConfigBuilder::build({})).toJson());

    HLLSingBox singBox(nullptr, m_sandbox.setup);
    singBox.setStopGrace(300);
    QSignalSpy started(&singBox, &HLLSingBox::started);
    QSignalSpy exited(&singBox, &HLLSingBox::engineExited);
    EngineProcess *process = singBox.findChild<EngineProcess *>();
    ASSERT_NE(process, nullptr);
    QSignalSpy lines(process, &EngineProcess::lineRead);
    singBox.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.size() == 1; }, kWaitMs));
    const pid_t pid = pid_t(singBox.processId());
    EXPECT_TRUE(ProcScan::alive(pid));
    // Stopped once it says what it would do: a stop sent before it has set up its handling of
    // the stop signal would end it by the signal, which is not what this case is about.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lines.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(lines.first().at(0).toString().contains(QStringLiteral("would open"))) << lines.first().at(0).toString().toStdString();
    bool stopped = false;
    singBox.stop([&] { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
    EXPECT_FALSE(ProcScan::alive(pid));
    // It ran until it was stopped, and ended well: a refused configuration ends it with 1.
    ASSERT_EQ(exited.size(), 1);
    EXPECT_EQ(exited.first().at(0).toInt(), 0);
    exited.clear();

    // A configuration without a TUN inbound is not one the client writes: the engine ends at once.
    writeConfig(R"({"inbounds": [{"type": "socks"}], "outbounds": [{"type": "direct"}]})");
    singBox.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exited.size() == 1; }, kWaitMs));
    EXPECT_EQ(exited.first().at(0).toInt(), 1);
}

TEST_F(EngineControllerTest, SingBoxStartFailuresAreSignalled)
{
    EngineSetup odd = m_sandbox.setup;
    odd.machine = QStringLiteral("mips");
    HLLSingBox unknown(nullptr, odd);
    QSignalSpy failed(&unknown, &HLLSingBox::startFailed);
    unknown.start();
    EXPECT_TRUE(failed.isEmpty()) << "reported inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.size() == 1; }, kWaitMs));
    EXPECT_EQ(failed.first().at(0).toInt(), HLLSingBox::UnknownArchitecture);

    HLLSingBox probe(nullptr, m_sandbox.setup);
    QFile::remove(probe.enginePath());
    m_sandbox.runner.succeed = false;
    HLLSingBox missing(nullptr, m_sandbox.setup);
    QSignalSpy missingFailed(&missing, &HLLSingBox::startFailed);
    missing.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return missingFailed.size() == 1; }, kWaitMs));
    EXPECT_EQ(missingFailed.first().at(0).toInt(), HLLSingBox::InstallFailed);
}

TEST_F(EngineControllerTest, StatusCallbackCodesBecomeCommands)
{
    QObject owner;
    QList<QVariantMap> posted;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::ServerCMD, &owner,
                                                    [&](const Notification &n) { posted.append(n.userInfo); });
    HLLShadowsocks engine(m_config, nullptr, m_sandbox.setup);
    engine.reportServerCommand(-1, 4);
    engine.reportServerCommand(-1, 6);
    engine.reportServerCommand(-1, 9);
    ASSERT_EQ(posted.size(), 3);
    EXPECT_EQ(posted.at(0).value("cmd").toInt(), 3);
    EXPECT_EQ(posted.at(0).value("cmdDes").toString(), QStringLiteral("会员过期"));
    EXPECT_EQ(posted.at(1).value("cmdDes").toString(), QStringLiteral("强制退出登录"));
    EXPECT_EQ(posted.at(2).value("cmd").toInt(), 8);
    EXPECT_EQ(posted.at(2).value("cmdDes").toString(), QString());

    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    EXPECT_EQ(HLLShadowsocks::getsock_port(int(listener.socketDescriptor())), listener.serverPort());
    EXPECT_EQ(HLLShadowsocks::getsock_port(-1), 0);
}

namespace {

// Holds the install until the test lets it finish, as a password prompt does.
class DeferredRunner : public PrivilegedRunner
{
public:
    QList<Done> pending;

protected:
    void execute(const QString &, const QStringList &, QObject *, Done done) override { pending.append(std::move(done)); }
};

} // namespace

TEST_F(EngineControllerTest, StopDuringTheInstallCallsTheStartOff)
{
    DeferredRunner runner;
    EngineSetup setup = m_sandbox.setup;
    setup.runner = &runner;
    HLLShadowsocks probe(m_config, nullptr, setup);
    QFile::remove(probe.enginePath());

    HLLShadowsocks engine(m_config, nullptr, setup);
    QList<int> codes;
    engine.startWithConnectivityChecks(false, [&](int code) { codes.append(code); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner.pending.size() == 1; }, kWaitMs));
    // While the prompt shows, a second start is refused rather than queued.
    engine.startWithConnectivityChecks(false, [&](int code) { codes.append(code); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return codes.size() == 1; }, kWaitMs));
    EXPECT_EQ(codes, QList<int>{HLLShadowsocks::StartPending});

    int stopped = -1;
    engine.stop([&](int code) { stopped = code; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped == 0; }, kWaitMs));
    // The install completes after the user has disconnected: nothing may start then.
    QFile::link(scriptedEnginePath(), probe.enginePath());
    runner.pending.takeFirst()(true, QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return codes.size() == 2; }, kWaitMs));
    EXPECT_EQ(codes, (QList<int>{HLLShadowsocks::StartPending, HLLShadowsocks::ExitedBeforeStart}));
    EXPECT_FALSE(engine.isRunning());
    EXPECT_TRUE(recordedRuns(m_record).isEmpty());

    // The same for the TUN engine.
    HLLSingBox singBoxProbe(nullptr, setup);
    QFile::remove(singBoxProbe.enginePath());
    HLLSingBox singBox(nullptr, setup);
    QSignalSpy failed(&singBox, &HLLSingBox::startFailed);
    singBox.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner.pending.size() == 1; }, kWaitMs));
    bool singBoxStopped = false;
    singBox.stop([&] { singBoxStopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return singBoxStopped; }, kWaitMs));
    QFile::link(scriptedEnginePath(), singBoxProbe.enginePath());
    runner.pending.takeFirst()(true, QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.size() == 1; }, kWaitMs));
    EXPECT_EQ(failed.first().at(0).toInt(), HLLSingBox::ExitedBeforeStart);
    EXPECT_FALSE(singBox.isRunning());
}

// Run by EngineDiesWithTheClient in a process of its own: starts an engine, tells its pid, waits.
TEST_F(EngineControllerTest, ClientThatIsKilled)
{
    if (qEnvironmentVariableIsEmpty("OSTREL_TEST_KILLED_CLIENT"))
        GTEST_SKIP() << "only run as the client of EngineDiesWithTheClient";
    qputenv("OSTREL_STANDIN_ENGINE_RECORD", qgetenv("OSTREL_TEST_KILLED_CLIENT_RECORD"));
    EngineProcess engine;
    const QString program = qEnvironmentVariable("OSTREL_TEST_KILLED_CLIENT", scriptedEnginePath());
    ASSERT_TRUE(engine.start(program, {}, QString(), EngineProcess::ErrorOutput::Forwarded));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.processId() > 0; }, kWaitMs));
    std::printf("engine %lld\n", engine.processId());
    std::fflush(stdout);
    QTest::qWait(60000);
}

namespace {

// Starts a client that runs `engine` (as the unprivileged user `nobody` when `asNobody`), kills
// the client, and checks that the engine went too.
void expectEngineDiesWithItsClient(const QString &engine, const QString &scratch, bool asNobody = false)
{
    const QString record = scratch + QStringLiteral("/killed-client-runs.txt");
    QFile::remove(record);
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_TEST_KILLED_CLIENT"), engine);
    environment.insert(QStringLiteral("OSTREL_TEST_KILLED_CLIENT_RECORD"), record);
    // The killed client cannot clean its temporary profile up: keep it inside ours. Nor may its
    // test entry's warden end the engine for it: that the client's own code does is the point.
    environment.insert(QStringLiteral("TMPDIR"), scratch);
    environment.insert(QStringLiteral("OSTREL_TEST_NO_WARDEN"), QStringLiteral("1"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    client.setProcessEnvironment(environment);
    QStringList command{QCoreApplication::applicationFilePath(),
                        QStringLiteral("--gtest_filter=EngineControllerTest.ClientThatIsKilled")};
    if (asNobody)
        command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")} + command;
    client.start(asNobody ? QStringLiteral("setpriv") : command.takeFirst(), command);
    pid_t enginePid = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QList<QStringList> runs = recordedRuns(record);
        enginePid = runs.isEmpty() ? 0 : pid_t(runs.first().value(0).toLongLong());
        return enginePid > 0 || client.state() == QProcess::NotRunning;
    }, kWaitMs)) << client.readAllStandardError().toStdString();
    ASSERT_GT(enginePid, 0) << client.readAll().toStdString();
    ASSERT_TRUE(ProcScan::alive(enginePid));

    ::kill(pid_t(client.processId()), SIGKILL);
    client.waitForFinished(kWaitMs);
    // What the killed client made stays in our folder, which goes with us.
    EXPECT_EQ(QDir(scratch).entryList({QStringLiteral("ostrel-test-*")}, QDir::Dirs).size(), 1);
    const bool gone = ProcessWaits::gone(enginePid);
    EXPECT_TRUE(gone) << "the engine outlived its client";
    if (!gone)
        ProcessWaits::end(enginePid);
}

} // namespace

TEST_F(EngineControllerTest, EngineDiesWithTheClient)
{
    if (!qEnvironmentVariableIsEmpty("OSTREL_TEST_KILLED_CLIENT"))
        GTEST_SKIP();
    expectEngineDiesWithItsClient(scriptedEnginePath(), m_sandbox.path());

    // The installed engines carry file capabilities, and the kernel drops a parent-death signal
    // when a user's process starts such a program: they must die with the client all the same.
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "needs root (to give a file capability and to run a client as nobody) and setpriv";
    ASSERT_FALSE(EngineProcess::guardPath().isEmpty()) << "ostrel-engine-guard is built beside the tests";
    for (const QString &program : {QCoreApplication::applicationFilePath(), EngineProcess::guardPath()}) {
        const QStringList asNobody{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups"), QStringLiteral("test"), QStringLiteral("-x"), program};
        if (QProcess::execute(QStringLiteral("setpriv"), asNobody) != 0)
            GTEST_SKIP() << "the unprivileged user cannot run " << program.toStdString();
    }
    const QString scratch = m_sandbox.path() + QStringLiteral("/open");
    ASSERT_TRUE(QDir().mkpath(scratch));
    ASSERT_TRUE(QFile::setPermissions(m_sandbox.path(), QFileDevice::Permissions(0x7755)));
    ASSERT_TRUE(QFile::setPermissions(scratch, QFileDevice::Permissions(0x7777)));
    if (QProcess::execute(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                      QStringLiteral("--clear-groups"), QStringLiteral("test"),
                                                      QStringLiteral("-w"), scratch}) != 0)
        GTEST_SKIP() << "the unprivileged user cannot reach the temporary folder";
    const QString empowered = scratch + QStringLiteral("/empowered-engine");
    ASSERT_TRUE(QFile::copy(scriptedEnginePath(), empowered));
    ASSERT_TRUE(QFile::setPermissions(empowered, QFileDevice::Permissions(0x7755)));
    if (QProcess::execute(QStringLiteral("setcap"), {QStringLiteral("cap_net_bind_service+ep"), empowered}) != 0)
        GTEST_SKIP() << "cannot give a file capability here (no setcap, or no extended attributes)";
    expectEngineDiesWithItsClient(empowered, scratch, true);
}

TEST_F(EngineControllerTest, GuardEndsAsItsEngineEnds)
{
    const QString guard = EngineProcess::guardPath();
    ASSERT_FALSE(guard.isEmpty()) << "ostrel-engine-guard is built beside the tests";
    const auto run = [&](const QStringList &arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(guard, arguments);
        EXPECT_TRUE(process.waitForFinished(kWaitMs));
        return std::make_pair(process.exitStatus(), process.exitCode());
    };
    script({"exit 7"});
    EXPECT_EQ(run({"100", scriptedEnginePath()}), std::make_pair(QProcess::NormalExit, 7));
    EXPECT_EQ(run({"100", m_sandbox.path() + QStringLiteral("/no-such-engine")}), std::make_pair(QProcess::NormalExit, 127));
    EXPECT_EQ(run({"soon", scriptedEnginePath()}).second, 2);
    EXPECT_EQ(run({"100"}).second, 2);

    // A stop reaches an engine that ignores it only as SIGKILL after the grace period.
    script({"ignore-term", "print start_success", "wait"});
    QProcess guarded;
    guarded.start(guard, {"200", scriptedEnginePath()});
    ASSERT_TRUE(guarded.waitForReadyRead(kWaitMs));
    guarded.terminate();
    ASSERT_TRUE(guarded.waitForFinished(kWaitMs));
    EXPECT_EQ(guarded.exitStatus(), QProcess::CrashExit);
}

TEST_F(EngineControllerTest, StopOvertakenByANewStartIsStillAnswered)
{
    script({"ignore-term", "print start_success", "wait"});
    auto engine = makeShadowsocks();
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    int stopped = -1;
    engine->stop([&](int code) { stopped = code; });
    // The engine ignores the stop; a new start replaces it before the grace period is over.
    qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
    EXPECT_EQ(startAndWait(*engine), QList<int>{0});
    EXPECT_EQ(stopped, 0);
}

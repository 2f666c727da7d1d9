// The connect and disconnect roads over the real pieces: the stand-in service on loopback, the
// helper daemon with its file backend, and the scripted stand-in engine.

#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

#include <csignal>

#include "support/ConnectRoadFixture.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"
#include "vpn/EngineInstaller.h"
#include "common/ApiPaths.h"
#include "networking/OONetWork.h"

namespace {

class ConnectRoadTest : public ConnectRoadFixture
{
protected:
    void SetUp() override
    {
        startPieces(QStringLiteral("standin-sslocal-scripted"));
        signInAsVisitor();
        makeController();
    }
};

TEST_F(ConnectRoadTest, ConnectsReportsAndStopsTheEngineOnDisconnect)
{
    ASSERT_TRUE(connectAndWait()) << m_view.errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("running"));
    EXPECT_EQ(m_view.successes.size(), 1);
    EXPECT_TRUE(proxyPointsAtUs());
    UserDefaults &defaults = UserDefaults::standard();
    EXPECT_TRUE(defaults.boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_TRUE(defaults.boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::kLocalDnsServerAddress), QStringLiteral("223.5.5.5"));
    EXPECT_EQ(defaults.dictionaryValue(DefaultsKeys::VPNInfo)->value("configPath").toString(),
              AppPaths::privateFolder() + QStringLiteral("/sslocal.conf"));
    EXPECT_EQ(enginePids().size(), 1);
    // TUN off: the local proxy defaults are registered.
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::LocalSocks5_ListenPort), 9999);

    // The report goes 1.0 s later.
    m_clock.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_standin.records().value("connection_reports").toArray().size() == 1;
    }));

    ASSERT_TRUE(stopAndWait());
    EXPECT_TRUE(m_view.looks.contains(QStringLiteral("stopped")));
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(defaults.boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_FALSE(defaults.boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_TRUE(noEngineLeft());
}

TEST_F(ConnectRoadTest, QuietStopStillReportsAndClearsTheConnection)
{
    ASSERT_TRUE(connectAndWait());
    m_clock.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_standin.records().value("connection_reports").toArray().size() == 1;
    }));
    m_view = RecordingView();
    bool stopped = false;
    m_controller->stopProxy(false, [&] { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }));
    EXPECT_TRUE(m_view.successes.isEmpty());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    m_clock.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_standin.records().value("connection_reports").toArray().size() == 2;
    }));
    const QJsonObject report = m_standin.records().value("connection_reports").toArray().at(1).toObject();
    EXPECT_EQ(report.value("is_connect").toInt(), 1);
    EXPECT_EQ(report.value("wait_time").toDouble(), 0.0);
}

TEST_F(ConnectRoadTest, TunModeStartsOneTunEngineAndPassesTheDns)
{
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, true);
    ASSERT_TRUE(connectAndWait());
    EXPECT_TRUE(proxyPointsAtUs());
    // sing-box counts as started once its process runs; its record may follow a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return enginePids().size() >= 2; }, 2000));
    EXPECT_EQ(enginePids().size(), 2);   // sslocal and sing-box
    ASSERT_TRUE(stopAndWait());
    EXPECT_TRUE(noEngineLeft());
}

TEST_F(ConnectRoadTest, EngineThatEndsBeforeItsStartLineFailsTheRoad)
{
    scriptEngine(QStringLiteral("print booting\nexit 3\n"));
    EXPECT_FALSE(connectAndWait());
    EXPECT_EQ(m_view.errors.size(), 1);
    EXPECT_TRUE(m_view.successes.isEmpty());
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("pausing"));
    m_clock.advance(500);
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("stopped"));
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    // A report would wait on the road's clock first: none is on its way.
    EXPECT_EQ(m_clock.pendingCount(), 0);
    EXPECT_TRUE(m_standin.records().value("connection_reports").toArray().isEmpty());
}

TEST_F(ConnectRoadTest, AnEngineTheSettingsAskForThatIsNotInstalledIsNamedInTheFailure)
{
    // TUN on, as a reset defaults file may say, and no TUN engine on this machine.
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, true);
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("en"));
    ASSERT_TRUE(QFile::remove(EngineInstaller(EngineInstaller::Engine::SingBox, EngineSetup::standard()).enginePath()));
    EXPECT_FALSE(connectAndWait());
    ASSERT_EQ(m_view.errors.size(), 1);
    EXPECT_EQ(m_view.errors.first(), QStringLiteral("Could not connect: the engine sing-box is not installed."));
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_TRUE(QTest::qWaitFor([] { return noEngineLeft(); }));
    EXPECT_EQ(HomeConnectController::missingEngine(false), std::nullopt);
    EXPECT_EQ(HomeConnectController::missingEngine(true), QStringLiteral("sing-box"));
}

TEST_F(ConnectRoadTest, HelperThatCannotBeReachedFailsTheRoadAndStopsTheEngine)
{
    m_helper.terminate();
    EXPECT_FALSE(connectAndWait());
    EXPECT_EQ(m_view.errors.size(), 1);
    EXPECT_TRUE(m_view.successes.isEmpty());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_TRUE(QTest::qWaitFor([] { return noEngineLeft(); }));
}

TEST_F(ConnectRoadTest, RefusalOfTheServiceShowsItsMessage)
{
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 102, "kind": 1})"));
    EXPECT_FALSE(connectAndWait());
    // The visitor is a free user: the refusal "C5000" presents the free-membership page.
    EXPECT_TRUE(m_view.looks.contains(QStringLiteral("freePage")));
    EXPECT_EQ(m_view.errors.size(), 1);
    EXPECT_TRUE(enginePids().isEmpty());

    ASSERT_TRUE(m_standin.fault(ApiPaths::kConnect2, QStringLiteral("fail"), 1));
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 101, "kind": 0})"));
    m_view = RecordingView();
    EXPECT_FALSE(connectAndWait());
    EXPECT_EQ(m_view.errors, QStringList{QStringLiteral("操作失败")});
}

TEST_F(ConnectRoadTest, AConnectReplyThatTricklesFailsAtTheRequestsDeadline)
{
    // A byte every 50 ms is never silent long enough for the time-out; the deadline ends it.
    OONetWork::shared().setDeadlinesForTesting(1000, 1000);
    ASSERT_TRUE(m_standin.fault(ApiPaths::kConnect2, QStringLiteral("trickle"), 1, 50));
    EXPECT_FALSE(connectAndWait());
    EXPECT_EQ(m_view.errors.size(), 1);
    EXPECT_FALSE(m_controller->isConnecting());
    EXPECT_TRUE(enginePids().isEmpty());
    OONetWork::shared().resetForTesting();
}

TEST_F(ConnectRoadTest, LineChangeWhileConnectedStopsThenConnectsTheNewLine)
{
    ASSERT_TRUE(connectAndWait());
    const pid_t firstEngine = pid_t(enginePids().value(0));

    bool reconnected = false;
    QObject::connect(m_controller.get(), &HomeConnectController::connectSucceeded, [&] { reconnected = true; });
    OOHomeNodeModel line;
    line.id = 301;
    line.kind = 0;
    m_controller->changeLine(line);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view.looks.contains(QStringLiteral("stopped")); }));
    EXPECT_FALSE(ProcScan::alive(firstEngine));
    EXPECT_FALSE(reconnected);
    EXPECT_FALSE(ownRequestsTakeTheEngine()) << "between two engines the client's requests go as the system's";
    // The new connect waits on the road's clock, not on the event loop.
    m_clock.advance(299);
    EXPECT_FALSE(m_controller->isConnecting());
    EXPECT_FALSE(reconnected);
    m_clock.advance(1);
    EXPECT_TRUE(m_controller->isConnecting());
    ASSERT_TRUE(QTest::qWaitFor([&] { return reconnected; }));
    EXPECT_TRUE(proxyPointsAtUs());
    EXPECT_TRUE(ownRequestsTakeTheEngine());
    EXPECT_EQ(enginePids().size(), 2);
    // The overseas-to-domestic line: the entry is overseas, so the DNS is too.
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kLocalDnsServerAddress), QStringLiteral("8.8.8.8"));
}

TEST_F(ConnectRoadTest, LineChangeRefusedWhileConnectedPutsTheConnectedLineBack)
{
    ASSERT_TRUE(connectAndWait());
    QSignalSpy chosen(m_controller.get(), &HomeConnectController::chosenLineChanged);
    bool failed = false;
    QObject::connect(m_controller.get(), &HomeConnectController::connectFailed, [&] { failed = true; });
    // A member line, stored by the line popup, which has no membership gate: the service refuses it.
    OOHomeNodeModel line;
    line.id = 102;
    line.kind = 1;
    m_controller->changeLine(line);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view.looks.contains(QStringLiteral("stopped")); }));
    m_clock.advance(300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed; }));
    EXPECT_TRUE(m_view.looks.contains(QStringLiteral("freePage")));
    // The refused line is not shown as chosen: the line of the last connection is.
    EXPECT_EQ(chosen.size(), 1);
    ASSERT_TRUE(m_controller->cachedLine().has_value());
    EXPECT_EQ(m_controller->cachedLine()->id, 101);
    // The line table's chosen mark went back with it.
    ASSERT_TRUE(m_controller->selectLineMode().has_value());
    EXPECT_EQ(m_controller->selectLineMode()->id, 101);
    EXPECT_FALSE(m_controller->selectLineRow(*m_controller->cachedLine())) << "the connected line is the chosen one";
    m_clock.advance(500);
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("stopped"));
    EXPECT_FALSE(m_controller->isConnected());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_TRUE(QTest::qWaitFor([] { return noEngineLeft(); }));

    // A refused first connect (no connection to go back to) keeps the user's choice.
    m_view = RecordingView();
    failed = false;
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 102, "kind": 1})"));
    m_controller->startConnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed; }));
    EXPECT_EQ(m_controller->cachedLine()->id, 102);
    EXPECT_EQ(chosen.size(), 1);
}

TEST_F(ConnectRoadTest, LineChosenWhileConnectingIsConnectedOnceTheFirstConnectionIsUp)
{
    int connects = 0;
    QObject::connect(m_controller.get(), &HomeConnectController::connectSucceeded, [&] { ++connects; });
    m_controller->startConnect();
    ASSERT_TRUE(m_controller->isConnecting());
    OOHomeNodeModel line;
    line.id = 301;
    line.kind = 0;
    m_controller->changeLine(line);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 1; }, 10000));
    // The connection to the old line is stopped at once, and the new line connected 0.3 s later.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view.looks.contains(QStringLiteral("stopped")); }));
    m_clock.advance(300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 2; }, 10000));
    EXPECT_TRUE(m_controller->isConnected());
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kLocalDnsServerAddress), QStringLiteral("8.8.8.8"));
    EXPECT_EQ(enginePids().size(), 2);
    EXPECT_FALSE(ProcScan::alive(pid_t(enginePids().value(0))));
}

TEST_F(ConnectRoadTest, StopThatTheHelperCannotMakeKeepsTheConnectedLook)
{
    ASSERT_TRUE(connectAndWait());
    // Stuck, not gone: a helper that went away would have restored the settings as it ended.
    ASSERT_EQ(::kill(pid_t(m_helper.pid()), SIGSTOP), 0);
    const auto resume = qScopeGuard([this] { ::kill(pid_t(m_helper.pid()), SIGCONT); });
    m_view = RecordingView();
    EXPECT_FALSE(stopAndWait());
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("running"));
    EXPECT_EQ(m_view.errors.size(), 1);
    EXPECT_TRUE(m_view.successes.isEmpty());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_TRUE(ProcScan::alive(pid_t(enginePids().value(0))));
}

TEST_F(ConnectRoadTest, StopMadeElsewhereShowsTheStoppedLook)
{
    // Sign-out and the account alert restore the settings without the home screen.
    ASSERT_TRUE(connectAndWait());
    bool called = false;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { called = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }));
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("clockOff"));
    EXPECT_TRUE(m_view.looks.contains(QStringLiteral("stopped")));
    EXPECT_FALSE(m_controller->isConnected());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_TRUE(noEngineLeft());
    // And the next connect works.
    EXPECT_TRUE(connectAndWait());
}

TEST_F(ConnectRoadTest, EngineDeathWithoutKillSwitchRestoresTheSettings)
{
    ASSERT_TRUE(connectAndWait());
    ::kill(pid_t(enginePids().value(0)), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view.looks.contains(QStringLiteral("stopped")); }))
        << m_view.looks.join(QLatin1Char(',')).toStdString();
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_FALSE(m_controller->isConnected());
    EXPECT_FALSE(ownRequestsTakeTheEngine());
}

TEST_F(ConnectRoadTest, EngineDeathWithKillSwitchKeepsTheProxyPointedAtUs)
{
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    ASSERT_TRUE(connectAndWait());
    ::kill(pid_t(enginePids().value(0)), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view.lastLook() == QStringLiteral("killSwitch"); }));
    EXPECT_TRUE(proxyPointsAtUs());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    // The client's own requests are held with the desktop's: none leaves beside the dead engine.
    EXPECT_TRUE(ownRequestsTakeTheEngine());
    // The long press stops for real.
    bool stopped = false;
    m_controller->stopProxy(true, [&] { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }));
    EXPECT_FALSE(proxyPointsAtUs());
}

TEST_F(ConnectRoadTest, StartAfterACrashRestoresTheSettingsLeftPointedAtUs)
{
    // An earlier run pointed the desktop at 9999 and died without restoring.
    std::optional<std::optional<HelperError>> enabled;
    m_helperClient->enableProxyWithPort(9999, 9999, std::nullopt, std::nullopt, true,
                                        HLLPACUtilWrapper::proxyIgnoreList(),
                                        [&](const std::optional<HelperError> &error) { enabled = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return enabled.has_value(); }));
    ASSERT_TRUE(proxyPointsAtUs());
    HLLPACUtilWrapper::restoreAfterCrash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !proxyPointsAtUs(); }));
}

TEST_F(ConnectRoadTest, QuittingRestoresTheSettingsAndEndsTheEngines)
{
    ASSERT_TRUE(connectAndWait());
    EXPECT_TRUE(ownRequestsTakeTheEngine());
    EXPECT_TRUE(HLLPACUtilWrapper::shutdown());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(ownRequestsTakeTheEngine());
    EXPECT_TRUE(noEngineLeft());
}

// A new version's install replaces the helper's program while the client is connected: the old
// helper puts the user's settings back and ends. The client starts the installed one and points
// the desktop proxy back, or, when nothing answers, ends the connection and shows it.
class ReplacedHelperTest : public ConnectRoadTest
{
protected:
    void SetUp() override
    {
        ConnectRoadTest::SetUp();
        // Installed as the install script installs it, and running from there.
        ASSERT_EQ(install(binary(QStringLiteral("ostrel-helper"))), 0);
        ASSERT_TRUE(m_helper.terminate());
        ASSERT_TRUE(m_helper.start(installedPath(), helperArguments(), socketPath()));
        HelperClient::Options options;
        options.socketPath = socketPath();
        options.callTimeoutMs = 3000;
        options.launchProgram = installedPath();
        options.launchArguments = helperArguments();
        m_helperClient = std::make_unique<HelperClient>(options);
        HLLPACUtilWrapper::setHelperForTesting(m_helperClient.get());
    }

    void TearDown() override
    {
        // The connection ends first: a helper ended under it would be started again.
        if (m_controller && m_controller->isConnected())
            stopAndWait();
        if (const pid_t launched = pid_t(m_helperClient->lastLaunchedPid())) {
            ::kill(launched, SIGTERM);
            EXPECT_TRUE(ProcessWaits::gone(launched));
        }
        // The quit road's restore must not start the installed helper once more.
        HelperClient::Options options;
        options.socketPath = socketPath();
        options.callTimeoutMs = 1000;
        m_helperClient = std::make_unique<HelperClient>(options);
        HLLPACUtilWrapper::setHelperForTesting(m_helperClient.get());
        ConnectRoadTest::TearDown();
    }

    QString installedPath() const { return m_dir.path() + QStringLiteral("/root/opt/Ostrel_mac_Pelmorath/ostrel-helper"); }

    // The install script into a staging root: a copy beside the program, renamed over it.
    int install(const QString &program)
    {
        QProcess script;
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(QStringLiteral("/bin/bash"),
                     {QStringLiteral(OSTREL_SOURCE_DIR "/resources/scripts/install_helper.sh"), QStringLiteral("--from"),
                      program, QStringLiteral("--prefix"), m_dir.path() + QStringLiteral("/root")});
        if (!script.waitForFinished(10000))
            return -1;
        if (script.exitCode() != 0)
            ADD_FAILURE() << script.readAll().toStdString();
        return script.exitCode();
    }

    bool engineRunning() const { return !enginePids().isEmpty() && ProcScan::alive(pid_t(enginePids().constLast())); }
};

TEST_F(ReplacedHelperTest, TheNewHelperIsStartedAndPointsTheProxyBack)
{
    ASSERT_TRUE(connectAndWait()) << m_view.errors.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(proxyPointsAtUs());
    const pid_t oldHelper = pid_t(m_helper.pid());

    ASSERT_EQ(install(binary(QStringLiteral("ostrel-helper"))), 0);
    ASSERT_TRUE(ProcessWaits::gone(oldHelper)) << "the old helper steps aside";
    // Screen, engine and desktop proxy agree again within a few seconds: still connected.
    EXPECT_TRUE(QTest::qWaitFor([&] { return proxyPointsAtUs() && m_helperClient->lastLaunchedPid() > 0; }, 8000))
        << QJsonDocument(desktopProxy()).toJson().toStdString();
    EXPECT_EQ(m_view.lastLook(), QStringLiteral("running")) << m_view.looks.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(m_controller->isConnected());
    EXPECT_TRUE(engineRunning());
    EXPECT_TRUE(ProcScan::alive(pid_t(m_helperClient->lastLaunchedPid())));

    // And the stop that follows hands the settings back through the new helper.
    ASSERT_TRUE(stopAndWait());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_TRUE(noEngineLeft());
}

TEST_F(ReplacedHelperTest, AReplacementThatDoesNotServeEndsTheConnectionAndShowsIt)
{
    ASSERT_TRUE(connectAndWait()) << m_view.errors.join(QLatin1Char('|')).toStdString();
    const QString broken = m_dir.path() + QStringLiteral("/broken/ostrel-helper");
    QDir().mkpath(QFileInfo(broken).path());
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 1\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                        | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                        | QFileDevice::ExeOther);

    ASSERT_EQ(install(broken), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_view.lastLook() == QStringLiteral("clockOff"); }, 15000))
        << m_view.looks.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(m_view.looks.contains(QStringLiteral("stopped")));
    EXPECT_FALSE(m_controller->isConnected());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_TRUE(QTest::qWaitFor([] { return noEngineLeft(); }));
}

} // namespace

// A client killed while connected (SIGKILL; a crash looks the same to the desktop): with the kill
// switch off the desktop proxy is the user's own again at once, and the client's next start finds
// nothing to undo; with it on the desktop stays on the dead listener until that next start, which
// gives the user's settings back unless the user set their own meanwhile. The client is this
// program run again: the real switchboard and helper client connect through the real helper
// daemon (its file backend) that the case started and that outlives the client. The scripted
// stand-in engine listens on no port, so the case needs no network of its own.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include "EngineTestSupport.h"
#include "common/DefaultsKeys.h"
#include "common/HelperProtocol.h"
#include "common/UserDefaults.h"
#include "support/DaemonProcess.h"
#include "support/DesktopProxyFile.h"
#include "support/EndsWithTheTest.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HelperClient.h"

namespace {

constexpr int kWaitMs = 15000;
// The case names the client's helper socket and its kill switch, at the connect and at the kill.
constexpr char kSocketVariable[] = "OSTREL_TEST_KILLED_CLIENT_HELPER";
constexpr char kSwitchVariable[] = "OSTREL_TEST_KILLED_CLIENT_KILL_SWITCH";
constexpr char kReady[] = "killed client: connected\n";
const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

struct KillSwitch
{
    bool atConnect = false;
    bool atKill = false;
    // Where the desktop is left on the dead listener, the user sets a proxy of their own before
    // starting the client again.
    bool userSetsTheirOwn = false;
};

std::string caseName(const ::testing::TestParamInfo<KillSwitch> &info)
{
    const auto word = [](bool on) { return on ? std::string("On") : std::string("Off"); };
    return "KillSwitch" + word(info.param.atConnect) + "AtConnect" + word(info.param.atKill) + "AtKill"
        + (info.param.userSetsTheirOwn ? "ThenTheUsersOwn" : "");
}

class KilledWhileConnectedTest : public ::testing::TestWithParam<KillSwitch>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(kHelper)) << "build the ostrel-helper target first";
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(DesktopProxyFile::write(settingsPath(), DesktopProxyFile::usersOwnSample()));
        ASSERT_TRUE(m_helper.start(
            kHelper, DesktopProxyFile::helperArguments(socketPath(), settingsPath(), m_dir.filePath("helper-state")),
            socketPath()));
    }

    void TearDown() override
    {
        if (m_client.state() != QProcess::NotRunning) {
            m_client.kill();
            m_client.waitForFinished(5000);
        }
    }

    QJsonObject desktopSettings() const { return DesktopProxyFile::read(settingsPath()); }

    bool pointsAtTheListener() const
    {
        return DesktopProxyFile::pointsAt(desktopSettings(), HLLPACUtilWrapper::kLocalPort);
    }

    // Starts the client and waits until it says it is connected, its kill switch as the case's.
    bool startConnectedClient()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kSocketVariable, socketPath());
        environment.insert(kSwitchVariable, QStringLiteral("%1,%2").arg(int(GetParam().atConnect)).arg(int(GetParam().atKill)));
        m_client.setProcessEnvironment(environment);
        m_client.setProcessChannelMode(QProcess::MergedChannels);
        endsWithTheTest(m_client);
        m_client.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--gtest_filter=KilledWhileConnectedClient.ConnectsAndWaitsToBeKilled")});
        [[maybe_unused]] const bool ended = QTest::qWaitFor([&] {
            m_clientOutput += m_client.readAll();
            return m_clientOutput.contains(kReady) || m_client.state() == QProcess::NotRunning;
        }, kWaitMs);
        return m_clientOutput.contains(kReady);
    }

    // Whether the helper's output has said `text`.
    bool helperSaid(const QByteArray &text)
    {
        m_helperOutput += m_helper.output();
        return m_helperOutput.contains(text);
    }

    // What the client's next start asks first: that whatever an earlier run left be undone.
    void nextStartRestores()
    {
        const QJsonObject disable{{"id", 1}, {"method", HelperProtocol::kDisableProxy},
                                  {"params", QJsonObject{{"filterInterface", true}}}};
        const QByteArray reply = exchangeLine(socketPath(), QJsonDocument(disable).toJson(QJsonDocument::Compact) + '\n');
        EXPECT_FALSE(QJsonDocument::fromJson(reply).object().contains("error")) << reply.constData();
    }

    QString socketPath() const { return m_dir.filePath(QStringLiteral("helper.sock")); }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("desktop-proxy.json")); }
    QString savedStatePath() const { return m_dir.filePath(QStringLiteral("helper-state/saved-proxy-settings.json")); }

    QTemporaryDir m_dir;
    DaemonProcess m_helper;
    QProcess m_client;
    QByteArray m_clientOutput;
    QByteArray m_helperOutput;
};

} // namespace

TEST_P(KilledWhileConnectedTest, DesktopProxyIsTheUsersAgainUnlessTheKillSwitchHolds)
{
    ASSERT_TRUE(startConnectedClient()) << m_clientOutput.constData();
    ASSERT_TRUE(pointsAtTheListener()) << QJsonDocument(desktopSettings()).toJson().constData();

    ASSERT_EQ(::kill(pid_t(m_client.processId()), SIGKILL), 0);
    ASSERT_TRUE(m_client.waitForFinished(kWaitMs));

    if (GetParam().atKill) {
        // The helper has taken the client's end, and kept the dead listener as the switch promises.
        ASSERT_TRUE(QTest::qWaitFor([&] { return helperSaid("the client that pointed the desktop proxy ended; the proxy stays"); },
                                    kWaitMs))
            << m_helperOutput.constData();
        EXPECT_TRUE(pointsAtTheListener()) << m_helperOutput.constData();
        EXPECT_TRUE(QFile::exists(savedStatePath()));
        if (!GetParam().userSetsTheirOwn) {
            // Until the client starts again.
            nextStartRestores();
            EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
            return;
        }
        // The user gets a network back by hand; the client's next start leaves what they changed
        // alone, saying so.
        QJsonObject theirOwn = DesktopProxyFile::usersOwnSample();
        theirOwn.insert("socks_host", "other-proxy.example.org");
        ASSERT_TRUE(DesktopProxyFile::write(settingsPath(), theirOwn));
        nextStartRestores();
        EXPECT_EQ(desktopSettings(), theirOwn);
        EXPECT_FALSE(QFile::exists(savedStatePath()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return helperSaid("the desktop proxy was changed since the last enable; the user's change stays ("); }, kWaitMs))
            << m_helperOutput.constData();
        return;
    }
    // The settings written back, then their saved copy removed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktopSettings() == DesktopProxyFile::usersOwnSample() && !QFile::exists(savedStatePath()); },
                                kWaitMs))
        << QJsonDocument(desktopSettings()).toJson().constData() << m_helper.output().constData();
    // The user changes the setting before starting the client again: that start finds nothing to
    // undo, and puts no older copy over it.
    QJsonObject changed = DesktopProxyFile::usersOwnSample();
    changed.insert("socks_host", "other-proxy.example.org");
    ASSERT_TRUE(DesktopProxyFile::write(settingsPath(), changed));
    nextStartRestores();
    EXPECT_EQ(desktopSettings(), changed);
}

INSTANTIATE_TEST_SUITE_P(KillSwitch, KilledWhileConnectedTest,
                         ::testing::Values(KillSwitch{false, false}, KillSwitch{true, true}, KillSwitch{true, true, true},
                                           // The switch changed while connected: the helper follows.
                                           KillSwitch{true, false}, KillSwitch{false, true}),
                         caseName);

// The client the cases above kill, in a process of its own: it connects through the switchboard
// to the helper they name, sets its kill switch as they say, tells them, and waits to be killed.
TEST(KilledWhileConnectedClient, ConnectsAndWaitsToBeKilled)
{
    const QString socket = qEnvironmentVariable(kSocketVariable);
    if (socket.isEmpty())
        GTEST_SKIP() << "only run as the client of KilledWhileConnectedTest";
    const QStringList killSwitch = qEnvironmentVariable(kSwitchVariable).split(QLatin1Char(','));
    ASSERT_EQ(killSwitch.size(), 2);

    EngineSandbox sandbox;
    sandbox.installEngine(EngineInstaller::Engine::SSLocal, scriptedEnginePath());
    sandbox.installEngine(EngineInstaller::Engine::SingBox, scriptedEnginePath());
    EngineSetup::setStandardForTesting(sandbox.setup);
    HelperClient::Options options;
    options.socketPath = socket;
    HelperClient helper(options);
    HLLPACUtilWrapper::setHelperForTesting(&helper);

    HLLPACUtilWrapper::setKillSwitch(killSwitch.value(0) == QLatin1String("1"));
    std::optional<std::optional<QString>> applied;
    HLLPACUtilWrapper::shared().start({sandbox.path() + QStringLiteral("/sslocal.conf"), false}, [&](bool ok) {
        HLLPACUtilWrapper::applySystemProxy(ok, [&](const std::optional<QString> &error) { applied = error; });
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return applied.has_value(); }, kWaitMs));
    ASSERT_FALSE(applied->has_value()) << applied->value().toStdString();

    // Changed as the settings page changes it; a question asked behind it on the same connection
    // is answered once the helper has taken the change.
    const bool atKill = killSwitch.value(1) == QLatin1String("1");
    if (atKill != UserDefaults::standard().boolForKey(DefaultsKeys::kKillSwitchStateKey))
        HLLPACUtilWrapper::setKillSwitch(atKill);
    bool answered = false;
    helper.getCurrentProxySetting([&](const std::optional<QJsonObject> &) { answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, kWaitMs));
    std::fputs(kReady, stdout);
    std::fflush(stdout);
    QTest::qWait(60000);
    HLLPACUtilWrapper::shutdown(1000);
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
}

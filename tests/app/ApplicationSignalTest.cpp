// The application as a user runs it, ended from outside: SIGTERM, SIGINT or SIGHUP to a connected
// client must put the desktop proxy back, as closing the window does. The real client runs in a
// private profile against the stand-in service, with the real helper on its file backend.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

#include "common/HelperProtocol.h"
#include "support/DaemonProcess.h"
#include "support/DesktopProxyFile.h"
#include "support/StandinProcess.h"
#include "support/WantedSkip.h"

namespace {

const QString kClient = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel");
const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

class ApplicationSignalTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (!QFile::exists(kClient) || !QFile::exists(kHelper))
            GTEST_SKIP() << WantedSkip::tool("build ostrel and ostrel-helper first");
        ASSERT_TRUE(m_home.isValid());
        for (const char *folder : {"/.config/ostrel", "/.cache", "/.local/share", "/run", "/helper-state"})
            ASSERT_TRUE(QDir().mkpath(m_home.path() + QLatin1String(folder)));
        QFile::setPermissions(m_home.path() + QStringLiteral("/run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(m_standin.start()) << m_standin.errorText().toStdString();
        writeJson(m_home.path() + QStringLiteral("/.config/ostrel/hosts.json"),
                  QJsonObject{{"hosts", QJsonArray{m_standin.baseUrl()}}});
        ASSERT_TRUE(DesktopProxyFile::write(settingsPath(), DesktopProxyFile::usersOwnSample()));
        ASSERT_TRUE(m_helper.start(kHelper,
                                   DesktopProxyFile::helperArguments(socketPath(), settingsPath(),
                                                                     m_home.path() + QStringLiteral("/helper-state")),
                                   socketPath()));
    }

    void TearDown() override
    {
        if (m_client.state() != QProcess::NotRunning) {
            m_client.kill();
            m_client.waitForFinished(5000);
        }
    }

    static void writeJson(const QString &path, const QJsonObject &object)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(object).toJson());
    }

    QJsonObject desktopSettings() const { return DesktopProxyFile::read(settingsPath()); }

    bool startClient()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = m_home.path();
        environment.insert("HOME", home);
        environment.insert("XDG_CONFIG_HOME", home + "/.config");
        environment.insert("XDG_CACHE_HOME", home + "/.cache");
        environment.insert("XDG_DATA_HOME", home + "/.local/share");
        environment.insert("XDG_RUNTIME_DIR", home + "/run");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_client.setProcessEnvironment(environment);
        m_client.setProcessChannelMode(QProcess::MergedChannels);
        m_client.start(kClient, QStringList());
        return m_client.waitForStarted(10000);
    }

    // The client is up once it talks to the service: its start-up, with the restore of what an
    // earlier run left (asked of the helper before anything else), is behind it.
    bool clientIsUp() const
    {
        return !m_standin.records().value(QStringLiteral("requests")).toArray().isEmpty();
    }

    // What the helper does for the client's connect: the desktop proxy at the local listener,
    // the user's own settings kept to give back.
    bool pointDesktopAtListener() const
    {
        const QJsonObject enable{{"id", 1}, {"method", "enableProxy"},
                                 {"params", QJsonObject{{"port", 9999}, {"socksPort", 9999}, {"filterInterface", true},
                                                        {"ignoreList", QJsonArray{"localhost"}}}}};
        const QJsonObject reply = QJsonDocument::fromJson(
            exchangeLine(socketPath(), QJsonDocument(enable).toJson(QJsonDocument::Compact) + '\n')).object();
        EXPECT_FALSE(reply.contains("error")) << QJsonDocument(reply).toJson().constData();
        return !reply.contains("error") && desktopSettings().value("socks_port").toInt() == 9999;
    }

    QString socketPath() const { return m_home.path() + QStringLiteral("/run/") + QLatin1String(HelperProtocol::kSocketName); }
    QString settingsPath() const { return m_home.path() + QStringLiteral("/desktop-proxy.json"); }

    QTemporaryDir m_home;
    StandinProcess m_standin;
    DaemonProcess m_helper;
    QProcess m_client;
};

} // namespace

TEST_P(ApplicationSignalTest, TerminationSignalPutsTheDesktopProxyBack)
{
    // A crashed earlier run left the desktop pointed at its dead listener. The client puts it
    // back while starting, so the settings coming back tell that this step of its start-up is
    // over: an enable sent before it would be undone by it.
    ASSERT_TRUE(pointDesktopAtListener());
    ASSERT_TRUE(startClient());
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktopSettings() == DesktopProxyFile::usersOwnSample(); }, 20000))
        << m_client.readAll().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return clientIsUp(); }, 20000)) << m_client.readAll().constData();

    // Connected, as far as the desktop is concerned.
    ASSERT_TRUE(pointDesktopAtListener());

    ASSERT_EQ(::kill(pid_t(m_client.processId()), GetParam()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(m_client.exitStatus(), QProcess::NormalExit) << "the client died of the signal instead of ending";
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample()) << "the desktop proxy still points at the dead listener";
}

INSTANTIATE_TEST_SUITE_P(Signals, ApplicationSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

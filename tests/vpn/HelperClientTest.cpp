// The client's end of the helper socket: every command gets exactly one answer, also when the
// helper is gone or silent, so no road waits forever.
#include "support/DaemonProcess.h"
#include "vpn/HelperClient.h"

#include <QJsonArray>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");
const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

using Reply = std::optional<std::optional<QString>>;

ProxyConfigRemoteProcessProtocol::ErrorReply into(Reply &slot)
{
    return [&slot](const std::optional<QString> &error) { slot = error; };
}

class HelperClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.socketPath = m_dir.filePath("helper.sock");
        m_options.callTimeoutMs = 2000;
    }

    QTemporaryDir m_dir;
    HelperClient::Options m_options;
};

TEST_F(HelperClientTest, CommandsReachTheDaemonAndItsRefusalsComeBack)
{
    DaemonProcess daemon;
    ASSERT_TRUE(daemon.start(kHelper, {"--socket", m_options.socketPath, "--backend", "file", "--state-dir", m_dir.filePath("state")},
                             m_options.socketPath));
    HelperClient client(m_options);

    Reply enabled, refused, disabled;
    QString version;
    QJsonObject current;
    client.getVersion([&version](const QString &v) { version = v; });
    client.enableProxyWithPort(9999, 9999, std::nullopt, std::nullopt, true, kExceptions, into(enabled));
    client.enableProxyWithPort(0, 9999, std::nullopt, std::nullopt, true, kExceptions, into(refused));
    client.getCurrentProxySetting([&current](const QJsonObject &s) { current = s; });
    client.disableProxyWithFilterInterface(true, into(disabled));
    ASSERT_TRUE(QTest::qWaitFor([&] { return disabled.has_value(); }, 5000));

    EXPECT_EQ(version, QStringLiteral(OSTREL_VERSION));
    ASSERT_TRUE(enabled.has_value());
    EXPECT_FALSE(enabled->has_value());
    ASSERT_TRUE(refused.has_value() && refused->has_value());
    EXPECT_TRUE((*refused)->contains("port"));
    EXPECT_EQ(current.value("socks_port").toInt(), 9999);
    EXPECT_EQ(current.value("ignore_hosts").toArray().size(), kExceptions.size());
    EXPECT_FALSE(disabled->has_value());
}

TEST_F(HelperClientTest, UnreachableHelperAnswersWithAnError)
{
    HelperClient client(m_options);
    QStringList failures;
    client.setFailureHandler([&failures](const QString &reason) { failures.append(reason); });
    Reply reply;
    bool versionCalled = false;
    client.getVersion([&versionCalled](const QString &) { versionCalled = true; });
    client.disableProxyWithFilterInterface(true, into(reply));
    EXPECT_FALSE(reply.has_value()) << "never answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply.has_value(); }, 3000));
    ASSERT_TRUE(reply->has_value());
    EXPECT_TRUE((*reply)->contains("could not be reached"));
    EXPECT_FALSE(versionCalled);
    EXPECT_FALSE(failures.isEmpty());
}

TEST_F(HelperClientTest, SilentHelperTimesOutAndAVanishingOneFailsItsCalls)
{
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    m_options.callTimeoutMs = 150;
    HelperClient client(m_options);
    Reply slow;
    client.disableProxyWithFilterInterface(true, into(slow));
    ASSERT_TRUE(QTest::qWaitFor([&] { return slow.has_value(); }, 2000));
    ASSERT_TRUE(slow->has_value());
    EXPECT_TRUE((*slow)->contains("in time"));

    QLocalServer vanishing;
    m_options.socketPath = m_dir.filePath("vanishing.sock");
    ASSERT_TRUE(vanishing.listen(m_options.socketPath));
    m_options.callTimeoutMs = 5000;
    HelperClient second(m_options);
    Reply dropped;
    second.disableProxyWithFilterInterface(true, into(dropped));
    ASSERT_TRUE(QTest::qWaitFor([&] { return vanishing.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = vanishing.nextPendingConnection();
    ASSERT_TRUE(peer);
    QTest::qWait(50);
    peer->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dropped.has_value(); }, 2000));
    ASSERT_TRUE(dropped->has_value());
    EXPECT_TRUE((*dropped)->contains("closed"));
}

} // namespace

// One real chain: HLLShadowsocks starts the relaying stand-in engine on the "sslocal.conf" that a
// connection fill wrote; it runs Debian's ss-local against a local ss-server, and an HTTP request
// through the SOCKS5 listener on 127.0.0.1:9999 reaches a local web server.
#include "EngineTestSupport.h"
#include "support/LocalRelay.h"
#include "support/PageServer.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"

#include "vpn/HLLConnection.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HLLShadowsocks.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWaitMs = 15000;
const QByteArray kPage = "through the relay";

// A GET through the SOCKS5 listener; the body, or empty on failure.
QByteArray fetchThroughSocks(quint16 webPort)
{
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), 9999));
    socket.connectToHost(QStringLiteral("127.0.0.1"), webPort);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState
                                      || socket.state() == QAbstractSocket::UnconnectedState; }, 5000)
        || socket.state() != QAbstractSocket::ConnectedState)
        return {};
    socket.write("GET /hello HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray response;
    // A page cut short by the time-out comes back short, and the caller's comparison shows it.
    [[maybe_unused]] const bool closed = QTest::qWaitFor([&] {
        response += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    }, 5000);
    response += socket.readAll();
    const qsizetype body = response.indexOf("\r\n\r\n");
    return body < 0 ? QByteArray() : response.mid(body + 4);
}

} // namespace

TEST(RelayChainTest, RequestTravelsThroughTheEngine)
{
    if (const std::optional<std::string> why = LocalRelay::unavailable(HLLPACUtilWrapper::kLocalPort))
        GTEST_SKIP() << *why;
    UserDefaults::standard().removePersistentDomain();

    PageServer web(kPage);
    ASSERT_TRUE(web.isListening());
    LocalRelay relay;
    ASSERT_TRUE(relay.start()) << "ss-server did not start";

    // The configuration as the connect road writes it.
    HLLConnection connection;
    connection.userId = QStringLiteral("1");
    connection.sessionId = QStringLiteral("s");
    connection.proxy_session_token = QStringLiteral("t");
    connection.tunOn = false;
    QJsonObject node{{"url", "127.0.0.1"}, {"port", QString::number(relay.port())},
                     {"password", LocalRelay::password()}, {"encrypt_method", LocalRelay::method()}};
    ASSERT_TRUE(connection.setValuesForKeysWithDictionary(QJsonObject{{"node_list", QJsonArray{node}}}).ok);

    EngineSandbox sandbox;
    sandbox.installEngine(EngineInstaller::Engine::SSLocal, relayEnginePath());
    auto engine = std::make_unique<HLLShadowsocks>(EngineStart{HLLConnection::sslocalConfigPath()},
                                                   nullptr, sandbox.setup);
    engine->setStartTimeout(kWaitMs);
    int code = -1;
    engine->startWithConnectivityChecks(false, [&](int c) { code = c; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return code != -1; }, kWaitMs + 1000));
    ASSERT_EQ(code, HLLShadowsocks::Started);

    EXPECT_EQ(fetchThroughSocks(web.serverPort()), kPage);
    EXPECT_EQ(web.paths.size(), 1);

    // Stopping the engine ends its ss-local too and closes the tunnel.
    const std::vector<pid_t> helpers = ProcScan::children(pid_t(engine->processId()));
    ASSERT_FALSE(helpers.empty()) << "the engine runs no ss-local";
    bool stopped = false;
    engine->stop([&](int) { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
    for (const pid_t pid : helpers)
        EXPECT_TRUE(ProcessWaits::gone(pid)) << "ss-local " << pid << " left behind";
    EXPECT_TRUE(fetchThroughSocks(web.serverPort()).isEmpty());
    EXPECT_EQ(web.paths.size(), 1);
}

// One real chain: HLLShadowsocks starts the relaying stand-in engine on the "sslocal.conf" that a
// connection fill wrote; it runs Debian's ss-local against a local ss-server, and an HTTP request
// through the SOCKS5 listener on 127.0.0.1:9999 reaches a local web server.
#include "EngineTestSupport.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"

#include "vpn/HLLConnection.h"
#include "vpn/HLLShadowsocks.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWaitMs = 15000;
const QByteArray kPage = "through the relay";

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool portAccepts(quint16 port)
{
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

// Answers every request with one fixed page, and counts the requests it served.
class PageServer : public QTcpServer
{
public:
    int served = 0;

    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    ++served;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(kPage.size())
                                  + "\r\nConnection: close\r\n\r\n" + kPage);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
};

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
    const QString ssServer = QStandardPaths::findExecutable(QStringLiteral("ss-server"));
    if (ssServer.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("ss-local")).isEmpty())
        GTEST_SKIP() << "shadowsocks-libev (ss-server, ss-local) is not installed";
    {
        QTcpServer fixedPort;
        if (!fixedPort.listen(QHostAddress::LocalHost, 9999))
            GTEST_SKIP() << "127.0.0.1:9999 is taken by another program; the engine's port is fixed";
    }
    UserDefaults::standard().removePersistentDomain();

    PageServer web;
    ASSERT_TRUE(web.listen(QHostAddress::LocalHost, 0));

    const quint16 relayPort = freePort();
    ASSERT_NE(relayPort, 0);
    const QString password = QStringLiteral("chain-test-password");
    const QString method = QStringLiteral("chacha20-ietf-poly1305");
    QProcess relay;
    relay.setProcessChannelMode(QProcess::ForwardedChannels);
    // The password in a file of the test's own, never on ss-server's command line.
    QTemporaryDir relayFolder;
    ASSERT_TRUE(relayFolder.isValid());
    const QString relayConfig = relayFolder.filePath(QStringLiteral("ss-server.json"));
    {
        QFile file(relayConfig);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(QJsonObject{{"server", "127.0.0.1"}, {"server_port", int(relayPort)},
                                             {"password", password}, {"method", method}})
                       .toJson());
    }
    relay.start(ssServer, {"-c", relayConfig});
    ASSERT_TRUE(relay.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return portAccepts(relayPort); }, kWaitMs)) << "ss-server did not listen";

    // The configuration as the connect road writes it.
    HLLConnection connection;
    connection.userId = QStringLiteral("1");
    connection.sessionId = QStringLiteral("s");
    connection.proxy_session_token = QStringLiteral("t");
    connection.tunOn = false;
    QJsonObject node{{"url", "127.0.0.1"}, {"port", QString::number(relayPort)}, {"password", password},
                     {"encrypt_method", method}};
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
    EXPECT_EQ(web.served, 1);

    // Stopping the engine ends its ss-local too and closes the tunnel.
    const std::vector<pid_t> helpers = ProcScan::children(pid_t(engine->processId()));
    ASSERT_FALSE(helpers.empty()) << "the engine runs no ss-local";
    bool stopped = false;
    engine->stop([&](int) { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kWaitMs));
    for (const pid_t pid : helpers)
        EXPECT_TRUE(ProcessWaits::gone(pid)) << "ss-local " << pid << " left behind";
    EXPECT_TRUE(fetchThroughSocks(web.serverPort()).isEmpty());
    EXPECT_EQ(web.served, 1);

    relay.terminate();
    relay.waitForFinished(3000);
}

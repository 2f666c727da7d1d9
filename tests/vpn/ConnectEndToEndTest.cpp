// One connection end to end with no screen: a visitor signs in against the stand-in service,
// connects a line, and a page of a local web server comes back through 127.0.0.1:9999, the
// relaying stand-in engine (Debian's ss-local) and a local ss-server. Disconnecting restores the
// user's own desktop proxy and leaves no engine behind.

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "support/LoopbackPort.h"
#include "support/RelayRoadFixture.h"
#include "support/PageServer.h"
#include "support/WantedSkip.h"

namespace {

constexpr char kPage[] = "a page from the far side";

class ConnectEndToEndTest : public RelayRoadFixture
{
};

TEST_F(ConnectEndToEndTest, VisitorConnectsFetchesThroughTheTunnelAndDisconnects)
{
    if (const std::optional<std::string> why = relayUnavailable())
        GTEST_SKIP() << *why;
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty())
        GTEST_SKIP() << WantedSkip::tool("curl is not installed");

    const std::optional<QString> scenario = startRelay();
    ASSERT_TRUE(scenario);
    startPieces(QStringLiteral("standin-sslocal-relay"), {QStringLiteral("--scenario"), *scenario});
    signInAsVisitor();
    makeController();
    PageServer page(kPage);
    // The user's own desktop proxy before the connection: it must come back as it was.
    const QJsonObject own = {{"mode", "manual"}, {"http_host", "proxy.example.org"}, {"http_port", 3128},
                             {"ignore_hosts", QJsonArray{"localhost", "intranet.example.org"}}};
    ASSERT_TRUE(DesktopProxyFile::write(settingsPath(), own));

    ASSERT_TRUE(connectAndWait(20000)) << m_view.errors.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(proxyPointsAtUs());

    QProcess fetch;
    fetch.start(curl, {QStringLiteral("-s"), QStringLiteral("--max-time"), QStringLiteral("10"),
                       QStringLiteral("--socks5-hostname"), QStringLiteral("127.0.0.1:9999"),
                       QStringLiteral("http://127.0.0.1:%1/").arg(page.serverPort())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return fetch.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(fetch.readAllStandardOutput(), QByteArray(kPage));

    ASSERT_TRUE(stopAndWait());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_EQ(desktopProxy(), own);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_TRUE(QTest::qWaitFor([] { return noEngineLeft(); }));
    EXPECT_TRUE(isFreeLoopbackPort(9999));
}

} // namespace

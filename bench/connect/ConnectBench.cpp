// Measures the client's own time on the connect road: from the click to the connected look, less
// the time spent waiting for the service's answer, for the engine to print its start line and for
// the helper to apply the desktop proxy (the road has no fixed delay before the connected look).
// Prints milliseconds and the share of the whole, as the median of several rounds.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/OONetWorkTool.h"
#include "networking/OOHostSafeAdpter.h"
#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"
#include "vpn/EngineSetup.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HelperClient.h"
#include "vpn/HomeConnectController.h"
#include "vpn/HomeConnectView.h"

namespace {

class SilentView : public HomeConnectView
{
public:
    void showLoading() override {}
    void showPausing() override {}
    void showRunning() override {}
    void showStopped() override {}
    void showKillSwitch() override {}
    void showErrorToast(const QString &text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void showSuccessToast(const QString &) override {}
    void openUpgradePage() override {}
    void presentFreePage() override {}
    void updateConnectedTime(bool) override {}
};

// Forwards to the real helper, its loss included, and adds up the time its enable commands take.
class TimedHelper : public ProxyConfigRemoteProcessProtocol
{
public:
    explicit TimedHelper(ProxyConfigRemoteProcessProtocol &inner) : m_inner(inner)
    {
        connect(&inner, &ProxyConfigRemoteProcessProtocol::wentAway, this, &ProxyConfigRemoteProcessProtocol::wentAway);
    }
    void getVersion(VersionReply reply) override { m_inner.getVersion(std::move(reply)); }
    void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                             const std::optional<QString> &dns, bool filter, const QStringList &ignore,
                             ErrorReply reply) override
    {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        m_inner.enableProxyWithPort(port, socksPort, pac, dns, filter, ignore,
                                    [this, started, reply](const std::optional<HelperError> &error) {
                                        waitedNs += started->nsecsElapsed();
                                        reply(error);
                                    });
    }
    void disableProxyWithFilterInterface(bool filter, ErrorReply reply) override
    {
        m_inner.disableProxyWithFilterInterface(filter, std::move(reply));
    }
    void restoreProxyWithCurrentPort(qint32 a, qint32 b, const QJsonObject &info, bool f, ErrorReply r) override
    {
        m_inner.restoreProxyWithCurrentPort(a, b, info, f, std::move(r));
    }
    void getCurrentProxySetting(SettingsReply reply) override { m_inner.getCurrentProxySetting(std::move(reply)); }
    void setRestoreOnClientEnd(bool restore, ErrorReply reply) override { m_inner.setRestoreOnClientEnd(restore, std::move(reply)); }

    qint64 waitedNs = 0;

private:
    ProxyConfigRemoteProcessProtocol &m_inner;
};

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The rounds, in the profile made by main; 0 when every round connected.
int connectRounds(QCoreApplication &app, const QTemporaryDir &profile, int rounds)
{
    const QString bin = QCoreApplication::applicationDirPath();
    AppPaths::setResourceFolderForTesting(bin + QStringLiteral("/../share/ostrel"));

    QProcess standin;
    standin.start(bin + QStringLiteral("/ostrel-standin"), {QStringLiteral("--port"), QStringLiteral("0")});
    if (!standin.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_connect: the stand-in service did not start\n");
        return 1;
    }
    const QByteArray listening = standin.readLine().trimmed();
    const QString baseUrl = QStringLiteral("http://127.0.0.1:") + QString::fromUtf8(listening.mid(10));
    AppPaths::ensureFolder(AppPaths::configFolder());
    QFile hosts(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
    hosts.open(QIODevice::WriteOnly);
    hosts.write("{\"hosts\": [\"" + baseUrl.toUtf8() + "\"]}");
    hosts.close();
    OOHostSafeAdpter::shared().resetForTesting();

    const QString socket = profile.path() + QStringLiteral("/helper.sock");
    QProcess helperProcess;
    helperProcess.start(bin + QStringLiteral("/ostrel-helper"),
                        {QStringLiteral("--socket"), socket, QStringLiteral("--backend"), QStringLiteral("file"),
                         QStringLiteral("--state-dir"), profile.path() + QStringLiteral("/helper-state")});
    waitUntil([&] { return QFile::exists(socket); }, 5000);
    HelperClient::Options options;
    options.socketPath = socket;
    HelperClient client(options);
    TimedHelper helper(client);
    HLLPACUtilWrapper::setHelperForTesting(&helper);

    const QString engines = profile.path() + QStringLiteral("/engines");
    QDir().mkpath(engines);
    QFile::link(bin + QStringLiteral("/standin-sslocal-scripted"), engines + QStringLiteral("/intel_sslocal"));
    EngineSetup setup;
    setup.engineFolder = engines;
    setup.shippedVersionsFile = profile.path() + QStringLiteral("/none.json");
    setup.machine = QStringLiteral("x86_64");
    EngineSetup::setStandardForTesting(setup);
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setString(DefaultsKeys::kSSLocalVersion, QStringLiteral("1.0.0"));
    defaults.setBool(DefaultsKeys::kTunStateKey, false);
    defaults.setInteger(DefaultsKeys::kProxyMode, 0);
    defaults.setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 101, "kind": 0})"));

    bool signedIn = false;
    OONetWorkTool::login([&](std::optional<QString> error) { signedIn = !error; });
    if (!waitUntil([&] { return signedIn; }, 10000)) {
        std::fprintf(stderr, "bench_connect: visitor sign-in failed\n");
        return 1;
    }

    // The network and engine waits, measured around the real calls.
    qint64 networkNs = 0;
    qint64 engineNs = 0;
    QElapsedTimer afterAnswer;
    HomeConnectController::Services services = HomeConnectController::Services::real();
    const auto realConnect2 = services.connect2;
    services.connect2 = [&](int id, HomeConnectController::Connect2Reply reply) {
        auto sent = std::make_shared<QElapsedTimer>();
        sent->start();
        realConnect2(id, [&, sent, reply](const std::optional<QJsonObject> &r, const std::optional<QString> &m,
                                          const std::optional<QString> &c) {
            networkNs += sent->nsecsElapsed();
            reply(r, m, c);
            afterAnswer.start();   // the engine has been launched by now
        });
    };
    services.reportConnectionLog = [](const QJsonObject &) {};
    NotificationCenter::defaultCenter().addObserver(NotificationNames::PrivoxyStartSucceed, &app,
                                                    [&](const Notification &) { engineNs += afterAnswer.nsecsElapsed(); });

    SilentView view;
    HomeConnectController controller(view, nullptr, ConnectClock::system(), services);
    std::vector<double> own;
    std::vector<double> whole;
    for (int i = 0; i < rounds; ++i) {
        networkNs = engineNs = helper.waitedNs = 0;
        bool connected = false;
        bool failed = false;
        auto a = QObject::connect(&controller, &HomeConnectController::connectSucceeded, [&] { connected = true; });
        auto b = QObject::connect(&controller, &HomeConnectController::connectFailed, [&] { failed = true; });
        QElapsedTimer click;
        click.start();
        controller.startConnect();
        waitUntil([&] { return connected || failed; }, 20000);
        const qint64 totalNs = click.nsecsElapsed();
        QObject::disconnect(a);
        QObject::disconnect(b);
        if (!connected) {
            std::fprintf(stderr, "bench_connect: round %d did not connect\n", i);
            return 1;
        }
        whole.push_back(totalNs / 1e6);
        own.push_back((totalNs - networkNs - engineNs - helper.waitedNs) / 1e6);
        bool stopped = false;
        auto c = QObject::connect(&controller, &HomeConnectController::stopFinished, [&] { stopped = true; });
        controller.stopConnect();
        waitUntil([&] { return stopped; }, 10000);
        QObject::disconnect(c);
    }
    std::sort(own.begin(), own.end());
    std::sort(whole.begin(), whole.end());
    const double ownMedian = own[own.size() / 2];
    const double wholeMedian = whole[whole.size() / 2];
    std::printf("connect road, %d rounds (median): click to connected %.2f ms; the client's own time "
                "%.2f ms (%.1f%% of the whole), the rest is the service, the engine start and the helper\n",
                rounds, wholeMedian, ownMedian, 100.0 * ownMedian / wholeMedian);

    HLLPACUtilWrapper::shutdown(1000);
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
    helperProcess.terminate();
    helperProcess.waitForFinished(3000);
    standin.terminate();
    standin.waitForFinished(3000);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-bench-XXXXXX"));
    const QByteArray home = profile.path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home);
    QCoreApplication app(argc, argv);
    const int status = connectRounds(app, profile, argc > 1 ? std::max(1, atoi(argv[1])) : 15);
    // The connect road tracks analytics: its thread ends while the application is still whole.
    ProcessTeardown::run();
    return status;
}

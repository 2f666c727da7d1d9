// Tracks a few analytics events and ends at once, shaped like the client's own main: the
// uploads are still being started on the worker thread when the event loop returns.
//
//   analytics-exit-probe                  tracks, quits, tears down, returns
//   analytics-exit-probe slow-thread-exit  the worker's thread-exit clean-up takes a while (as
//                                          libcrypto's may): the teardown must have waited for it
//   analytics-exit-probe quit-on-input     quits once a line arrives on its standard input
//   analytics-exit-probe client-request    also makes a request of the client's own to the
//                                          service (as the API's, on the GUI thread's network
//                                          manager), prints how it ended, then quits
//   analytics-exit-probe stuck-route-connected  the system's proxy question never comes back (as
//                                          libproxy's GNOME plugin once the session bus is gone, on
//                                          a thread whose global object waits for it at exit): the
//                                          client's route is installed, its events tracked, and
//                                          once a line arrives it connects, gives the route back
//                                          as the quit does, and quits
//   analytics-exit-probe stuck-route-changed    the same, the route pointed and given back before
//                                          the events are tracked; a line quits
//
// The environment says how many events and points the uploads elsewhere:
//   OSTREL_EXIT_PROBE_EVENTS  how many events it tracks (at least one)
//   OSTREL_EXIT_PROBE_DNS     the servers the uploads' lookups ask ("127.0.0.1:5353")
//   OSTREL_EXIT_PROBE_API     the service's address ("https://api.ostrel.test:8443"); none: the
//                             client's default
//   OSTREL_EXIT_PROBE_CA      a certificate (PEM) to trust besides the system's
//   https_proxy, ...          the proxy, read as the client reads the system's configuration
// The uploads are patient (ten minutes of silence), so an end that waited for one would not come
// in any test's time. Each upload's outcome is printed ("uploaded exit_probe delivered"), and in
// the stuck-route modes the system's first question ("system asked").
// Exit status: 0 a clean end; 3 the worker was still ending after the teardown; 4 OpenSSL tore
// itself down in the exit handlers (under whatever thread of Qt's was still ending); 2 no
// profile, or a count, certificate or address it cannot use.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include <openssl/crypto.h>
#include <unistd.h>

#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"
#include "networking/ApplicationProxy.h"
#include "networking/HostLookup.h"
#include "networking/OONetWork.h"
#include "networking/SystemRoute.h"
#include "networking/XSAnalyticsManager.h"
#include "support/SlowThreadExit.h"

namespace {

std::atomic<bool> s_threadExitDone{false};

// The program's last exit handler (registered before OpenSSL's own): OpenSSL cannot be set up
// again once it has torn itself down.
void checkOpenSslIsWhole()
{
    if (OPENSSL_init_crypto(0, nullptr) != 1)
        _exit(4);
}

// The service's address, as a profile names its hosts.
bool pointAtTheService(const QString &address)
{
    if (address.isEmpty())
        return true;
    if (!AppPaths::ensureFolder(AppPaths::configFolder()))
        return false;
    QFile hosts(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
    const QJsonObject list{{QStringLiteral("hosts"), QJsonArray{address}}};
    return hosts.open(QIODevice::WriteOnly) && hosts.write(QJsonDocument(list).toJson()) > 0;
}

bool trust(const QString &certificateFile)
{
    if (certificateFile.isEmpty())
        return true;
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificateFile);
    if (certificates.isEmpty())
        return false;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return true;
}

// As Qt's libproxy wrapper holding GNOME's plugin once the session bus has gone: one thread of
// its own takes the questions, and the plugin's call it makes for the first never returns. Its
// global object's destructor, an exit handler, ends that thread and waits for it: at once while no
// question came, for ever once one did. The first question taken is printed ("system asked").
class StuckProxyLibrary
{
public:
    static StuckProxyLibrary &instance()
    {
        static StuckProxyLibrary library;
        return library;
    }

    // The answer never comes.
    QList<QNetworkProxy> ask()
    {
        std::unique_lock lock(m_mutex);
        ++m_questions;
        m_wake.notify_all();
        m_wake.wait(lock, [] { return false; });
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    }

    ~StuckProxyLibrary()
    {
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
            m_wake.notify_all();
        }
        m_thread.join();
    }

private:
    StuckProxyLibrary()
        : m_thread([this] { serve(); })
    {
    }

    void serve()
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_questions > 0 || m_ending; });
        if (m_questions == 0)
            return;
        std::printf("system asked\n");
        std::fflush(stdout);
        // The plugin's call.
        m_wake.wait(lock, [] { return false; });
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_questions = 0;
    bool m_ending = false;
    std::thread m_thread;
};

void slowDownTheWorkersExit()
{
    XSAnalyticsManager::shared().runOnWorkerForTesting([] { SlowThreadExit::armOnThisThread(&s_threadExitDone); });
}

} // namespace

int main(int argc, char **argv)
{
    std::atexit(checkOpenSslIsWhole);
    ProcessTeardown::keepOpenSslToTheEnd();
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-exit-probe-XXXXXX"));
    if (!profile.isValid())
        return 2;
    const QByteArray home = profile.path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_RUNTIME_DIR", home);

    QCoreApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_TEST_RESOURCES));
    HostLookup::setServersForTesting(qEnvironmentVariable("OSTREL_EXIT_PROBE_DNS"));
    const int events = qEnvironmentVariableIntValue("OSTREL_EXIT_PROBE_EVENTS");
    if (events < 1 || !pointAtTheService(qEnvironmentVariable("OSTREL_EXIT_PROBE_API"))
        || !trust(qEnvironmentVariable("OSTREL_EXIT_PROBE_CA")))
        return 2;
    constexpr int kTenMinutes = 10 * 60 * 1000;
    OONetWork::shared().setTimeoutsForTesting(kTenMinutes, kTenMinutes);
    OONetWork::shared().setDeadlinesForTesting(kTenMinutes, kTenMinutes);
    QObject::connect(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded, &app,
                     [](const QString &event, bool delivered) {
        std::printf("uploaded %s %s\n", qPrintable(event), delivered ? "delivered" : "dropped");
        std::fflush(stdout);
    });
    const bool stuckRoute = mode.startsWith(QLatin1String("stuck-route-"));
    if (stuckRoute) {
        StuckProxyLibrary::instance();
        SystemRoute::setReaderForTesting([](const QNetworkProxyQuery &) { return StuckProxyLibrary::instance().ask(); });
        ApplicationProxy::install();
    }
    if (mode == QLatin1String("stuck-route-changed")) {
        ApplicationProxy::pointAt(9999, {});
        ApplicationProxy::restore();
    }
    for (int i = 0; i < events; ++i)
        XSAnalyticsManager::shared().track(QStringLiteral("exit_probe"));
    if (mode == QLatin1String("slow-thread-exit"))
        slowDownTheWorkersExit();

    std::unique_ptr<QSocketNotifier> input;
    if (mode == QLatin1String("quit-on-input") || stuckRoute) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, &app, [mode] {
            if (mode == QLatin1String("stuck-route-connected")) {
                ApplicationProxy::pointAt(9999, {});
                ApplicationProxy::restore();
            }
            QCoreApplication::quit();
        });
    } else if (mode == QLatin1String("client-request")) {
        QNetworkReply *reply = OONetWork::shared().manager()->get(
            QNetworkRequest(QUrl(qEnvironmentVariable("OSTREL_EXIT_PROBE_API"))));
        QObject::connect(reply, &QNetworkReply::finished, &app, [reply] {
            std::printf("client request ended %d\n", int(reply->error()));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    } else {
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    }
    const int status = QCoreApplication::exec();
    ProcessTeardown::run();
    if (mode == QLatin1String("slow-thread-exit") && !s_threadExitDone.load()) {
        std::fprintf(stderr, "the analytics thread was still ending after the teardown had returned\n");
        return 3;
    }
    return ProcessTeardown::end(status);
}

// ostrel-helper: points the desktop's proxy settings at the client's local listener and puts
// the user's own settings back, on request of the client over a Unix socket.
#include "common/HelperProtocol.h"
#include "common/LogLine.h"
#include "helper/HelperServer.h"
#include "helper/ProxyBackendFactory.h"
#include "helper/ProxyConfigService.h"
#include "helper/RestoreRetry.h"
#include "helper/SavedProxyState.h"
#include "common/UnixSignalWatcher.h"
#include "helper/HelperLog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDebug>
#include <QFileSystemWatcher>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// This program's information list, read by the client from the file it ships (never by starting
// it) to learn which helper version it must find installed. Kept in the binary though nothing
// here reads it.
[[gnu::used]] const char kHelperInfo[] = OSTREL_HELPER_INFO_MARKER OSTREL_VERSION "\n";

constexpr int kSystemdFirstDescriptor = 3;

// A listening socket passed by systemd socket activation, or -1.
int activatedDescriptor()
{
    bool ok = false;
    const qint64 pid = qEnvironmentVariable("LISTEN_PID").toLongLong(&ok);
    if (!ok || pid != ::getpid())
        return -1;
    const int count = qEnvironmentVariable("LISTEN_FDS").toInt(&ok);
    if (!ok || count < 1)
        return -1;
    return kSystemdFirstDescriptor;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // What this program logs goes to the journal, a line an entry, and holds gsettings' own error
    // output, which spans lines.
    LogLine::escapeConsole();
    QCoreApplication::setApplicationName(QStringLiteral("ostrel-helper"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets the desktop proxy for the Ostrel client."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption socketOption(QStringLiteral("socket"), QStringLiteral("Socket path."), QStringLiteral("path"),
                                          HelperProtocol::defaultSocketPath());
    const QCommandLineOption backendOption(QStringLiteral("backend"), QStringLiteral("auto, file, gsettings or kde."),
                                           QStringLiteral("name"), QStringLiteral("auto"));
    const QCommandLineOption stateOption(QStringLiteral("state-dir"), QStringLiteral("Folder of the saved settings."),
                                         QStringLiteral("path"), SavedProxyState::defaultFolder());
    const QCommandLineOption fileOption(QStringLiteral("settings-file"), QStringLiteral("File of the file backend."),
                                        QStringLiteral("path"));
    const QCommandLineOption kdeOption(QStringLiteral("kioslaverc"), QStringLiteral("kioslaverc of the kde backend."),
                                       QStringLiteral("path"));
    parser.addOptions({socketOption, backendOption, stateOption, fileOption, kdeOption});
    parser.process(app);

    ProxyBackendFactory::Options options;
    options.backend = parser.value(backendOption);
    options.filePath = parser.isSet(fileOption) ? parser.value(fileOption)
                                                 : parser.value(stateOption) + QStringLiteral("/proxy-settings.json");
    options.kioslavercPath = parser.value(kdeOption);
    QString error;
    const std::unique_ptr<ProxyBackend> backend = ProxyBackendFactory::create(options, &error);
    if (!backend) {
        std::fprintf(stderr, "ostrel-helper: %s\n", qPrintable(LogLine::escaped(error)));
        return 2;
    }

    SavedProxyState state(parser.value(stateOption));
    ProxyConfigService service(*backend, state, QStringLiteral(OSTREL_VERSION));
    // Before the leftover's restore, which may itself not land: it is tried again once serving.
    RestoreRetry retry(service);
    error = service.restoreLeftover();
    if (!error.isEmpty())
        qCWarning(lcHelper).noquote() << "could not restore the settings saved by an earlier run:" << error;

    HelperServer server(service);
    const int activated = activatedDescriptor();
    const bool listening = activated >= 0 ? server.listenOnDescriptor(activated, &error)
                                          : server.listen(parser.value(socketOption), &error);
    if (!listening) {
        std::fprintf(stderr, "ostrel-helper: %s\n", qPrintable(LogLine::escaped(error)));
        return 1;
    }
    qCInfo(lcHelper).noquote() << "ostrel-helper" << OSTREL_VERSION << "serving with the" << backend->name() << "backend";

    // The session is ending: the user's settings must not keep pointing at a listener that is
    // about to go away with it.
    auto shutDown = [&service, &server] {
        server.stopServing();
        // The last try: nothing is tried again after the exit but at the next start.
        service.setRestorePendingHandler({});
        const QString restoreError = service.disableProxy(true);
        if (!restoreError.isEmpty())
            qCWarning(lcHelper).noquote() << "could not restore the proxy settings:" << restoreError;
        QCoreApplication::quit();
    };
    UnixSignalWatcher signals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signals, &UnixSignalWatcher::unixSignal, &app, shutDown);
    // An install replaced this program: step aside so the client's next request starts the new one
    // (an old version would otherwise answer the version check for ever).
    QFileSystemWatcher selfWatcher({QCoreApplication::applicationFilePath()});
    QObject::connect(&selfWatcher, &QFileSystemWatcher::fileChanged, &app, [shutDown](const QString &) {
        qCInfo(lcHelper).noquote() << "the helper program was replaced; exiting";
        shutDown();
    });
    std::signal(SIGPIPE, SIG_IGN);
    return app.exec();
}

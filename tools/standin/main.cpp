// ostrel-standin: a loopback stand-in of the service API for the tests and the demo.
//   ostrel-standin [--port N] [--scenario FILE] [--resources DIR]
//                  [--ss-port N] [--ss-password TEXT] [--ss-method NAME]
// Prints "listening <port>" once it accepts connections (port 0 picks a free one).
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"
#include "StandinServer.h"

namespace {

// Nothing is kept beyond the process, so a stop request ends it at once instead of waiting
// for idle keep-alive connections to time out.
void onSignal(int)
{
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&args](const QString &name) {
        const int index = args.indexOf(name);
        return index >= 0 && index + 1 < args.size() ? args.at(index + 1) : QString();
    };
    if (!option(QStringLiteral("--resources")).isEmpty())
        AppPaths::setResourceFolderForTesting(option(QStringLiteral("--resources")));
    if (!ProtocolConfig::isLoaded()) {
        std::fprintf(stderr, "ostrel-standin: protocol configuration: %s\n", qPrintable(ProtocolConfig::loadError()));
        return 2;
    }

    StandinServer server;
    const int port = server.bind(option(QStringLiteral("--port")).toInt());
    if (port <= 0) {
        std::fprintf(stderr, "ostrel-standin: cannot listen on 127.0.0.1:%s\n", qPrintable(option(QStringLiteral("--port"))));
        return 1;
    }
    QJsonObject ss;
    if (!option(QStringLiteral("--ss-port")).isEmpty())
        ss.insert(QStringLiteral("port"), option(QStringLiteral("--ss-port")).toInt());
    if (!option(QStringLiteral("--ss-password")).isEmpty())
        ss.insert(QStringLiteral("password"), option(QStringLiteral("--ss-password")));
    if (!option(QStringLiteral("--ss-method")).isEmpty())
        ss.insert(QStringLiteral("method"), option(QStringLiteral("--ss-method")));
    if (!ss.isEmpty())
        server.applyControl(QJsonObject{{QStringLiteral("ss"), ss}});
    const QString scenarioPath = option(QStringLiteral("--scenario"));
    if (!scenarioPath.isEmpty()) {
        QFile scenario(scenarioPath);
        const QJsonDocument doc = scenario.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(scenario.readAll()) : QJsonDocument();
        if (!doc.isObject()) {
            std::fprintf(stderr, "ostrel-standin: unreadable scenario file %s\n", qPrintable(scenarioPath));
            return 2;
        }
        server.applyControl(doc.object());
    }

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::printf("listening %d\n", port);
    std::fflush(stdout);
    server.run();
    return 0;
}

// ostrel-standin: a loopback stand-in of the service API for the tests and the demo.
// Prints "listening <port>" once it accepts connections (port 0 picks a free one); see --help.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"
#include "StandinServer.h"

namespace {

constexpr int kExitRefused = 1;     // the port is busy or cannot be bound
constexpr int kExitBadUsage = 2;    // options, scenario file or configuration

const char kDescription[] =
    "A loopback stand-in of the service API, for the tests and the demo.\n"
    "Listens on 127.0.0.1 only and prints \"listening <port>\" once it accepts connections.\n"
    "Control it with POST /__control and read what it received with GET /__records\n"
    "(docs/protocol.md, \"The stand-in service\").";

// Nothing is kept beyond the process, so a stop request ends it at once instead of waiting
// for idle keep-alive connections to time out.
void onSignal(int)
{
    std::_Exit(0);
}

[[noreturn]] void refuseUsage(const QString &message)
{
    std::fprintf(stderr, "ostrel-standin: %s\nTry 'ostrel-standin --help'.\n", qPrintable(message));
    std::exit(kExitBadUsage);
}

// A decimal port in [low, 65535]; anything else ("abc", "80x", "-1", "70000") is refused.
int portOption(const QCommandLineParser &parser, const QCommandLineOption &option, int low)
{
    const QString text = parser.value(option);
    bool ok = false;
    const int port = text.toInt(&ok, 10);
    if (!ok || port < low || port > 65535)
        refuseUsage(QStringLiteral("--%1 wants a port number from %2 to 65535, not \"%3\"")
                        .arg(option.names().constFirst()).arg(low).arg(text));
    return port;
}

std::optional<QJsonObject> readScenario(const QString &path)
{
    QFile scenario(path);
    if (!scenario.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(scenario.readAll());
    if (!doc.isObject())
        return std::nullopt;
    return doc.object();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ostrel-standin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1; 0 picks a free one (default)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption scenarioOpt(QStringLiteral("scenario"), QStringLiteral("JSON file of control commands applied at start."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption resourcesOpt(QStringLiteral("resources"), QStringLiteral("Folder holding protocol.json."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption ssPortOpt(QStringLiteral("ss-port"), QStringLiteral("Shadowsocks port handed out in connect replies."),
                                       QStringLiteral("N"));
    const QCommandLineOption ssPasswordOpt(QStringLiteral("ss-password"),
                                           QStringLiteral("Shadowsocks password handed out (the scenario file keeps it off the command line)."),
                                           QStringLiteral("TEXT"));
    const QCommandLineOption ssMethodOpt(QStringLiteral("ss-method"), QStringLiteral("Shadowsocks cipher handed out."),
                                         QStringLiteral("NAME"));
    const QCommandLineOption qrManualOpt(QStringLiteral("qr-manual"),
                                         QStringLiteral("QR codes wait for the phone app: POST /__control {\"qr_step\": \"scan\" | \"confirm\" | \"cancel\" | \"expire\"}."));
    parser.addOptions({portOpt, scenarioOpt, resourcesOpt, ssPortOpt, ssPasswordOpt, ssMethodOpt, qrManualOpt});

    if (!parser.parse(app.arguments()))
        refuseUsage(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        refuseUsage(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));
    const int requestedPort = portOption(parser, portOpt, 0);
    QJsonObject ss;
    if (parser.isSet(ssPortOpt))
        ss.insert(QStringLiteral("port"), portOption(parser, ssPortOpt, 1));
    if (parser.isSet(ssPasswordOpt))
        ss.insert(QStringLiteral("password"), parser.value(ssPasswordOpt));
    if (parser.isSet(ssMethodOpt))
        ss.insert(QStringLiteral("method"), parser.value(ssMethodOpt));
    std::optional<QJsonObject> scenario;
    if (parser.isSet(scenarioOpt)) {
        scenario = readScenario(parser.value(scenarioOpt));
        if (!scenario) {
            std::fprintf(stderr, "ostrel-standin: unreadable scenario file %s\n", qPrintable(parser.value(scenarioOpt)));
            return kExitBadUsage;
        }
    }

    if (parser.isSet(resourcesOpt))
        AppPaths::setResourceFolderForTesting(parser.value(resourcesOpt));
    if (!ProtocolConfig::isLoaded()) {
        std::fprintf(stderr, "ostrel-standin: protocol configuration: %s\n", qPrintable(ProtocolConfig::loadError()));
        return kExitBadUsage;
    }

    StandinServer server;
    QString bindError;
    const int port = server.bind(requestedPort, &bindError);
    if (port <= 0) {
        std::fprintf(stderr, "ostrel-standin: cannot listen on 127.0.0.1:%d: %s\n", requestedPort, qPrintable(bindError));
        return kExitRefused;
    }
    if (!ss.isEmpty())
        server.applyControl(QJsonObject{{QStringLiteral("ss"), ss}});
    if (parser.isSet(qrManualOpt))
        server.applyControl(QJsonObject{{QStringLiteral("qr_manual"), true}});
    if (scenario)
        server.applyControl(*scenario);

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::printf("listening %d\n", port);
    std::fflush(stdout);
    server.run();
    return 0;
}

// A stand-in for the TUN engine, for the demo: takes the engine's arguments ("run -c
// <singbox.json>"), checks that the configuration is one the client writes (a "tun" inbound and
// outbounds), says what it would do, and runs until it is stopped. It opens no TUN device and
// changes no route: traffic keeps taking the desktop proxy that the helper points at the relay.
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
}

void say(const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void complain(const QString &line)
{
    std::fputs(("tun engine: " + line + "\n").toUtf8().constData(), stderr);
}

QString configArgument(const QStringList &arguments)
{
    if (arguments.size() < 2 || arguments.at(1) != QStringLiteral("run"))
        return QString();
    const qsizetype index = arguments.indexOf(QStringLiteral("-c"));
    return index >= 0 && index + 1 < arguments.size() ? arguments.at(index + 1) : QString();
}

// The TUN inbound's interface name, or nothing when the configuration has none.
QString tunInterface(const QJsonObject &config)
{
    for (const QJsonValue &inbound : config.value(QStringLiteral("inbounds")).toArray()) {
        const QJsonObject object = inbound.toObject();
        if (object.value(QStringLiteral("type")).toString() == QStringLiteral("tun"))
            return object.value(QStringLiteral("interface_name")).toString(QStringLiteral("tun"));
    }
    return QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString configPath = configArgument(app.arguments());
    if (configPath.isEmpty()) {
        complain(QStringLiteral("usage: run -c <configuration>"));
        return 1;
    }
    QFile file(configPath);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read the configuration \"%1\"").arg(configPath));
        return 1;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        complain(QStringLiteral("the configuration is not a JSON object: %1").arg(error.errorString()));
        return 1;
    }
    const QJsonObject config = document.object();
    const QString interface = tunInterface(config);
    if (interface.isEmpty() || config.value(QStringLiteral("outbounds")).toArray().isEmpty()) {
        complain(QStringLiteral("the configuration has no tun inbound or no outbound"));
        return 1;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalPipe) != 0)
        return 1;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    QSocketNotifier stop(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, [] {
        say(QStringLiteral("stand-in: stopped"));
        QCoreApplication::exit(0);
    });
    say(QStringLiteral("stand-in: would open %1 and route through its outbounds; no device opened, "
                       "traffic keeps the desktop proxy")
            .arg(interface));
    return app.exec();
}

// A stand-in for the shadowsocks engine that relays for real: it reads "sslocal.conf" (the -c
// argument), runs Debian's ss-local against the first server with the first local listener's
// address and port, prints "start_success" once that port accepts connections, passes
// ss-local's output lines on, and ends ss-local when it is stopped itself.
//
// ss-local is taken from OSTREL_SS_LOCAL when set, else from the PATH. Its configuration (it
// holds the relay password) is written beside "sslocal.conf", readable by the owner only.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

#include "common/WholeFile.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/prctl.h>
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
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void complain(const QString &line)
{
    std::fputs(("relay engine: " + line + "\n").toUtf8().constData(), stderr);
}

QString configArgument(const QStringList &arguments)
{
    const qsizetype index = arguments.indexOf(QStringLiteral("-c"));
    return index >= 0 && index + 1 < arguments.size() ? arguments.at(index + 1) : QString();
}

// Whether a stop signal arrived that the event loop has not taken up yet.
bool stopSignalled()
{
    pollfd pending{s_signalPipe[0], POLLIN, 0};
    return ::poll(&pending, 1, 0) > 0;
}

bool portAccepts(const QString &address, int port)
{
    QTcpSocket socket;
    socket.connectToHost(address, quint16(port));
    return socket.waitForConnected(200);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString configPath = configArgument(app.arguments());
    QFile configFile(configPath);
    if (configPath.isEmpty() || !configFile.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read the configuration \"%1\"").arg(configPath));
        return 2;
    }
    const QJsonObject config = QJsonDocument::fromJson(configFile.readAll()).object();
    const QJsonObject server = config.value(QStringLiteral("servers")).toArray().first().toObject();
    const QJsonObject local = config.value(QStringLiteral("locals")).toArray().first().toObject();
    if (server.isEmpty() || !server.contains(QStringLiteral("port"))) {
        complain(QStringLiteral("no usable server in the configuration"));
        return 2;
    }
    const QString listenAddress = local.value(QStringLiteral("local_address")).toString(QStringLiteral("127.0.0.1"));
    const int listenPort = local.value(QStringLiteral("local_port")).toInt(9999);

    const QJsonObject relayConfig{
        {QStringLiteral("server"), server.value(QStringLiteral("address"))},
        {QStringLiteral("server_port"), server.value(QStringLiteral("port"))},
        {QStringLiteral("password"), server.value(QStringLiteral("password"))},
        {QStringLiteral("method"), server.value(QStringLiteral("method"))},
        {QStringLiteral("local_address"), listenAddress},
        {QStringLiteral("local_port"), listenPort},
        {QStringLiteral("timeout"), 60},
    };
    const QString relayConfigPath = QFileInfo(configPath).absolutePath() + QStringLiteral("/standin-ss-local.json");
    const QString written = WholeFile::write(relayConfigPath, QJsonDocument(relayConfig).toJson(),
                                             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!written.isEmpty()) {
        complain(written);
        return 2;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalPipe) != 0)
        return 2;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    QProcess relay;
    const QString program = qEnvironmentVariable("OSTREL_SS_LOCAL", QStringLiteral("ss-local"));
    relay.setProgram(program);
    relay.setArguments({QStringLiteral("-c"), relayConfigPath, QStringLiteral("-v")});
    relay.setProcessChannelMode(QProcess::MergedChannels);
    relay.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });

    // Set once the engine was told to stop: ss-local's end is then the stop's, not news.
    bool stopping = false;
    QSocketNotifier signalNotifier(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&relay, &stopping] {
        stopping = true;
        relay.terminate();
        if (!relay.waitForFinished(2000))
            relay.kill();
        QCoreApplication::exit(0);
    });
    QByteArray pending;
    QObject::connect(&relay, &QProcess::readyReadStandardOutput, &app, [&relay, &pending] {
        pending += relay.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            say(QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
        }
    });
    // ss-local ends with 0 only when it is signalled (SIGTERM, SIGINT): one that ends by itself, or
    // is signalled by anyone but this engine, is an engine that stopped relaying, and says so. A
    // stop sent to the engine's process group reaches ss-local too, and may end it before this
    // engine's own signal is read: that signal is already waiting then.
    QObject::connect(&relay, &QProcess::finished, &app, [&stopping](int code, QProcess::ExitStatus status) {
        if (stopping || stopSignalled())
            return;
        if (status == QProcess::CrashExit)
            complain(QStringLiteral("ss-local was killed, not stopped by this engine"));
        else
            complain(QStringLiteral("ss-local ended with %1, not stopped by this engine").arg(code));
        QCoreApplication::exit(code == 0 ? 1 : code);
    });
    QObject::connect(&relay, &QProcess::errorOccurred, &app, [program](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        complain(QStringLiteral("cannot start %1").arg(program));
        QCoreApplication::exit(2);
    });

    // Announce the start once the listener takes connections; give up after ten seconds.
    QElapsedTimer waited;
    waited.start();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        if (relay.state() != QProcess::Running)
            return;
        if (portAccepts(listenAddress, listenPort)) {
            probe.stop();
            say(QStringLiteral("start_success"));
            return;
        }
        if (waited.elapsed() > 10000) {
            probe.stop();
            complain(QStringLiteral("the listener never opened"));
            relay.terminate();
        }
    });
    relay.start();
    probe.start(50);
    return app.exec();
}

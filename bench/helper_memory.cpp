// Starts the helper daemon with the file backend in a temporary folder, measures its resident
// memory (VmRSS) when idle, then after a burst of requests of every kind (valid, refused, garbage,
// over-long, abandoned), and prints the numbers. The daemon is expected to stay flat.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool waitForSocket(const QString &path)
{
    for (int i = 0; i < 250; ++i) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void exchange(QLocalSocket &socket, const QByteArray &line)
{
    socket.write(line);
    socket.waitForBytesWritten(2000);
    while (!socket.canReadLine() && socket.waitForReadyRead(2000)) {
    }
    socket.readLine();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("helper.sock"));
    QProcess helper;
    helper.setStandardErrorFile(QProcess::nullDevice());
    helper.start(QStringLiteral(OSTREL_HELPER_PATH),
                 {QStringLiteral("--socket"), socketPath, QStringLiteral("--backend"), QStringLiteral("file"),
                  QStringLiteral("--state-dir"), dir.filePath(QStringLiteral("state"))});
    if (!helper.waitForStarted(5000) || !waitForSocket(socketPath)) {
        std::fprintf(stderr, "the helper did not start\n");
        return 1;
    }
    const qint64 pid = helper.processId();
    const qint64 idle = residentKiB(pid);

    const QByteArray enable = "{\"id\":1,\"method\":\"enableProxy\",\"params\":{\"port\":9999,\"socksPort\":9999,"
                              "\"filterInterface\":true,\"ignoreList\":[\"127.0.0.1\",\"localhost\",\"192.168.0.0/16\","
                              "\"10.0.0.0/8\",\"FE80::/64\",\"::1\",\"FD00::/8\"]}}\n";
    const QByteArray disable = "{\"id\":2,\"method\":\"disableProxy\",\"params\":{\"filterInterface\":true}}\n";
    const QByteArray current = "{\"id\":3,\"method\":\"getCurrentProxySetting\"}\n";
    const QByteArray refused = "{\"id\":4,\"method\":\"enableProxy\",\"params\":{\"port\":0}}\n";
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    socket.waitForConnected(2000);
    for (int i = 0; i < rounds; ++i) {
        exchange(socket, enable);
        exchange(socket, current);
        exchange(socket, refused);
        exchange(socket, "garbage\n");
        exchange(socket, disable);
        if (i % 100 == 0) {
            QLocalSocket abandoned;
            abandoned.connectToServer(socketPath);
            abandoned.waitForConnected(1000);
            abandoned.write(QByteArray(200 * 1024, 'x'));
            abandoned.waitForBytesWritten(1000);
            abandoned.abort();
        }
    }
    const qint64 elapsed = clock.elapsed();
    const qint64 busy = residentKiB(pid);
    std::printf("helper resident memory: idle %lld KiB, after %d rounds (%d requests) %lld KiB, growth %lld KiB\n",
                static_cast<long long>(idle), rounds, rounds * 5, static_cast<long long>(busy),
                static_cast<long long>(busy - idle));
    std::printf("requests took %.3f ms each on average\n", rounds ? double(elapsed) / (rounds * 5) : 0.0);
    helper.terminate();
    helper.waitForFinished(5000);
    return 0;
}

#include "support/DaemonProcess.h"
#include "support/EndsWithTheTest.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTest>

#include <csignal>

DaemonProcess::~DaemonProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        terminate(3000);
}

bool DaemonProcess::waitForSocket(const QString &socketPath, int timeoutMs)
{
    return QTest::qWaitFor([&socketPath] {
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (!probe.waitForConnected(200))
            return false;
        probe.disconnectFromServer();
        return true;
    }, timeoutMs);
}

bool DaemonProcess::start(const QString &program, const QStringList &arguments, const QString &socketPath, int timeoutMs)
{
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    endsWithTheTest(*m_process);
    m_process->start(program, arguments);
    if (!m_process->waitForStarted(timeoutMs))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (m_process->state() == QProcess::NotRunning)
            return false;
        if (waitForSocket(socketPath, 100))
            return true;
    }
    return false;
}

bool DaemonProcess::terminate(int timeoutMs)
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return true;
    ::kill(static_cast<pid_t>(m_process->processId()), SIGTERM);
    if (m_process->waitForFinished(timeoutMs))
        return true;
    m_process->kill();
    m_process->waitForFinished(2000);
    return false;
}

void DaemonProcess::crash()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->kill();
    m_process->waitForFinished(3000);
}

qint64 DaemonProcess::pid() const
{
    return m_process ? m_process->processId() : 0;
}

QByteArray DaemonProcess::output() const
{
    return m_process ? m_process->readAll() : QByteArray();
}

QByteArray exchangeLine(const QString &socketPath, const QByteArray &line, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return {};
    socket.write(line);
    socket.waitForBytesWritten(timeoutMs);
    QElapsedTimer clock;
    clock.start();
    QByteArray reply;
    while (!reply.contains('\n') && clock.elapsed() < timeoutMs) {
        if (!socket.waitForReadyRead(static_cast<int>(timeoutMs - clock.elapsed())))
            break;
        reply += socket.readAll();
    }
    return reply.left(reply.indexOf('\n'));
}

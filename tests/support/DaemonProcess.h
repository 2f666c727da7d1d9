#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A daemon started for one test: waits until its Unix socket accepts connections, and on
// destruction stops it (SIGTERM, then SIGKILL) so no test leaves a process behind.
class DaemonProcess
{
public:
    DaemonProcess() = default;
    ~DaemonProcess();

    bool start(const QString &program, const QStringList &arguments, const QString &socketPath,
               int timeoutMs = 5000);
    // SIGTERM and wait for the exit; false when it had to be killed.
    bool terminate(int timeoutMs = 5000);
    // SIGKILL: the daemon gets no chance to clean up, as in a crash.
    void crash();
    qint64 pid() const;
    QByteArray output() const;
    QProcess *process() const { return m_process.get(); }

    static bool waitForSocket(const QString &socketPath, int timeoutMs);

private:
    std::unique_ptr<QProcess> m_process;
};

// Sends one line to a Unix socket and reads one line back (blocking, bounded).
QByteArray exchangeLine(const QString &socketPath, const QByteArray &line, int timeoutMs = 5000);

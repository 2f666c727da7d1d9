#pragma once

#include "vpn/EngineLineBuffer.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// One running engine program, owned by its controller: started with an argument list, its
// output handed on line by line, stopped by its own process id (SIGTERM, then SIGKILL after a
// grace period). The child is told to die with the client (PR_SET_PDEATHSIG), so a crashed
// client leaves no engine behind.
class EngineProcess : public QObject
{
    Q_OBJECT

public:
    enum class ErrorOutput { Forwarded, Merged };

    explicit EngineProcess(QObject *parent = nullptr);
    ~EngineProcess() override;

    // Starts the program unless one runs already (false then). Failures to start arrive as
    // failedToStart.
    bool start(const QString &program, const QStringList &arguments, const QString &workingFolder,
               ErrorOutput errorOutput);
    // Asks the engine to end; kills it when it has not ended after `graceMs`. `finished` follows.
    void stop(int graceMs);
    // The same, but returns only once the process is gone (at most about graceMs + 1 s).
    void stopAndWait(int graceMs);

    bool isRunning() const;
    // Launched, but the program is not running yet.
    bool isStarting() const;
    qint64 processId() const;
    QString program() const;
    QStringList arguments() const;

Q_SIGNALS:
    void started();
    void failedToStart(const QString &error);
    void lineRead(const QString &line);
    void finished(int exitCode, bool crashed);

private:
    void readOutput();
    void onFinished(int exitCode, QProcess::ExitStatus status);

    std::unique_ptr<QProcess> m_process;
    EngineLineBuffer m_buffer;
};

#pragma once

#include "vpn/EngineLineBuffer.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// One running engine program, owned by its controller: started with an argument list, its
// output handed on line by line, stopped by its own process id (SIGTERM, then SIGKILL after a
// grace period). The child is told to die with the client (PR_SET_PDEATHSIG), so a crashed
// client leaves no engine behind.
//
// The kernel drops that request when a program with file capabilities starts, as the installed
// engines do. So when "ostrel-engine-guard" sits beside the client's executable, the engine runs
// under it: the guard keeps the request, passes a stop on to the engine's process group, kills it
// after the grace period, and ends as the engine ended. Without the guard the engine is started
// directly.
//
// Each running engine is written down (EngineRecord) while it runs. When the guard ends and its
// engine does not (the guard was killed outright), the engine is stopped before finished() is
// emitted, so it never keeps the local port from the next start.
//
// Nothing here blocks the GUI thread except stopAndWait(), which only the quit road uses: a stop
// reports its end later through its completion, and a destroyed EngineProcess leaves its engine
// to be ended in the background (SIGTERM, SIGKILL after the grace period).
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
    // Asks the engine to end; kills it when it has not ended after `graceMs`. `finished` follows;
    // `done` runs once the process has ended, just after `finished` (later from the event loop
    // when none runs).
    void stop(int graceMs, std::function<void()> done = {});
    // Quitting only: the same, but returns only once the process is gone (at most about
    // graceMs + 2 s).
    void stopAndWait(int graceMs);
    // The grace period the guard of the next start gives its engine.
    void setStopGrace(int graceMs) { m_stopGraceMs = graceMs; }

    // The guard beside the executable; empty when there is none.
    static QString guardPath();
    static void setGuardPathForTesting(const QString &path);

    bool isRunning() const;
    // Launched, but the program is not running yet.
    bool isStarting() const;
    // The engine's own process id (under a guard: once the guard has started it; the guard's id
    // until then).
    qint64 processId() const;
    bool isGuarded() const { return m_guarded; }
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
    // Writes the engine down once its process id is known (under a guard, once it has forked).
    void recordEngine(int triesLeft);
    // Lets the running process end on its own time, owned by the application until then.
    void releaseToBackground(int graceMs);

    // SIGKILL waits this much longer under a guard, which kills its engine itself first.
    int killDelay(int graceMs) const { return m_guarded ? graceMs + 1000 : graceMs; }

    std::unique_ptr<QProcess> m_process;
    std::vector<std::function<void()>> m_stopWaiters;
    EngineLineBuffer m_buffer;
    QString m_program;
    QStringList m_arguments;
    int m_stopGraceMs = 3000;
    bool m_guarded = false;
    qint64 m_recordedPid = 0;
};

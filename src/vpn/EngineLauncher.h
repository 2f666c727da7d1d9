#pragma once

#include "vpn/EngineInstaller.h"
#include "vpn/EngineProcess.h"
#include "vpn/EngineSetup.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// The part both engine controllers share: one engine program, installed when needed and then
// launched with an argument list, at most one process at a time.
//
// launch() first ends a process still running (without passing on its last lines or its end: it
// is being replaced), then installs when needed, then starts the program. Every launch ends in
// started() or failed(); a running engine's end comes as finished(). stop() while the old engine
// ends or during the install calls the launch off, which then fails with ExitedBeforeStart.
// Nothing blocks: the old engine's end and the install are waited for in the event loop.
class EngineLauncher : public QObject
{
    Q_OBJECT

public:
    // Shared start failure codes of the two controllers.
    enum Failure {
        UnknownArchitecture = 9, // no engine for this processor
        InstallFailed = 10,      // the install script failed, was refused, or left no engine
        EngineMissing = 11,      // no executable engine at the engine path
        LaunchFailed = 12,       // the engine could not be started
        ExitedBeforeStart = 13,  // the engine ended (or was stopped) before its start
    };

    EngineLauncher(EngineInstaller::Engine engine, const EngineSetup &setup, QObject *parent = nullptr);
    ~EngineLauncher() override;

    const EngineInstaller &installer() const { return m_installer; }

    // Installs the engine when it is missing or outdated; `done` gets true when it is usable.
    void install(std::function<void(bool ok)> done = {});
    void launch(const QStringList &arguments, const QString &workingFolder, EngineProcess::ErrorOutput errorOutput);
    // Asks a running engine to end (SIGTERM, SIGKILL after the grace period); `done` runs once it
    // has ended, just after finished(), or later from the event loop when none runs. Calls off a
    // launch that is still replacing its engine or installing.
    void stop(std::function<void()> done = {});
    // Quitting only: ends the engine before returning.
    void stopAndWait();
    void setStopGrace(int ms)
    {
        m_stopGraceMs = ms;
        m_engine->setStopGrace(ms);
    }

    bool isInstalling() const { return m_installing; }
    // Replacing the old engine, installing, or the program not yet running.
    bool isStarting() const { return m_launchPending || m_engine->isStarting(); }
    bool isRunning() const { return m_engine->isRunning(); }
    qint64 processId() const { return m_engine->processId(); }

Q_SIGNALS:
    void started();
    void failed(int code, const QString &reason);
    void lineRead(const QString &line);
    void finished(int exitCode, bool crashed);

private:
    void installThenStart(quint64 launch);
    void installed(EngineInstaller::Outcome outcome, const QString &error);

    EngineInstaller m_installer;
    EngineProcess *m_engine = nullptr; // child
    QStringList m_arguments;
    QString m_workingFolder;
    EngineProcess::ErrorOutput m_errorOutput = EngineProcess::ErrorOutput::Forwarded;
    bool m_installing = false;
    bool m_launchPending = false;
    bool m_stopRequested = false;
    bool m_replacing = false;
    quint64 m_launch = 0;   // one per launch(); a continuation of an earlier one does nothing
    int m_stopGraceMs = 3000;
};

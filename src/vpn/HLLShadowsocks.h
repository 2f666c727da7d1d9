#pragma once

#include "vpn/EngineLauncher.h"
#include "vpn/EngineSetup.h"
#include "vpn/EngineStart.h"
#include "vpn/ServerCommand.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// The shadowsocks engine ("sslocal"): installs it when needed, starts it with
// "-c <configPath>", reports the start, and turns every line it prints into a server command
// ("ServerCMD" notification and serverCommand signal).
//
// The controller owns its engine: at most one process per controller; starting again while the
// engine runs stops it first; destroying the controller ends it in the background. Every start
// ends in exactly one report to its completion, always later from the event loop: 0 once the
// engine prints "start_success" (and again for every later "start_success", which the engine
// prints after it restarts its service), or a failure code. An engine that ends after its start
// is reported through engineExited.
class HLLShadowsocks : public QObject
{
    Q_OBJECT

public:
    enum StartCode {
        Started = 0,
        NoStartParameters = 7,   // no configuration path in the start parameters
        StartPending = 8,        // a start is already under way
        UnknownArchitecture = EngineLauncher::UnknownArchitecture,
        InstallFailed = EngineLauncher::InstallFailed,
        EngineMissing = EngineLauncher::EngineMissing,
        LaunchFailed = EngineLauncher::LaunchFailed,
        ExitedBeforeStart = EngineLauncher::ExitedBeforeStart, // ended before "start_success"
        StartTimedOut = 14,      // no "start_success" within the start time-out
    };
    using Completion = std::function<void(int code)>;

    static constexpr int kDefaultStartTimeoutMs = 30000;
    static constexpr int kDefaultStopGraceMs = 3000;

    // `config` holds the start parameters: the path of "sslocal.conf" (the TUN switch is the
    // switchboard's, not the engine's).
    explicit HLLShadowsocks(const EngineStart &config, QObject *parent = nullptr,
                            const EngineSetup &setup = EngineSetup::standard());
    ~HLLShadowsocks() override;

    const EngineStart &config() const { return m_config; }
    bool checkConnectivity() const { return m_checkConnectivity; }

    QString getCurrentArchitecture() const { return installer().getCurrentArchitecture(); }
    QString getCurrentProgressName() const { return installer().getCurrentProgressName(); }
    QString getShellFileName() const { return installer().getShellFileName(); }
    QString enginePath() const { return installer().enginePath(); }
    bool isVersionOk() const { return installer().isVersionOk(); }

    // Installs the engine when it is missing or outdated; `done` gets true when it is usable.
    void install(std::function<void(bool ok)> done = {});
    void startWithConnectivityChecks(bool checkConnectivity, Completion completion);
    // Ends the engine (SIGTERM, SIGKILL after the grace period); `completion` gets 0 once the
    // process has ended, later from the event loop when none runs. Nothing blocks.
    void stop(Completion completion = {});
    // Quitting only: ends the engine before returning.
    void stopAndWait() { m_launcher->stopAndWait(); }

    bool isRunning() const { return m_launcher->isRunning(); }
    bool isStarting() const { return bool(m_startCompletion) && !m_started; }
    qint64 processId() const { return m_launcher->processId(); }

    // The engine's status callback of its library form (kept for engines that report that way
    // instead of printing): code 0 means started (the local port is read from the socket), codes
    // 1 to 6 become "ServerCMD" with cmd = code - 1.
    void reportServerCommand(int socketDescriptor, int code);
    void checkServerConnectivity();
    // The local port of a socket; 0 (logged) when it cannot be read.
    static int getsock_port(int socketDescriptor);

    void setStartTimeout(int ms) { m_startTimeoutMs = ms; }
    void setStopGrace(int ms) { m_launcher->setStopGrace(ms); }

Q_SIGNALS:
    void serverCommand(int cmd, const QString &cmdDes);
    // The engine ended on its own or by stop(); `afterStart` when it had reported its start.
    void engineExited(int exitCode, bool afterStart);

private:
    const EngineInstaller &installer() const { return m_launcher->installer(); }
    void handleLine(const QString &line);
    void handleFinished(int exitCode, bool crashed);
    void failStart(int code, const QString &reason);
    void deliver(Completion completion, int code);

    EngineStart m_config;
    EngineLauncher *m_launcher = nullptr; // child
    QTimer m_startTimer;
    Completion m_startCompletion;
    bool m_checkConnectivity = false;
    bool m_started = false;
    int m_startTimeoutMs = kDefaultStartTimeoutMs;
};

#pragma once

#include "vpn/EngineLauncher.h"
#include "vpn/EngineSetup.h"

#include <QObject>
#include <QString>

#include <functional>

// The TUN engine ("sing-box"): installs it when needed (the install script also gives it the
// network-administration capability TUN needs) and runs "run -c <singbox.json>" with the private
// folder as its working folder. Its output (both channels) goes to the log; nothing is parsed.
//
// One process per controller: start() while the engine runs stops it first (a new connection's
// files are read afresh); destroying the controller ends it in the background. A start is
// reported later, from the event loop, through started() or startFailed(code); an engine that
// ends afterwards through engineExited.
class HLLSingBox : public QObject
{
    Q_OBJECT

public:
    enum StartCode {
        Started = 0,
        StartPending = 8,
        UnknownArchitecture = EngineLauncher::UnknownArchitecture,
        InstallFailed = EngineLauncher::InstallFailed,
        EngineMissing = EngineLauncher::EngineMissing,
        LaunchFailed = EngineLauncher::LaunchFailed,
        ExitedBeforeStart = EngineLauncher::ExitedBeforeStart,
    };

    static constexpr int kDefaultStopGraceMs = 3000;

    explicit HLLSingBox(QObject *parent = nullptr, const EngineSetup &setup = EngineSetup::standard());
    ~HLLSingBox() override;

    QString getCurrentArchitecture() const { return installer().getCurrentArchitecture(); }
    QString getCurrentProgressName() const { return installer().getCurrentProgressName(); }
    QString getShellFileName() const { return installer().getShellFileName(); }
    QString enginePath() const { return installer().enginePath(); }
    QString configPath() const;
    bool isVersionOk() const { return installer().isVersionOk(); }

    void install(std::function<void(bool ok)> done = {});
    void start();
    // Ends the engine (SIGTERM, SIGKILL after the grace period); `done` once it has ended, later
    // from the event loop when none runs. Nothing blocks.
    void stop(std::function<void()> done = {});
    // Quitting only: ends the engine before returning.
    void stopAndWait() { m_launcher->stopAndWait(); }

    bool isRunning() const { return m_launcher->isRunning(); }
    bool isStarting() const { return m_launcher->isStarting(); }
    qint64 processId() const { return m_launcher->processId(); }
    void setStopGrace(int ms) { m_launcher->setStopGrace(ms); }

Q_SIGNALS:
    void started();
    void startFailed(int code, const QString &reason);
    void engineExited(int exitCode, bool crashed);

private:
    const EngineInstaller &installer() const { return m_launcher->installer(); }
    void fail(int code, const QString &reason);
    void handleFinished(int exitCode, bool crashed);

    EngineLauncher *m_launcher = nullptr; // child
};

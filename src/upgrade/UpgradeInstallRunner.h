#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "vpn/PrivilegedRunner.h"

// The install step of the self-upgrade: hands the downloaded Debian package to the bundle's
// "update_new_version.sh" through the program's one PrivilegedRunner (pkexec unless we are root),
// and once that script has exited with success starts a fresh copy of the program and quits.
//
// The script runs asynchronously: the window keeps drawing while the administrator password is
// asked for, and nothing waits on a pipe of a process that never started. Every value reaches the
// script as an argument of its own; no shell command is ever built from a path. A failed install
// (no start, a crash, a non-zero exit, a script others could change) is reported, never followed
// by a relaunch, and puts the desktop proxy back as it was (as does a success that is followed by
// no relaunch, because whoever asked has gone or the relaunch cannot start); a package the script refused is
// deleted, so that it is never offered for install again.
class UpgradeInstallRunner : public QObject
{
    Q_OBJECT
public:
    using Log = std::function<void(const QString &text)>;

    enum class Outcome {
        Relaunching,   // the script succeeded; the relaunch is scheduled (or skipped: target gone)
        ScriptMissing, // no script path, or no file there
        Busy,          // an install is already running
        Refused,       // root would run a script that others could change
        FailedToStart,
        Crashed,
        Failed,        // the script (or pkexec) exited with a non-zero status
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        int exitCode = 0;
        QString output;
        QString message;   // for the user when the install failed
        bool ok() const { return outcome == Outcome::Relaunching; }
    };
    using Done = std::function<void(const Result &)>;

    using Command = PrivilegedRunner::Command;

    enum class Elevation { Auto, Never };

    static UpgradeInstallRunner &shared();
    explicit UpgradeInstallRunner(QObject *parent = nullptr);
    ~UpgradeInstallRunner() override;

    // The three values handed to the script.
    static QString installerPath();
    static QString databasePath();
    static QString applicationName();

    // The install script: "OSTREL_UPGRADE_SCRIPT" when set (the demo's harmless stand-in, always
    // run without elevation), else the bundle's "update_new_version.sh"; nothing when missing.
    std::optional<QString> scriptPath() const;
    Elevation elevation() const;
    void setScriptPathForTesting(const std::optional<QString> &path, Elevation elevation = Elevation::Never);

    // "pkexec /bin/bash <script> <installer> <database> <name>", or without pkexec.
    static Command installCommand(const QString &script, bool elevate);
    // "sh -c 'sleep 1; exec "$0"' <executable>": the path is an argument, never part of the text.
    static Command relaunchCommand(const QString &executable);

    // The executable as it was at start: once the package has replaced it, /proc/self/exe
    // names a deleted file.
    static void captureExecutablePath();
    static QString executablePath();
    static void setExecutablePathForTesting(const QString &path);

    bool isRunning() const { return m_running || m_preparing; }

    // Runs the script with the installer, database and name; logs "执行 <script>" and the script's
    // output; after a successful exit schedules the relaunch when `relaunchTarget` still lives.
    // `done` runs exactly once, from the event loop.
    void runInstallScript(const std::optional<QString> &scriptPath, Log log, QPointer<QObject> relaunchTarget,
                          Done done = {});
    // Starts the delayed reopen, then asks the application to quit. No quit when the reopen
    // cannot start: the user would be left with no program at all.
    void relaunch();

    // Seams for tests: what turns the desktop proxy off first (default: the helper, bounded
    // wait), how a detached process is started, and how the application quits.
    using StopProxy = std::function<void(std::function<void()> then)>;
    using RestoreProxy = std::function<void()>;
    using StartDetached = std::function<bool(const Command &)>;
    void setStopProxy(StopProxy stopProxy) { m_stopProxy = std::move(stopProxy); }
    // What puts the desktop proxy back after an install that failed once it had been turned off.
    void setRestoreProxy(RestoreProxy restoreProxy) { m_restoreProxy = std::move(restoreProxy); }

    // Exit statuses of the bundle's script for a package it refused: not a package of this
    // client (4), or one dpkg could not install (5). Such an installer is deleted.
    static bool refusedPackage(int exitCode) { return exitCode == 4 || exitCode == 5; }
    void setStartDetached(StartDetached start) { m_startDetached = std::move(start); }
    void setQuit(std::function<void()> quit) { m_quit = std::move(quit); }
    // Not owned; null: PrivilegedRunner::standard().
    void setRunner(PrivilegedRunner *runner) { m_runner = runner; }

Q_SIGNALS:
    void installFailed(const QString &message);
    void relaunchStarted();

private:
    void startScript(const QString &script, PrivilegedRunner::Elevation elevation, Log log,
                     QPointer<QObject> relaunchTarget, Done done);
    void finishScript(const PrivilegedRunner::Status &status, const QString &script, const Log &log,
                      QPointer<QObject> relaunchTarget, const Done &done);
    void fail(Result result, const Done &done);
    // The proxy this install turned off goes back: every ending but the program quitting.
    void restoreProxyIfTurnedOff();
    static void answer(QObject *context, const Done &done, const Result &result);

    std::optional<QString> m_scriptOverride;
    bool m_overrideSet = false;
    Elevation m_overrideElevation = Elevation::Never;
    bool m_running = false;
    bool m_preparing = false;
    bool m_proxyTurnedOff = false;
    PrivilegedRunner *m_runner = nullptr;
    StopProxy m_stopProxy;
    RestoreProxy m_restoreProxy;
    StartDetached m_startDetached;
    std::function<void()> m_quit;
};

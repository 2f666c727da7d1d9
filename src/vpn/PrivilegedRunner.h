#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Runs one of the bundle's fixed install scripts with administrator rights: "pkexec /bin/bash
// <script> <arguments>" (the desktop's polkit agent asks for the password), or "/bin/bash <script>
// <arguments>" directly when the program already runs as root. Always an argument list, never a
// shell line. The engine installs, the helper install and the upgrade install all go through it;
// tests override execute() with a recorder.
//
// A script that root would run must not be changeable by anyone but root: the script, its folder
// (which also holds the engines the script installs) and every folder above must be owned by root
// and writable by nobody else (above the script's folder, a sticky folder such as /tmp is
// accepted), otherwise the run is refused: a process of the user could otherwise swap the script
// or the tree it sits in while the password prompt shows. The checked file is the one run, never
// a link that could be turned elsewhere between the check and the start.
class PrivilegedRunner
{
public:
    // `detail`: on success the script's output (for the log), else why it failed.
    using Done = std::function<void(bool ok, const QString &detail)>;

    // Auto: through pkexec, or directly when we are root. None: as the user we are, for the
    // demo's harmless stand-in scripts that must not raise a password prompt.
    enum class Elevation { Auto, None };

    // The whole story of one run, for callers that tell the user more than "failed".
    struct Status
    {
        enum class Kind { Exited, Crashed, FailedToStart, Refused };
        Kind kind = Kind::FailedToStart;
        int exitCode = -1;
        bool elevated = false;   // ran through pkexec, whose own codes 126/127 mean "not authorised"
        QByteArray output;       // standard output and error as written, undecoded
        QString reason;          // why it did not run or did not succeed, for the log
        bool ok() const { return kind == Kind::Exited && exitCode == 0; }
    };
    using StatusDone = std::function<void(const Status &status)>;

    struct Command
    {
        QString program;
        QStringList arguments;
    };

    virtual ~PrivilegedRunner();

    // The runner of the program (pkexec, or directly as root). Lives as long as the process.
    static PrivilegedRunner &standard();

    // `done` runs exactly once, later from the event loop of `context`'s thread (the
    // application's when `context` is null), and not at all when `context` is destroyed first;
    // the script's process goes with it then.
    void runScript(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done);
    // The same, with the whole status and a choice of elevation; the same answering rules.
    void runScript(const QString &scriptPath, const QStringList &arguments, Elevation elevation, QObject *context,
                   StatusDone done);

    // What is started for `script` (already resolved): "pkexec /bin/bash <script> <arguments>"
    // when `elevate`, else "/bin/bash <script> <arguments>".
    static Command command(const QString &script, const QStringList &arguments, bool elevate);
    // Whether a run with `elevation` asks pkexec: not when we are root already.
    static bool elevates(Elevation elevation);
    // Whether a run with `elevation` runs as root (elevated, or we are root already).
    static bool runsAsRoot(Elevation elevation);

    // Empty when root may run the script; the reason otherwise.
    static QString scriptRefusal(const QString &scriptPath);

protected:
    // Does the work; may call `done` at once, runScript() delivers it later either way.
    virtual void execute(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done);
    virtual void executeForStatus(const QString &scriptPath, const QStringList &arguments, Elevation elevation,
                                  QObject *context, StatusDone done);
};

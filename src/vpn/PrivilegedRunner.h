#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Runs one of the bundle's fixed install scripts with administrator rights: "pkexec /bin/bash
// <script> <arguments>" (the desktop's polkit agent asks for the password), or "/bin/bash <script>
// <arguments>" directly when the program already runs as root. Always an argument list, never a
// shell line. The engine installs and the helper install both go through it; tests override
// execute() with a recorder.
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

    virtual ~PrivilegedRunner();

    // The runner of the program (pkexec, or directly as root). Lives as long as the process.
    static PrivilegedRunner &standard();

    // `done` runs exactly once, later from the event loop of `context`'s thread (the
    // application's when `context` is null), and not at all when `context` is destroyed first;
    // the script's process goes with it then.
    void runScript(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done);

    // Empty when root may run the script; the reason otherwise.
    static QString scriptRefusal(const QString &scriptPath);

protected:
    // Does the work; may call `done` at once, runScript() delivers it later either way.
    virtual void execute(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done);
};

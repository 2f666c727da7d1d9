#pragma once

#include <QString>
#include <QStringList>

// Our own crash reporter. On a fatal signal (SIGSEGV, SIGABRT, SIGBUS, SIGILL, SIGFPE) the handler
// writes a short report (signal, process, time, version, backtrace) into an owner-only file in the
// report folder, then puts the default action back and raises the signal again, so the process
// still ends by that signal: the session, a debugger and a core dump see the crash as a crash.
//
// The handler only uses calls that are safe in a signal handler, on a stack of its own (a stack
// overflow still gets a report); everything it needs is prepared by start().
class CrashReporter
{
public:
    // <data folder>/crashes
    static QString defaultFolder();

    // Installs the handlers; answers false when the folder cannot be made. Calling it again
    // points the reports at the new folder.
    static bool start(const QString &folder = defaultFolder());

    // Reports left by earlier runs, oldest first.
    static QStringList reports(const QString &folder = defaultFolder());

    static constexpr const char *kFilePrefix = "crash-";

private:
    CrashReporter() = delete;
};

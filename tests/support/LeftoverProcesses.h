#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

// What a test program leaves running. The program makes itself the reaper of everything it
// starts, so a process started detached (with a double fork, as the client starts its helper)
// stays its descendant instead of passing to init; at exit, once the application object is gone,
// whatever still runs is named and ended, so no test leaves a process behind on the machine or
// keeps ctest's output open.
class LeftoverProcesses
{
public:
    struct Process
    {
        pid_t pid = 0;
        QString command;
    };

    // First thing in main, before anything is started.
    static bool adoptDescendants();

    // Descendants of this process that still run, and any other process whose HOME is `profile`.
    static QList<Process> running(const QByteArray &profile);

    // Waits up to `graceMs` for them to end on their own (reaping those that did), then names the
    // ones still running on stderr, kills them and returns how many there were.
    static int endAndReport(const QByteArray &profile, int graceMs);
};

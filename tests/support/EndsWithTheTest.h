#pragma once

#include <QProcess>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

// A process a test starts ends with the test program however the program ends (an abort, a
// crash, SIGKILL): the kernel kills it when the thread that started it ends, so start it from the
// program's main thread. What it starts in turn is the warden's (LeftoverWarden).
inline void endsWithTheTest(QProcess &process)
{
    const pid_t program = ::getpid();
    process.setChildProcessModifier([program] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The program may have ended before the signal was asked for.
        if (::getppid() != program)
            ::raise(SIGKILL);
    });
}

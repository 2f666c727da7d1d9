// ostrel-engine-guard GRACE_MS PROGRAM [ARGUMENT...]
//
// Runs one engine for the client and keeps it from outliving the client. The client starts the
// guard with a parent-death signal (SIGTERM). The kernel keeps that setting across the guard's
// start, but drops it when a program with file capabilities starts, and the installed engines
// have them (TUN, port 53). So the guard stays in between: on SIGTERM, SIGINT or SIGHUP (a stop,
// or the client is gone) it passes SIGTERM to the engine's process group and, GRACE_MS later,
// SIGKILL. It ends with the engine's own exit status, so the client hears how the engine ended.
// Plain POSIX, no Qt: it must start fast and hold nothing but the engine.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/prctl.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int usage()
{
    std::fputs("usage: ostrel-engine-guard GRACE_MS PROGRAM [ARGUMENT...]\n", stderr);
    return 2;
}

void armKillTimer(long graceMs)
{
    itimerval timer {};
    timer.it_value.tv_sec = graceMs / 1000;
    timer.it_value.tv_usec = (graceMs % 1000) * 1000;
    if (graceMs == 0)
        timer.it_value.tv_usec = 1;
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

// Ends the guard the way the engine ended: the same exit code, or death by the same signal for
// the signals a stop sends (others become SIGKILL, so the guard leaves no core file).
int endLikeTheEngine(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (!WIFSIGNALED(status))
        return 1;
    int signal = WTERMSIG(status);
    if (signal != SIGTERM && signal != SIGINT && signal != SIGHUP)
        signal = SIGKILL;
    std::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    sigprocmask(SIG_UNBLOCK, &one, nullptr);
    ::raise(signal);
    return 128 + signal;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    char *end = nullptr;
    errno = 0;
    const long graceMs = std::strtol(argv[1], &end, 10);
    if (errno != 0 || end == argv[1] || *end != '\0' || graceMs < 0 || graceMs > 600000)
        return usage();

    sigset_t watched;
    sigset_t previous;
    sigemptyset(&watched);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGALRM})
        sigaddset(&watched, signal);
    sigprocmask(SIG_BLOCK, &watched, &previous);
    // Normally set by the client already; kept for a guard started some other way.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    const pid_t engine = ::fork();
    if (engine < 0) {
        std::fprintf(stderr, "ostrel-engine-guard: fork: %s\n", std::strerror(errno));
        return 126;
    }
    if (engine == 0) {
        // Its own process group, so a stop reaches whatever the engine starts in turn. Outside
        // the terminal's foreground group, a write to a terminal set to "tostop" would stop it.
        ::setpgid(0, 0);
        std::signal(SIGTTOU, SIG_IGN);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        ::execv(argv[2], argv + 2);
        std::fprintf(stderr, "ostrel-engine-guard: cannot run %s: %s\n", argv[2], std::strerror(errno));
        ::_exit(127);
    }
    ::setpgid(engine, engine);

    bool stopping = false;
    for (;;) {
        int signal = 0;
        if (sigwait(&watched, &signal) != 0)
            continue;
        if (signal == SIGCHLD) {
            siginfo_t info {};
            if (::waitid(P_PID, id_t(engine), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != engine)
                continue;
            // Helpers the engine leaves behind in its group go with it; the group's id cannot be
            // taken by anyone else while the engine is not yet reaped.
            ::kill(-engine, SIGTERM);
            int status = 0;
            ::waitpid(engine, &status, 0);
            return endLikeTheEngine(status);
        }
        if (signal == SIGALRM) {
            ::kill(-engine, SIGKILL);
            continue;
        }
        ::kill(-engine, SIGTERM);
        if (!stopping) {
            stopping = true;
            armKillTimer(graceMs);
        }
    }
}

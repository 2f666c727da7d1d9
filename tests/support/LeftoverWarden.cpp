#include "support/LeftoverWarden.h"

#include "support/ProcScan.h"
#include "support/TestEnvironment.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <ftw.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// The warden runs in a fork of a program that may have had threads: it keeps to system calls and
// the C library (ProcScan), and touches nothing of Qt's.
namespace {

pid_t g_warden = 0;

// A warden's name, so that the warden of a test program that a test started (the client of a
// killed-client case) can be told from what it watches.
constexpr char kWardenName[] = "ostrel-warden";

// How many rounds of the sweep leave other wardens to finish their own: the one whose program
// was just killed removes that program's run folder, which may lie apart from this run's (a
// nested run's folder sits in the system's temporary folder when this run's is too deep).
constexpr int kRoundsForOtherWardens = 150;

bool isWarden(pid_t pid)
{
    return ProcScan::read(pid, "comm") == std::string(kWardenName) + '\n';
}

// Kills every process started with one of the run's marks (SIGKILL ends a stopped one too), but
// for other wardens while `spareWardens`; true when there was one.
bool endTheRuns(const std::vector<std::string> &marks, std::vector<pid_t> *ended, bool spareWardens)
{
    bool found = false;
    for (const pid_t pid : ProcScan::processes()) {
        if (pid == ::getpid() || !ProcScan::startedWithin(pid, marks))
            continue;
        found = true;
        if (spareWardens && isWarden(pid))
            continue;
        if (std::find(ended->begin(), ended->end(), pid) == ended->end()) {
            ended->push_back(pid);
            std::fprintf(stderr, "LEFTOVER PROCESS: pid %d outlived its test program: %s\n", int(pid),
                         ProcScan::command(pid).c_str());
        }
        ::kill(pid, SIGKILL);
    }
    return found;
}

int removeEntry(const char *path, const struct stat *, int, FTW *)
{
    ::remove(path);
    return 0;
}

// xvfb-run's folder of the display's authority file, which it leaves when it is killed.
void removeDisplayFolder(const std::string &authority)
{
    const std::string folder = authority.substr(0, authority.rfind('/'));
    if (folder.substr(folder.rfind('/') + 1).rfind("xvfb-run.", 0) == 0)
        ::nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// The X server outlives the program when xvfb-run itself was killed. It is looked up just before
// it is signalled, so that the pid cannot have passed to another process meanwhile.
void endTheDisplay(const std::string &display, const std::string &authority)
{
    const pid_t server = display.empty() ? 0 : ProcScan::displayServer(display, authority);
    if (server <= 0)
        return;
    ::kill(server, SIGTERM);
    removeDisplayFolder(authority);
}

void sweep(const std::string &runFolder, const std::vector<std::string> &marks, const std::string &display,
           const std::string &authority)
{
    std::vector<pid_t> ended;
    // What is killed may have started another process meanwhile; what is being killed still shows.
    for (int round = 0; round < 250 && endTheRuns(marks, &ended, round < kRoundsForOtherWardens); ++round) {
        const timespec step{0, 20 * 1000 * 1000};
        ::nanosleep(&step, nullptr);
    }
    endTheDisplay(display, authority);
    ::nftw(runFolder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

[[noreturn]] void watch(pid_t program, const std::string &runFolder, const std::vector<std::string> &marks,
                        const std::string &display, const std::string &authority)
{
    ::prctl(PR_SET_NAME, kWardenName);
    // Nothing of the program's is the warden's to hold open but the streams it reports on.
    for (int fd = 3; fd < 1024; ++fd)
        ::close(fd);
    // Signals for the program's process group (an interrupt at the terminal) end the program, and
    // the warden then does its work.
    sigset_t all;
    ::sigfillset(&all);
    ::sigprocmask(SIG_SETMASK, &all, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGUSR1);
    sigset_t programEnded;
    ::sigemptyset(&programEnded);
    ::sigaddset(&programEnded, SIGUSR1);
    const timespec poll{1, 0};
    while (::getppid() == program)
        ::sigtimedwait(&programEnded, nullptr, &poll);
    sweep(runFolder, marks, display, authority);
    ::_exit(0);
}

} // namespace

bool LeftoverWarden::wanted()
{
    return qEnvironmentVariable("OSTREL_TEST_NO_WARDEN") != QLatin1String("1");
}

bool LeftoverWarden::start(const std::string &runFolder, const std::vector<std::string> &marks)
{
    if (!wanted())
        return true;
    const bool ownDisplay = TestEnvironment::underOwnDisplay();
    const std::string display = ownDisplay ? qgetenv("DISPLAY").toStdString() : std::string();
    const std::string authority = ownDisplay ? qgetenv("XAUTHORITY").toStdString() : std::string();
    const pid_t program = ::getpid();
    std::fflush(nullptr);
    const pid_t warden = ::fork();
    if (warden == 0)
        watch(program, runFolder, marks, display, authority);
    if (warden < 0)
        return false;
    g_warden = warden;
    return true;
}

void LeftoverWarden::stop()
{
    if (g_warden <= 0)
        return;
    // Only while it is still this program's unreaped child can its pid not name another process.
    if (::waitpid(g_warden, nullptr, WNOHANG) == 0) {
        ::kill(g_warden, SIGKILL);
        while (::waitpid(g_warden, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    g_warden = 0;
}

#include "support/LeftoverWarden.h"

#include "support/TestEnvironment.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// The warden runs in a fork of a program that may have had threads: it keeps to system calls and
// the C library, and touches nothing of Qt's.
namespace {

pid_t g_warden = 0;

std::string readFile(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, size_t(got));
    }
    ::close(fd);
    return text;
}

// Whether the process was started with HOME set to the profile.
bool underProfile(pid_t pid, const std::string &home)
{
    const std::string environment = '\0' + readFile("/proc/" + std::to_string(pid) + "/environ");
    return environment.find('\0' + home + '\0') != std::string::npos;
}

std::string commandOf(pid_t pid)
{
    std::string command = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    std::replace(command.begin(), command.end(), '\0', ' ');
    return command;
}

// Kills every process started under the profile's HOME; true when there was one.
bool endUnderProfile(const std::string &home, std::vector<pid_t> *ended)
{
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == ::getpid() || !underProfile(pid_t(pid), home))
            continue;
        found = true;
        if (std::find(ended->begin(), ended->end(), pid_t(pid)) == ended->end()) {
            ended->push_back(pid_t(pid));
            std::fprintf(stderr, "LEFTOVER PROCESS: pid %ld outlived its test program: %s\n", pid, commandOf(pid_t(pid)).c_str());
        }
        ::kill(pid_t(pid), SIGKILL);
    }
    ::closedir(proc);
    return found;
}

// The X server of the program's own display (xvfb-run's Xvfb, which its lock file names): it
// outlives the program when xvfb-run itself was killed.
pid_t ownDisplayServer(const std::string &display)
{
    const size_t colon = display.find(':');
    if (colon == std::string::npos)
        return 0;
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    const pid_t server = pid_t(std::atol(readFile("/tmp/.X" + number + "-lock").c_str()));
    return server > 0 && readFile("/proc/" + std::to_string(server) + "/comm") == "Xvfb\n" ? server : 0;
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

void sweep(const std::string &profile, const std::string &display, const std::string &authority)
{
    const pid_t server = display.empty() ? 0 : ownDisplayServer(display);
    std::vector<pid_t> ended;
    // What is killed may have started another process meanwhile; what is being killed still shows.
    for (int round = 0; round < 250 && endUnderProfile("HOME=" + profile, &ended); ++round) {
        const timespec step{0, 20 * 1000 * 1000};
        ::nanosleep(&step, nullptr);
    }
    if (server > 0) {
        ::kill(server, SIGTERM);
        removeDisplayFolder(authority);
    }
    ::nftw(profile.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

[[noreturn]] void watch(pid_t program, const std::string &profile, const std::string &display, const std::string &authority)
{
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
    sweep(profile, display, authority);
    ::_exit(0);
}

} // namespace

bool LeftoverWarden::start(const QByteArray &profile)
{
    if (qEnvironmentVariable("OSTREL_TEST_NO_WARDEN") == QLatin1String("1"))
        return true;
    const std::string folder = profile.toStdString();
    const bool ownDisplay = TestEnvironment::underOwnDisplay();
    const std::string display = ownDisplay ? qgetenv("DISPLAY").toStdString() : std::string();
    const std::string authority = ownDisplay ? qgetenv("XAUTHORITY").toStdString() : std::string();
    const pid_t program = ::getpid();
    std::fflush(nullptr);
    const pid_t warden = ::fork();
    if (warden == 0)
        watch(program, folder, display, authority);
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

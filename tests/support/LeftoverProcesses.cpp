#include "LeftoverProcesses.h"

#include "ProcScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unordered_map>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Table = std::unordered_map<pid_t, ProcScan::Stat>;

// The longest a killed process is waited for to be gone, as the warden waits (SIGKILL is acted on
// at once, but only once the process is scheduled).
constexpr int kKilledEndBoundMs = 5000;

Table processTable()
{
    Table table;
    ProcScan::Stat stat;
    for (const pid_t pid : ProcScan::processes()) {
        if (ProcScan::statOf(pid, &stat))
            table.emplace(pid, stat);
    }
    return table;
}

bool descendsFrom(pid_t pid, pid_t ancestor, const Table &table)
{
    // A loop in a table read while processes come and go ends at the bound.
    for (size_t step = 0; pid > 1 && step < table.size(); ++step) {
        const auto at = table.find(pid);
        if (at == table.end())
            return false;
        if (at->second.parent == ancestor)
            return true;
        pid = at->second.parent;
    }
    return false;
}

// Our own children that ended wait for us to take their status; nobody else will.
void reapEnded()
{
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

bool webEngineProcess(const std::string &command)
{
    return command.find("QtWebEngineProcess") != std::string::npos;
}

// The web engine's zygotes are forked by the engine in this process and end when this process
// does (they wait on their channel to it); nothing can end them sooner. What they start (a
// renderer of a page that was never freed) still counts.
bool endsWithThisProcess(pid_t pid, const ProcScan::Stat &stat, pid_t self)
{
    const std::string command = stat.parent == self ? ProcScan::command(pid) : std::string();
    return webEngineProcess(command) && command.find("--type=zygote") != std::string::npos;
}

// Waits, reaping, until none of `processes` runs or the time is `deadline`; answers those still
// running then.
std::vector<LeftoverProcesses::Process> awaitEnd(std::vector<LeftoverProcesses::Process> processes,
                                                 std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        reapEnded();
        std::erase_if(processes,
                      [](const LeftoverProcesses::Process &process) { return !ProcScan::alive(process.pid); });
        if (processes.empty() || std::chrono::steady_clock::now() >= deadline)
            return processes;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

bool LeftoverProcesses::adoptDescendants()
{
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
}

std::vector<LeftoverProcesses::Process> LeftoverProcesses::running(const std::vector<std::string> &marks)
{
    const pid_t self = ::getpid();
    const Table table = processTable();
    std::vector<Process> found;
    for (const auto &[pid, stat] : table) {
        if (pid == self || stat.state == 'Z' || stat.state == 'X' || endsWithThisProcess(pid, stat, self))
            continue;
        if (descendsFrom(pid, self, table) || ProcScan::startedWithin(pid, marks))
            found.push_back(Process{pid, ProcScan::command(pid)});
    }
    return found;
}

bool LeftoverProcesses::startedChromium()
{
    const pid_t self = ::getpid();
    const Table table = processTable();
    return std::any_of(table.cbegin(), table.cend(),
                       [self](const auto &entry) { return endsWithThisProcess(entry.first, entry.second, self); });
}

int LeftoverProcesses::endAndReport(const std::vector<std::string> &marks, int boundMs)
{
    // Whatever still runs gets the bound to end: a daemon acting on the end signal a test sent it
    // (a helper putting settings back) shows nothing of its ending until it is gone, and a web
    // engine process follows its browser. A process that was never told to end takes the whole
    // bound to be named, a price paid only by a program that leaves one.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    std::vector<Process> left;
    for (;;) {
        reapEnded();
        left = running(marks);
        if (left.empty() || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (const Process &process : left) {
        std::fprintf(stderr, "LEFTOVER PROCESS: pid %d still runs after the tests: %s\n", int(process.pid),
                     process.command.c_str());
        ::kill(process.pid, SIGKILL);
    }
    // Gone, not only told: the program's end is where nothing it started runs any more.
    awaitEnd(left, std::chrono::steady_clock::now() + std::chrono::milliseconds(kKilledEndBoundMs));
    return int(left.size());
}

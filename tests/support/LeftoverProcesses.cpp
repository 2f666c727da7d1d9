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

// The kernel's mark of a process that is ending (PF_EXITING).
constexpr unsigned long long kExiting = 0x4;

// Signals whose default action leaves a process running (SIGCHLD, SIGCONT, SIGSTOP, SIGTSTP,
// SIGTTIN, SIGTTOU, SIGURG, SIGWINCH), as bits of /proc/<pid>/status (signal n is bit n - 1).
constexpr unsigned long long kHarmlessByDefault = (1ull << 16) | (1ull << 17) | (1ull << 18) | (1ull << 19)
                                                  | (1ull << 20) | (1ull << 21) | (1ull << 22) | (1ull << 27);

// Whether a signal waits for the process that it will act on: one that ends it, or one it
// handles (as a daemon handles SIGTERM, to end in its own time).
bool actsOnAPendingSignal(pid_t pid)
{
    const std::string status = ProcScan::read(pid, "status");
    if (status.empty())
        return false;
    const auto mask = [&status](const char *name) { return ProcScan::statusMask(status, name); };
    const unsigned long long pending = (mask("SigPnd") | mask("ShdPnd")) & ~mask("SigBlk") & ~mask("SigIgn");
    return (pending & (mask("SigCgt") | ~kHarmlessByDefault)) != 0;
}

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

// A process on its way out: gone or ending already, acting on a signal, or a web engine process,
// which follows its browser (this process's engine, gone with the application object).
bool onItsWayOut(const LeftoverProcesses::Process &process)
{
    if (webEngineProcess(process.command))
        return true;
    ProcScan::Stat stat;
    if (!ProcScan::statOf(process.pid, &stat) || stat.state == 'Z' || (stat.flags & kExiting))
        return true;
    return actsOnAPendingSignal(process.pid);
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    std::vector<Process> left;
    // A process that took its end signal shows neither the signal nor its ending for a moment:
    // one is named only when seen not on its way out twice.
    bool settledBefore = false;
    for (;;) {
        reapEnded();
        left = running(marks);
        const bool settled = std::none_of(left.cbegin(), left.cend(), onItsWayOut);
        if (left.empty() || (settled && settledBefore) || std::chrono::steady_clock::now() >= deadline)
            break;
        settledBefore = settled;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (const Process &process : left) {
        std::fprintf(stderr, "LEFTOVER PROCESS: pid %d still runs after the tests: %s\n", int(process.pid),
                     process.command.c_str());
        ::kill(process.pid, SIGKILL);
    }
    reapEnded();
    return int(left.size());
}

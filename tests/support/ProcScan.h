#pragma once

#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

// What the tests and their support read of other processes in /proc: the entry (the run's marker,
// what is left at the program's end, the warden for when it dies first), a web-view program that
// runs itself again under a display of its own, the waits for a process to end or stop, and the
// tests that check what a process runs, holds open or was started with. The warden runs in a fork
// of a program that may have had threads, so these keep to the C library and std::string, nothing
// of Qt's.
namespace ProcScan {

struct Stat
{
    char state = '?';
    pid_t parent = 0;
    // Clock ticks after boot: with the pid, names a process that a reused pid does not.
    unsigned long long start = 0;
};

// /proc/<pid>/<name> whole; empty when it cannot be read (the process is gone, or not ours).
std::string read(pid_t pid, const char *name);
// Where the link /proc/<pid>/<name> ("exe", "cwd", "fd/3") points; empty when it cannot be read
// (the process is gone, a zombie, or not ours).
std::string link(pid_t pid, const char *name);
std::vector<pid_t> processes();
bool statOf(pid_t pid, Stat *into);
// Its state letter ('R', 'S', 'T' when stopped, 'Z'...); '?' when it cannot be read.
char state(pid_t pid);
// A zombie, which only waits for its parent to take its status, does not count.
bool alive(pid_t pid);
// The processes it started that have not been reaped yet, whichever of its threads started them.
std::vector<pid_t> children(pid_t pid);
std::vector<std::string> arguments(pid_t pid);
// The arguments joined by spaces, as a report names the process.
std::string command(pid_t pid);
// Whether its command is `wanted` ("sleep 42"), its program named by any path.
bool runs(pid_t pid, const std::string &wanted);
// The descriptors the process holds, in order, each with what it points at ("/path",
// "pipe:[inode]", ...).
std::vector<std::pair<int, std::string>> descriptors(pid_t pid);

// Whether the process was started with one of `assignments` ("NAME=value") or with NAME naming
// something inside one ("NAME=value/..."): a HOME inside the run's folder, the marker of a run
// within a run.
bool startedWithin(pid_t pid, const std::vector<std::string> &assignments);

// The mask of that name (e.g. "SigIgn") in the text of /proc/<pid>/status; all bits when it has none.
unsigned long long statusMask(const std::string &status, const char *name);

// The X server that xvfb-run started for `display` (":<n>") with the authority file it made; 0
// when none runs. A server of another program that took the number since has a file of its own.
pid_t displayServer(const std::string &display, const std::string &authority);

} // namespace ProcScan

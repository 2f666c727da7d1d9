#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// What a test program leaves running. The program makes itself the reaper of everything it
// starts, so a process started detached (with a double fork, as the client starts its helper)
// stays its descendant instead of passing to init; at exit, once the application object is gone,
// whatever still runs is given a while to end, and what runs after that is named and killed, so
// no test leaves a process behind on the machine or keeps ctest's output open.
class LeftoverProcesses
{
public:
    struct Process
    {
        pid_t pid = 0;
        std::string command;
    };

    // First thing in main, before anything is started.
    static bool adoptDescendants();

    // Descendants of this process that still run, and any other process started with one of the
    // run's `marks` (see TestEnvironment::markTheRun).
    static std::vector<Process> running(const std::vector<std::string> &marks);

    // Whether the program started Chromium (its zygotes run as the program's children until the
    // program ends).
    static bool startedChromium();

    // Waits until none of them runs, for at most `boundMs`, reaping those that ended; then names
    // the ones still running on stderr, kills them, waits until they are gone, and returns how
    // many there were.
    static int endAndReport(const std::vector<std::string> &marks, int boundMs);
};

#pragma once

#include <string>
#include <vector>

// What a test program started must end with it even when the program never reaches its own end
// (LeftoverProcesses): an abort, a crash, SIGKILL by hand or from ctest's time-out. The kernel ends
// the children a test ties to the program (endsWithTheTest), but not what they or the client
// start in turn (the helper the client starts detached, the engines, Chromium's processes), nor
// a client a test starts as a plain process: those would pass to init and run on. So the entry
// starts a warden first, a child process that waits for the program's end; if the program ends
// without stopping it, the warden kills every process started with one of the run's marks (the
// run's marker, inherited whatever HOME a test gives a process, or a HOME inside the run's folder;
// see TestEnvironment::markTheRun), stopped or not, and the X server of the program's own display,
// and removes the run's folder (the profile and the tests' temporary folder) and xvfb-run's folder.
class LeftoverWarden
{
public:
    // Before anything else is started. False when no warden could be started. A test program a
    // test starts in order to kill it, to see what the client's own code ends with it, is started
    // with OSTREL_TEST_NO_WARDEN=1: it gets none, and answers true.
    static bool start(const std::string &runFolder, const std::vector<std::string> &marks);

    // Whether start() gives the program a warden (not under OSTREL_TEST_NO_WARDEN=1).
    static bool wanted();

    // At the program's own end, before it looks for what the tests left: the warden goes.
    static void stop();
};

#pragma once

// Nothing in the client calls this yet (AppDelegate starts CrashReporter); kept as its entry.
// Fatal-signal handling for the client. A crash is reported and still ends the process by its
// signal: turning it into a clean exit would hide it from the session, the user and the next run.
class OOSigActionTool
{
public:
    // Installs the crash reporter's handlers, reports into the data folder.
    static bool RegisterSigAction();

private:
    OOSigActionTool() = delete;
};

#pragma once

#include <QString>

class PrivilegedRunner;

// Where the engines live and how they get there: the root-owned engine folder, the bundle's
// install scripts, the processor, and the runner that executes a script as root. The program
// uses standard(); tests swap it (or pass their own to a controller) so no test needs root,
// a password prompt or the real engine folder.
struct EngineSetup
{
    QString engineFolder;                // the installed engines ("/opt/Ostrel_mac_Pelmorath")
    QString scriptFolder;                // the bundle's install scripts
    QString shippedVersionsFile;         // {"sslocal": "x.y.z", "sing-box": "x.y.z"} of the bundle
    QString machine;                     // the kernel's machine name ("x86_64", "aarch64", ...)
    PrivilegedRunner *runner = nullptr;  // not owned; lives as long as the process

    static QString defaultEngineFolder();
    static EngineSetup standard();
    // Replaces what standard() returns, until resetStandard().
    static void setStandardForTesting(const EngineSetup &setup);
    static void resetStandard();
};

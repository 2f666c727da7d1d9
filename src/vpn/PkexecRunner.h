#pragma once

#include "vpn/PrivilegedRunner.h"

// The production runner: "pkexec /bin/bash <script>" (the desktop's polkit agent asks for the
// administrator password), or "/bin/bash <script>" directly when the program already runs as
// root. Always an argument list, never a shell string.
//
// A script that root would run must not be changeable by anyone but root: the script, its folder
// (which also holds the engines the script installs) and every folder above must be owned by root
// and writable by nobody else (above the script's folder, a sticky folder such as /tmp is
// accepted), otherwise the run is refused: a process of the user could otherwise swap the script
// or the tree it sits in while the password prompt shows.
class PkexecRunner : public PrivilegedRunner
{
public:
    void runScript(const QString &scriptPath, QObject *guard, Done done) override;

    // Empty when root may run the script; the reason otherwise.
    static QString scriptRefusal(const QString &scriptPath);
};

#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Runs one of the bundle's fixed install scripts with administrator rights. The production
// runner asks through pkexec; tests put in a recorder.
class PrivilegedRunner
{
public:
    using Done = std::function<void(bool ok, const QString &error)>;

    virtual ~PrivilegedRunner();
    // Runs "/bin/bash <scriptPath>" as root. `done` runs exactly once, on the caller's thread,
    // unless `guard` is destroyed first.
    virtual void runScript(const QString &scriptPath, QObject *guard, Done done) = 0;
};

#pragma once

#include "vpn/EngineArchitecture.h"
#include "vpn/EngineSetup.h"

#include <QObject>
#include <QString>

#include <functional>

// Installs one engine into the root-owned engine folder through the bundle's install script,
// when it is missing or its installed version differs from the one the bundle ships.
//
// Versions compare as numbers ("1.10.0" is newer than "1.9.9"); the installed version is stored
// under the engine's defaults key after each successful install, so a program update that ships
// a new engine installs it once.
class EngineInstaller
{
public:
    enum class Engine { SSLocal, SingBox };
    enum class Outcome { Ready, UnknownArchitecture, InstallFailed };
    using Done = std::function<void(Outcome outcome, const QString &error)>;

    EngineInstaller(Engine engine, const EngineSetup &setup);

    EngineArchitecture architecture() const { return m_architecture; }
    QString getCurrentArchitecture() const;   // "ARM", "Intel 64-bit", "Intel 32-bit" or empty
    QString getCurrentProgressName() const;   // the engine file name, empty when unknown
    QString getShellFileName() const;         // the install script name without ".sh"
    QString enginePath() const;
    QString scriptPath() const;
    QString versionKey() const;
    QString shippedVersion() const;
    bool isVersionOk() const;
    bool isEngineUsable() const;              // a regular, executable file at enginePath()

    // Calls `done` exactly once, later from the event loop (also when nothing needs doing), and
    // not at all when `guard` goes first.
    void ensureInstalled(QObject *guard, Done done) const;

    // -1, 0 or 1 by numeric version order; a text that is no version sorts lowest.
    static int compareVersions(const QString &a, const QString &b);

private:
    Engine m_engine;
    EngineSetup m_setup;
    EngineArchitecture m_architecture;
};

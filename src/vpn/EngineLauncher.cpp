#include "vpn/EngineLauncher.h"

#include "common/GuiThread.h"
#include "vpn/EngineRecord.h"

#include <QPointer>

#include <utility>

EngineLauncher::EngineLauncher(EngineInstaller::Engine engine, const EngineSetup &setup, QObject *parent)
    : QObject(parent)
    , m_installer(engine, setup)
    , m_engine(new EngineProcess(this))
{
    connect(m_engine, &EngineProcess::started, this, &EngineLauncher::started);
    // The last words of an engine being replaced belong to the old start, not the new one.
    connect(m_engine, &EngineProcess::lineRead, this, [this](const QString &line) {
        if (!m_replacing)
            Q_EMIT lineRead(line);
    });
    connect(m_engine, &EngineProcess::failedToStart, this, [this](const QString &error) {
        Q_EMIT failed(LaunchFailed, error);
    });
    connect(m_engine, &EngineProcess::finished, this, [this](int exitCode, bool crashed) {
        if (!m_replacing)
            Q_EMIT finished(exitCode, crashed);
    });
}

// A running engine is left to end in the background (EngineProcess's destructor); nothing waits.
EngineLauncher::~EngineLauncher() = default;

void EngineLauncher::install(std::function<void(bool ok)> done)
{
    m_installing = true;
    QPointer<EngineLauncher> self(this);
    m_installer.ensureInstalled(this, [self, done](EngineInstaller::Outcome outcome, const QString &) {
        if (!self)
            return;
        self->m_installing = false;
        if (done)
            done(outcome == EngineInstaller::Outcome::Ready);
    });
}

void EngineLauncher::launch(const QStringList &arguments, const QString &workingFolder,
                            EngineProcess::ErrorOutput errorOutput)
{
    m_arguments = arguments;
    m_workingFolder = workingFolder;
    m_errorOutput = errorOutput;
    m_launchPending = true;
    m_stopRequested = false;
    const quint64 launch = ++m_launch;
    if (!m_engine->isRunning()) {
        installThenStart(launch);
        return;
    }
    // The old engine holds the port and the old session: it goes first, waited for in the event
    // loop, and its last words and its end are not this launch's.
    m_replacing = true;
    QPointer<EngineLauncher> self(this);
    m_engine->stop(m_stopGraceMs, [self, launch] {
        // A newer launch waits for the same end and goes on from there.
        if (!self || self->m_launch != launch)
            return;
        self->m_replacing = false;
        if (std::exchange(self->m_stopRequested, false)) {
            self->m_launchPending = false;
            Q_EMIT self->failed(ExitedBeforeStart, QStringLiteral("stopped before the engine was started"));
            return;
        }
        self->installThenStart(launch);
    });
}

void EngineLauncher::installThenStart(quint64 launch)
{
    m_installing = true;
    QPointer<EngineLauncher> self(this);
    auto install = [self, launch] {
        if (!self || self->m_launch != launch)
            return;
        self->m_installer.ensureInstalled(self, [self, launch](EngineInstaller::Outcome outcome, const QString &error) {
            if (self && self->m_launch == launch)
                self->installed(outcome, error);
        });
    };
    // An engine an earlier run left behind would hold the local port: it goes first.
    if (EngineRecord::hasLeftovers()) {
        EngineRecord::stopLeftovers(this, m_stopGraceMs, [install](int) { install(); });
        return;
    }
    install();
}

void EngineLauncher::installed(EngineInstaller::Outcome outcome, const QString &error)
{
    m_installing = false;
    m_launchPending = false;
    if (std::exchange(m_stopRequested, false)) {
        Q_EMIT failed(ExitedBeforeStart, QStringLiteral("stopped before the engine was started"));
        return;
    }
    if (outcome == EngineInstaller::Outcome::UnknownArchitecture) {
        Q_EMIT failed(UnknownArchitecture, error);
        return;
    }
    if (outcome == EngineInstaller::Outcome::InstallFailed) {
        Q_EMIT failed(InstallFailed, error);
        return;
    }
    if (!m_installer.isEngineUsable()) {
        Q_EMIT failed(EngineMissing, QStringLiteral("no executable engine at %1").arg(m_installer.enginePath()));
        return;
    }
    m_engine->start(m_installer.enginePath(), m_arguments, m_workingFolder, m_errorOutput);
}

void EngineLauncher::stop(std::function<void()> done)
{
    // A launch still replacing its old engine or installing is called off when it gets there.
    if (m_launchPending)
        m_stopRequested = true;
    m_engine->stop(m_stopGraceMs, std::move(done));
}

void EngineLauncher::stopAndWait()
{
    m_engine->stopAndWait(m_stopGraceMs);
}

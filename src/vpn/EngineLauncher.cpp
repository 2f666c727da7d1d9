#include "vpn/EngineLauncher.h"

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
        // A stop asked for earlier is answered even when a new launch overtook it.
        QPointer<EngineLauncher> self(this);
        if (std::function<void()> done = std::exchange(m_stopDone, {}))
            done();
        if (self && !m_replacing)
            Q_EMIT finished(exitCode, crashed);
    });
}

EngineLauncher::~EngineLauncher()
{
    disconnect(m_engine, nullptr, this, nullptr);
    // The process's own destructor would give it only half a second; engines get their grace.
    m_engine->stopAndWait(m_stopGraceMs);
}

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
    if (m_engine->isRunning()) {
        m_replacing = true;
        m_engine->stopAndWait(m_stopGraceMs);
        m_replacing = false;
    }
    m_arguments = arguments;
    m_workingFolder = workingFolder;
    m_errorOutput = errorOutput;
    m_installing = true;
    m_launchPending = true;
    m_stopRequested = false;
    QPointer<EngineLauncher> self(this);
    auto install = [self] {
        if (!self)
            return;
        self->m_installer.ensureInstalled(self, [self](EngineInstaller::Outcome outcome, const QString &error) {
            if (self)
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
    if (!m_engine->isRunning()) {
        if (m_launchPending)
            m_stopRequested = true;
        if (done)
            done();
        return;
    }
    m_stopDone = std::move(done);
    m_engine->stop(m_stopGraceMs);
}

void EngineLauncher::stopAndWait()
{
    m_engine->stopAndWait(m_stopGraceMs);
}

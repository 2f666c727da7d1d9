#include "vpn/HLLSingBox.h"

#include "common/AppPaths.h"
#include "common/Logger.h"
#include "vpn/EngineProcess.h"
#include "vpn/HLLConnection.h"

#include <QPointer>

namespace {

const QString kFile = QStringLiteral("HLLSingBox");

void log(const QString &message, const QString &function, int level = Logger::Info)
{
    Logger::log(message, level, kFile, function);
}

} // namespace

HLLSingBox::HLLSingBox(QObject *parent, const EngineSetup &setup)
    : QObject(parent)
    , m_installer(EngineInstaller::Engine::SingBox, setup)
    , m_engine(new EngineProcess(this))
{
    connect(m_engine, &EngineProcess::lineRead, this, [](const QString &line) {
        log(QStringLiteral("标准输出: %1").arg(line), QStringLiteral("receivedData"), Logger::Debug);
    });
    connect(m_engine, &EngineProcess::started, this, [this] {
        m_launching = false;
        Q_EMIT started();
    });
    connect(m_engine, &EngineProcess::failedToStart, this, [this](const QString &error) {
        fail(LaunchFailed, error);
    });
    connect(m_engine, &EngineProcess::finished, this, &HLLSingBox::handleFinished);
}

HLLSingBox::~HLLSingBox()
{
    disconnect(m_engine, nullptr, this, nullptr);
    m_engine->stopAndWait(m_stopGraceMs);
}

QString HLLSingBox::configPath() const
{
    return HLLConnection::singBoxConfigPath();
}

void HLLSingBox::install(std::function<void(bool ok)> done)
{
    m_installing = true;
    QPointer<HLLSingBox> self(this);
    m_installer.ensureInstalled(this, [self, done](EngineInstaller::Outcome outcome, const QString &) {
        if (!self)
            return;
        self->m_installing = false;
        if (done)
            done(outcome == EngineInstaller::Outcome::Ready);
    });
}

void HLLSingBox::start()
{
    if (isStarting()) {
        Q_EMIT startFailed(StartPending, QStringLiteral("a start is already under way"));
        return;
    }
    if (m_engine->isRunning()) {
        disconnect(m_engine, &EngineProcess::finished, this, &HLLSingBox::handleFinished);
        m_engine->stopAndWait(m_stopGraceMs);
        connect(m_engine, &EngineProcess::finished, this, &HLLSingBox::handleFinished);
    }
    m_installing = true;
    m_stopRequested = false;
    QPointer<HLLSingBox> self(this);
    m_installer.ensureInstalled(this, [self](EngineInstaller::Outcome outcome, const QString &error) {
        if (!self)
            return;
        self->m_installing = false;
        if (std::exchange(self->m_stopRequested, false))
            self->fail(ExitedBeforeStart, QStringLiteral("stopped before the engine was started"));
        else if (outcome == EngineInstaller::Outcome::UnknownArchitecture)
            self->fail(UnknownArchitecture, error);
        else if (outcome == EngineInstaller::Outcome::InstallFailed)
            self->fail(InstallFailed, error);
        else
            self->launch();
    });
}

void HLLSingBox::launch()
{
    if (!m_installer.isEngineUsable()) {
        fail(EngineMissing, QStringLiteral("no executable engine at %1").arg(enginePath()));
        return;
    }
    const QString folder = AppPaths::privateFolder();
    AppPaths::ensureFolder(folder, true);
    log(QStringLiteral("start %1").arg(enginePath()), QStringLiteral("startSingBoxAction"));
    m_launching = true;
    m_engine->start(enginePath(), {QStringLiteral("run"), QStringLiteral("-c"), configPath()}, folder,
                    EngineProcess::ErrorOutput::Merged);
}

void HLLSingBox::fail(int code, const QString &reason)
{
    m_launching = false;
    log(QStringLiteral("start failed (%1): %2").arg(code).arg(reason), QStringLiteral("startSingBoxAction"),
        Logger::Error);
    Q_EMIT startFailed(code, reason);
}

void HLLSingBox::handleFinished(int exitCode, bool crashed)
{
    m_launching = false;
    log(QStringLiteral("engine ended, code %1").arg(exitCode), QStringLiteral("startSingBoxAction"),
        Logger::Warning);
    QPointer<HLLSingBox> self(this);
    if (m_stopDone) {
        std::function<void()> done = std::exchange(m_stopDone, {});
        done();
        if (!self)
            return;
    }
    Q_EMIT engineExited(exitCode, crashed);
}

void HLLSingBox::stop(std::function<void()> done)
{
    if (!m_engine->isRunning()) {
        if (m_installing)
            m_stopRequested = true;
        if (done)
            done();
        return;
    }
    m_stopDone = std::move(done);
    m_engine->stop(m_stopGraceMs);
}

void HLLSingBox::stopAndWait()
{
    m_engine->stopAndWait(m_stopGraceMs);
}

bool HLLSingBox::isRunning() const
{
    return m_engine->isRunning();
}

qint64 HLLSingBox::processId() const
{
    return m_engine->processId();
}

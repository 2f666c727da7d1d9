#include "vpn/HLLSingBox.h"

#include "common/AppPaths.h"
#include "common/GuiThread.h"
#include "common/Logger.h"
#include "vpn/HLLConnection.h"

#include <QPointer>

HLLSingBox::HLLSingBox(QObject *parent, const EngineSetup &setup)
    : QObject(parent)
    , m_launcher(new EngineLauncher(EngineInstaller::Engine::SingBox, setup, this))
{
    m_launcher->setStopGrace(kDefaultStopGraceMs);
    connect(m_launcher, &EngineLauncher::lineRead, this, [](const QString &line) {
        OSTREL_LOG(Logger::Debug, QStringLiteral("标准输出: %1").arg(line));
    });
    connect(m_launcher, &EngineLauncher::started, this, [this] {
        OSTREL_LOG(Logger::Info, QStringLiteral("started %1").arg(enginePath()));
        Q_EMIT started();
    });
    connect(m_launcher, &EngineLauncher::failed, this, &HLLSingBox::fail);
    connect(m_launcher, &EngineLauncher::finished, this, &HLLSingBox::handleFinished);
}

// The engine, if still running, is ended in the background (EngineProcess); nothing waits here.
HLLSingBox::~HLLSingBox()
{
    disconnect(m_launcher, nullptr, this, nullptr);
}

QString HLLSingBox::configPath() const
{
    return HLLConnection::singBoxConfigPath();
}

void HLLSingBox::install(std::function<void(bool ok)> done)
{
    m_launcher->install(std::move(done));
}

void HLLSingBox::start()
{
    if (isStarting()) {
        GuiThread::post(this, [this] { Q_EMIT startFailed(StartPending, QStringLiteral("a start is already under way")); });
        return;
    }
    // sing-box looks for relative paths (and its caches) in its working folder: keep it private.
    const QString folder = AppPaths::privateFolder();
    AppPaths::ensureFolder(folder, true);
    // Only its standard output is read and logged as such; its error output goes where the
    // client's own goes, not into the lines logged as standard output.
    m_launcher->launch({QStringLiteral("run"), QStringLiteral("-c"), configPath()}, folder,
                       EngineProcess::ErrorOutput::Forwarded);
}

void HLLSingBox::fail(int code, const QString &reason)
{
    OSTREL_LOG(Logger::Error, QStringLiteral("start failed (%1): %2").arg(code).arg(reason));
    Q_EMIT startFailed(code, reason);
}

void HLLSingBox::handleFinished(int exitCode, bool crashed)
{
    OSTREL_LOG(Logger::Warning, QStringLiteral("engine ended, code %1").arg(exitCode));
    Q_EMIT engineExited(exitCode, crashed);
}

void HLLSingBox::stop(std::function<void()> done)
{
    m_launcher->stop(std::move(done));
}

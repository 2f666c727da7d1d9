#include "upgrade/UpgradeInstallRunner.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTimer>

#include <memory>
#include <utility>

#include "common/AppPaths.h"
#include "common/DetachedProcess.h"
#include "common/Logger.h"
#include "networking/OONetWork.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/PrivilegedRunner.h"
#include "upgrade/UpgradeLog.h"

namespace {

QString &capturedExecutable()
{
    static QString path;
    return path;
}

// Undecodable output counts as no output rather than as mangled text in the log.
QString decodeOutput(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

// The helper may not answer at all; the install must not wait for it for ever.
constexpr int kStopProxyWaitMs = 3000;

// Only the desktop proxy goes off, the engines stay: a failed install puts it back and the user
// is connected as before.
void stopProxyThroughHelper(std::function<void()> then)
{
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    auto fire = [once] {
        if (*once)
            std::exchange(*once, {})();
    };
    QTimer::singleShot(kStopProxyWaitMs, qApp, fire);
    HLLPACUtilWrapper::suspendSystemProxy([fire](const std::optional<QString> &) { fire(); });
}

void restoreProxyThroughHelper()
{
    HLLPACUtilWrapper::resumeSystemProxy([](const std::optional<QString> &error) {
        if (error)
            OSTREL_LOG(Logger::Warning, QStringLiteral("proxy not restored after the failed install: ") + *error);
    });
}

} // namespace

UpgradeInstallRunner &UpgradeInstallRunner::shared()
{
    static UpgradeInstallRunner *instance = new UpgradeInstallRunner(qApp);
    return *instance;
}

UpgradeInstallRunner::UpgradeInstallRunner(QObject *parent)
    : QObject(parent)
    , m_stopProxy(stopProxyThroughHelper)
    , m_restoreProxy(restoreProxyThroughHelper)
    , m_startDetached([](const Command &command) { return DetachedProcess::start(command.program, command.arguments).ok(); })
    , m_quit([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); })
{
}

UpgradeInstallRunner::~UpgradeInstallRunner() = default;

QString UpgradeInstallRunner::installerPath()
{
    return OONetWork::downloadDestination();
}

QString UpgradeInstallRunner::databasePath()
{
    return AppPaths::cachesFolder() + QStringLiteral("/database_swift.sqlite3");
}

QString UpgradeInstallRunner::applicationName()
{
    return QStringLiteral("翠鸟通行器Pro");
}

std::optional<QString> UpgradeInstallRunner::scriptPath() const
{
    if (m_overrideSet)
        return m_scriptOverride;
    const QString configured = qEnvironmentVariable("OSTREL_UPGRADE_SCRIPT");
    if (!configured.isEmpty())
        return configured;
    const QString bundled = AppPaths::resourcePath(QStringLiteral("update_new_version.sh"));
    if (!QFileInfo(bundled).isFile())
        return std::nullopt;
    return bundled;
}

UpgradeInstallRunner::Elevation UpgradeInstallRunner::elevation() const
{
    if (m_overrideSet)
        return m_overrideElevation;
    return qEnvironmentVariableIsEmpty("OSTREL_UPGRADE_SCRIPT") ? Elevation::Auto : Elevation::Never;
}

void UpgradeInstallRunner::setScriptPathForTesting(const std::optional<QString> &path, Elevation elevation)
{
    m_overrideSet = true;
    m_scriptOverride = path;
    m_overrideElevation = elevation;
}

UpgradeInstallRunner::Command UpgradeInstallRunner::installCommand(const QString &script, bool elevate)
{
    return PrivilegedRunner::command(script, {installerPath(), databasePath(), applicationName()}, elevate);
}

UpgradeInstallRunner::Command UpgradeInstallRunner::relaunchCommand(const QString &executable)
{
    // The old process needs a moment to be gone before the new one takes the single-instance
    // places (helper socket, engines).
    return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 1; exec \"$0\""), executable}};
}

void UpgradeInstallRunner::captureExecutablePath()
{
    if (!capturedExecutable().isEmpty())
        return;
    capturedExecutable() = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString UpgradeInstallRunner::executablePath()
{
    captureExecutablePath();
    return capturedExecutable();
}

void UpgradeInstallRunner::setExecutablePathForTesting(const QString &path)
{
    capturedExecutable() = path;
}

void UpgradeInstallRunner::answer(QObject *context, const Done &done, const Result &result)
{
    if (!done)
        return;
    QTimer::singleShot(0, context, [done, result] { done(result); });
}

void UpgradeInstallRunner::fail(Result result, const Done &done)
{
    OSTREL_LOG(Logger::Error, QStringLiteral("upgrade install failed (%1): %2").arg(result.exitCode).arg(result.message));
    restoreProxyIfTurnedOff();
    Q_EMIT installFailed(result.message);
    answer(this, done, result);
}

void UpgradeInstallRunner::runInstallScript(const std::optional<QString> &scriptPath, Log log,
                                            QPointer<QObject> relaunchTarget, Done done)
{
    if (isRunning()) {
        answer(this, done, Result{Outcome::Busy, 0, {}, QStringLiteral("正在安装，请稍候")});
        return;
    }
    if (!scriptPath || !QFileInfo(*scriptPath).isFile()) {
        if (log)
            log(QStringLiteral("路径不存在！"));
        answer(this, done, Result{Outcome::ScriptMissing, 0, {}, QStringLiteral("路径不存在！")});
        return;
    }
    const PrivilegedRunner::Elevation elevation = this->elevation() == Elevation::Auto ? PrivilegedRunner::Elevation::Auto
                                                                                     : PrivilegedRunner::Elevation::None;
    // Refused before the proxy goes off: a script others could change never runs as root. The
    // runner checks again when it starts the script.
    if (PrivilegedRunner::runsAsRoot(elevation)) {
        if (const QString refusal = PrivilegedRunner::scriptRefusal(*scriptPath); !refusal.isEmpty()) {
            fail(Result{Outcome::Refused, 0, {}, QStringLiteral("安装脚本不安全，未安装：") + refusal}, done);
            return;
        }
    }
    m_preparing = true;
    m_proxyTurnedOff = true;
    const QString script = *scriptPath;
    QPointer<UpgradeInstallRunner> self(this);
    // The desktop proxy points at our own listener; it must not outlive the program being replaced.
    m_stopProxy([self, script, elevation, log, relaunchTarget, done] {
        if (!self)
            return;
        self->m_preparing = false;
        self->startScript(script, elevation, log, relaunchTarget, done);
    });
}

void UpgradeInstallRunner::startScript(const QString &script, PrivilegedRunner::Elevation elevation, Log log,
                                       QPointer<QObject> relaunchTarget, Done done)
{
    const bool elevate = PrivilegedRunner::elevates(elevation);
    const Command command = installCommand(script, elevate);
    qCDebug(lcUpgrade).noquote() << "upgrade install:" << command.program << command.arguments;
    OSTREL_LOG(Logger::Info, QStringLiteral("upgrade install started%1").arg(elevate ? QStringLiteral(" through pkexec") : QString()));
    m_running = true;
    PrivilegedRunner &runner = m_runner ? *m_runner : PrivilegedRunner::standard();
    // The run belongs to this object: when it goes, the script's answer goes with it.
    QPointer<UpgradeInstallRunner> self(this);
    runner.runScript(script, {installerPath(), databasePath(), applicationName()}, elevation, this,
                     [self, script, log, relaunchTarget, done](const PrivilegedRunner::Status &status) {
        if (!self)
            return;
        self->m_running = false;
        self->finishScript(status, script, log, relaunchTarget, done);
    });
}

void UpgradeInstallRunner::finishScript(const PrivilegedRunner::Status &status, const QString &script, const Log &log,
                                        QPointer<QObject> relaunchTarget, const Done &done)
{
    using Kind = PrivilegedRunner::Status::Kind;
    const QString output = decodeOutput(status.output);
    switch (status.kind) {
    case Kind::Refused:
        fail(Result{Outcome::Refused, 0, {}, QStringLiteral("安装脚本不安全，未安装：") + status.reason}, done);
        return;
    case Kind::FailedToStart:
        fail(Result{Outcome::FailedToStart, -1, {}, QStringLiteral("无法启动安装程序：") + status.reason}, done);
        return;
    case Kind::Crashed:
    case Kind::Exited:
        break;
    }
    qCDebug(lcUpgrade).noquote() << QStringLiteral("执行 ") + script;
    if (log)
        log(output);
    if (status.kind == Kind::Crashed) {
        fail(Result{Outcome::Crashed, status.exitCode, output, QStringLiteral("安装程序异常退出，未完成安装")}, done);
        return;
    }
    if (status.exitCode != 0) {
        // pkexec answers 126 when the password dialog was dismissed and 127 when not authorised.
        const bool refused = status.elevated && (status.exitCode == 126 || status.exitCode == 127);
        QString message = refused ? QStringLiteral("未获得管理员授权，未安装新版本")
                                  : QStringLiteral("安装失败（代码 %1）").arg(status.exitCode);
        if (!refused && refusedPackage(status.exitCode)) {
            // Downloading it again is the only way on; a refused package must not wait to be
            // installed again from the downloads folder.
            if (QFile::remove(installerPath()))
                OSTREL_LOG(Logger::Info, QStringLiteral("refused installer deleted"));
            message = QStringLiteral("安装包无效，已删除，请重新下载（代码 %1）").arg(status.exitCode);
        }
        fail(Result{Outcome::Failed, status.exitCode, output, message}, done);
        return;
    }
    answer(this, done, Result{Outcome::Relaunching, 0, output, {}});
    QTimer::singleShot(0, this, [self = QPointer<UpgradeInstallRunner>(this), relaunchTarget] {
        if (!self)
            return;
        if (relaunchTarget) {
            self->relaunch();
            return;
        }
        // Installed, but whoever asked has gone: this program goes on running, connected as
        // before, so the desktop proxy goes back to it.
        self->restoreProxyIfTurnedOff();
    });
}

void UpgradeInstallRunner::restoreProxyIfTurnedOff()
{
    if (std::exchange(m_proxyTurnedOff, false) && m_restoreProxy)
        m_restoreProxy();
}

void UpgradeInstallRunner::relaunch()
{
    const Command command = relaunchCommand(executablePath());
    if (!m_startDetached || !m_startDetached(command)) {
        const QString message = QStringLiteral("新版本已安装，请手动重新打开应用");
        OSTREL_LOG(Logger::Error, QStringLiteral("upgrade relaunch could not start"));
        // The program stays, connected: so does its proxy.
        restoreProxyIfTurnedOff();
        Q_EMIT installFailed(message);
        return;
    }
    OSTREL_LOG(Logger::Info, QStringLiteral("upgrade installed; relaunching"));
    // The program quits: its ending road puts the desktop proxy back.
    m_proxyTurnedOff = false;
    Q_EMIT relaunchStarted();
    if (m_quit)
        m_quit();
}

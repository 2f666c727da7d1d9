#include "vpn/PrivilegedHelperManager.h"

#include "common/AppPaths.h"
#include "common/Logger.h"
#include "common/GuiThread.h"
#include "common/HelperProtocol.h"
#include "vpn/EngineSetup.h"
#include "vpn/PrivilegedRunner.h"
#include "vpn/VpnLog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QPointer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

#include <unistd.h>

// The manager's file-log lines go under its name and the operation as support searches for them
// ("PrivilegedHelperManager getHelperStatus(callback:)"), whatever the code around them is called.
#define MANAGER_LOG(level, function, message) OSTREL_LOG_AS(level, "PrivilegedHelperManager", function, message)

const QString PrivilegedHelperManager::kHelperIdentifier = QStringLiteral("com.ostrel-mac-privoxy.Pelmorath.ProxyHelper");

QString PrivilegedHelperManager::installedHelperPath()
{
    return EngineSetup::defaultEngineFolder() + QStringLiteral("/ostrel-helper");
}

PrivilegedHelperManager::Options PrivilegedHelperManager::defaultOptions()
{
    Options options;
    options.bundledHelperPath = QCoreApplication::applicationDirPath() + QStringLiteral("/ostrel-helper");
    options.installedHelperPath = installedHelperPath();
    options.socketPath = HelperClient::defaultSocketPath();
    options.installScriptPath = helperInstallScript();
    return options;
}

namespace {

QPointer<PrivilegedHelperManager> s_shared;
std::optional<PrivilegedHelperManager::Options> s_sharedOptions;

} // namespace

PrivilegedHelperManager &PrivilegedHelperManager::shared()
{
    // Parented to the application so it goes before the event loop does.
    if (!s_shared)
        s_shared = new PrivilegedHelperManager(s_sharedOptions.value_or(defaultOptions()), QCoreApplication::instance());
    return *s_shared;
}

void PrivilegedHelperManager::configureShared(Options options)
{
    s_sharedOptions = options;
    if (!s_shared)
        return;
    if (!options.runner)
        options.runner = s_shared->m_options.runner;
    s_shared->m_options = std::move(options);
    if (s_shared->m_connection) {
        s_shared->m_connection->invalidate();
        s_shared->m_connection.release()->deleteLater();
    }
}

PrivilegedHelperManager::PrivilegedHelperManager(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    initAuthorizationRef();
}

PrivilegedHelperManager::~PrivilegedHelperManager() = default;

void PrivilegedHelperManager::initAuthorizationRef()
{
    // The one way to get administrator rights here is pkexec, unless we already have them.
    if (::geteuid() == 0 || !QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty())
        return;
    MANAGER_LOG(Logger::Error, "initAuthorizationRef()", QStringLiteral("initAuthorizationRef AuthorizationCreate failed"));
}

QString PrivilegedHelperManager::statusName(HelperStatus status)
{
    switch (status) {
    case HelperStatus::installed:
        return QStringLiteral("installed");
    case HelperStatus::noFound:
        return QStringLiteral("noFound");
    case HelperStatus::needUpdate:
        return QStringLiteral("needUpdate");
    }
    return QStringLiteral("unknown");
}

QString PrivilegedHelperManager::helperInstallScript()
{
    return AppPaths::resourcePath(QStringLiteral("scripts/install_helper.sh"));
}

QString PrivilegedHelperManager::requiredVersion() const
{
    if (!m_options.requiredVersion.isEmpty())
        return m_options.requiredVersion;
    // The version the shipped helper's file carries; read, not asked, as starting the program
    // would cost a process start on the GUI thread at every launch.
    return HelperProtocol::versionInProgram(m_options.bundledHelperPath).value_or(QString());
}

void PrivilegedHelperManager::getHelperStatus(std::function<void(HelperStatus)> callback)
{
    // Once, and never inside this call, whichever way the answer comes.
    auto answer = GuiThread::later(this, std::function<void(HelperStatus)>([callback](HelperStatus status) {
        if (callback)
            callback(status);
    }));

    const QString required = requiredVersion();
    if (required.isEmpty()) {
        MANAGER_LOG(Logger::Info, "getHelperStatus(callback:)", QStringLiteral("check helper status fail"));
        answer(HelperStatus::noFound);
        return;
    }
    // A helper is there to be asked when its program is installed, or when something already
    // serves its socket (the session started one from elsewhere, as the demo profile does);
    // otherwise there is nothing to wait 15 s for.
    if (!QFile::exists(m_options.installedHelperPath) && !QFileInfo::exists(m_options.socketPath)) {
        answer(HelperStatus::noFound);
        return;
    }

    QElapsedTimer started;
    started.start();
    // The connection's own version time-out (versionTimeoutMs) ends an unanswered question.
    QPointer<PrivilegedHelperManager> self(this);
    helper()->getVersion([self, answer, required, started](const std::optional<QString> &version) {
        if (!self)
            return;
        if (!version) {
            const bool timedOut = started.elapsed() >= self->m_options.versionTimeoutMs;
            const QString line = timedOut ? QStringLiteral("check helper timeout time: ")
                                                + QString::number(self->m_options.versionTimeoutMs / 1000.0, 'f', 1)
                                          : QStringLiteral("check helper failed after: ")
                                                + QString::number(started.elapsed() / 1000.0);
            MANAGER_LOG(Logger::Info, "getHelperStatus(callback:)", line);
            answer(HelperStatus::noFound);
            return;
        }
        MANAGER_LOG(Logger::Debug, "getHelperStatus(callback:)",
                    QStringLiteral("helper version ") + *version + QStringLiteral(" require version ") + required);
        const HelperStatus status = (version->isEmpty() || *version != required) ? HelperStatus::needUpdate
                                                                                 : HelperStatus::installed;
        MANAGER_LOG(Logger::Info, "getHelperStatus(callback:)", QStringLiteral("check helper using time: ") + QString::number(started.elapsed() / 1000.0));
        answer(status);
    });
}

void PrivilegedHelperManager::checkInstall()
{
    MANAGER_LOG(Logger::Info, "checkInstall()", QStringLiteral("checkInstall"));
    // No helper, installed or not, can serve a socket at that path: an install would ask for
    // administrator rights and leave it as unreachable as before.
    if (const std::optional<QString> pathError = HelperProtocol::socketPathError(m_options.socketPath)) {
        MANAGER_LOG(Logger::Error, "checkInstall()", QStringLiteral("the helper cannot be reached: ") + *pathError);
        return;
    }
    QPointer<PrivilegedHelperManager> self(this);
    getHelperStatus([self](HelperStatus status) {
        MANAGER_LOG(Logger::Debug, "checkInstall()", QStringLiteral("check result: ") + statusName(status));
        if (!self)
            return;
        if (status != HelperStatus::noFound && status != HelperStatus::needUpdate) {
            MANAGER_LOG(Logger::Info, "checkInstall()", QStringLiteral("installed"));
            return;
        }
        MANAGER_LOG(Logger::Debug, "checkInstall()", QStringLiteral("need to install helper"));
        self->legacyInstallHelper(self->m_options.installScriptPath);
    });
}

void PrivilegedHelperManager::legacyInstallHelper(const QString &scriptPath, std::function<void(bool)> done)
{
    auto finished = GuiThread::later(this, std::function<void(bool)>([done](bool ok) {
        if (done)
            done(ok);
    }));
    if (m_installing) {
        finished(false);
        return;
    }
    if (!QFile::exists(scriptPath)) {
        qCDebug(lcVpn).noquote() << "legacyInstallHelper create script fail:" << scriptPath << "is missing";
        finished(false);
        Q_EMIT installFinished(false);
        return;
    }
    m_installing = true;
    PrivilegedRunner &runner = m_options.runner ? *m_options.runner : PrivilegedRunner::standard();
    // Asynchronous, unlike a blocking prompt: the window keeps drawing while the agent asks.
    QPointer<PrivilegedHelperManager> self(this);
    runner.runScript(scriptPath, {QStringLiteral("--from"), m_options.bundledHelperPath}, this,
                     [self, finished](bool ok, const QString &detail) {
        if (!self)
            return;
        self->m_installing = false;
        if (ok)
            qCDebug(lcVpn).noquote() << "apple script result:" << detail;
        else
            qCDebug(lcVpn).noquote() << "apple script failed" << detail;
        // The next command talks to the freshly installed helper.
        if (self->m_connection) {
            self->m_connection->invalidate();
            self->m_connection.release()->deleteLater();
        }
        finished(ok);
        if (self)
            Q_EMIT self->installFinished(ok);
    });
}

ProxyConfigRemoteProcessProtocol *PrivilegedHelperManager::helper(std::function<void(const QString &)> failture)
{
    if (!m_connection) {
        HelperClient::Options options;
        options.socketPath = m_options.socketPath;
        options.callTimeoutMs = m_options.callTimeoutMs;
        options.versionTimeoutMs = m_options.versionTimeoutMs;
        if (QFile::exists(m_options.installedHelperPath)) {
            options.launchProgram = m_options.installedHelperPath;
            options.launchArguments = QStringList{QStringLiteral("--socket"), m_options.socketPath} + m_options.launchArguments;
        }
        m_connection = std::make_unique<HelperClient>(options);
        connect(m_connection.get(), &HelperClient::connectionInvalidated, this, [] {
            MANAGER_LOG(Logger::Info, "helper(failture:)", QStringLiteral("XPC Connection Invalidated"));
        });
    }
    QPointer<PrivilegedHelperManager> self(this);
    m_connection->setFailureHandler([self, failture](const QString &reason) {
        if (self)
            MANAGER_LOG(Logger::Info, "helper(failture:)", QStringLiteral("Helper connection was closed with error: ") + reason);
        if (failture)
            failture(reason);
    });
    return m_connection.get();
}

#include "vpn/HLLShadowsocks.h"

#include "common/DefaultsKeys.h"
#include "common/GuiThread.h"
#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"

#include <QFileInfo>
#include <QPointer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

HLLShadowsocks::HLLShadowsocks(const EngineStart &config, QObject *parent, const EngineSetup &setup)
    : QObject(parent)
    , m_config(config)
    , m_launcher(new EngineLauncher(EngineInstaller::Engine::SSLocal, setup, this))
{
    m_launcher->setStopGrace(kDefaultStopGraceMs);
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, [this] {
        failStart(StartTimedOut, QStringLiteral("no start line in time"));
        m_launcher->stop();
    });
    connect(m_launcher, &EngineLauncher::started, this, [this] {
        OSTREL_LOG(Logger::Info, QStringLiteral("started %1").arg(enginePath()));
        if (m_startCompletion && !m_started)
            m_startTimer.start(m_startTimeoutMs);
    });
    connect(m_launcher, &EngineLauncher::failed, this, &HLLShadowsocks::failStart);
    connect(m_launcher, &EngineLauncher::lineRead, this, &HLLShadowsocks::handleLine);
    connect(m_launcher, &EngineLauncher::finished, this, &HLLShadowsocks::handleFinished);
}

// The engine, if still running, is ended in the background (EngineProcess); nothing waits here.
HLLShadowsocks::~HLLShadowsocks()
{
    disconnect(m_launcher, nullptr, this, nullptr);
}

void HLLShadowsocks::deliver(Completion completion, int code)
{
    // From the event loop, never inside the call or signal that decided it.
    if (completion)
        GuiThread::post(this, [completion = std::move(completion), code] { completion(code); });
}

void HLLShadowsocks::install(std::function<void(bool ok)> done)
{
    m_launcher->install(std::move(done));
}

void HLLShadowsocks::startWithConnectivityChecks(bool checkConnectivity, Completion completion)
{
    if (m_launcher->isInstalling() || isStarting()) {
        deliver(std::move(completion), StartPending);
        return;
    }
    m_checkConnectivity = checkConnectivity;
    const QString configPath = m_config.configPath;
    if (configPath.isEmpty()) {
        deliver(std::move(completion), NoStartParameters);
        return;
    }
    m_started = false;
    m_startCompletion = completion ? std::move(completion) : Completion([](int) {});
    m_launcher->launch({QStringLiteral("-c"), configPath}, QFileInfo(configPath).absolutePath(),
                       EngineProcess::ErrorOutput::Forwarded);
}

void HLLShadowsocks::handleLine(const QString &line)
{
    OSTREL_LOG(Logger::Debug, QStringLiteral("标准输出: %1").arg(line));
    const ServerCommand command = ServerCommand::parseLine(line);
    QPointer<HLLShadowsocks> self(this);
    if (command.startSuccess && m_startCompletion) {
        OSTREL_LOG(Logger::Info, QStringLiteral("sslocal启动成功"));
        m_started = true;
        m_startTimer.stop();
        UserDefaults &defaults = UserDefaults::standard();
        defaults.setBool(DefaultsKeys::ShadowsocksOn, true);
        defaults.synchronizeOrLog("the engine's start");
        deliver(m_startCompletion, Started);
    }
    // "startSuccess" lets receivers tell the start marker from an alarm with the same empty text.
    NotificationCenter::defaultCenter().post(NotificationNames::ServerCMD,
                                             {{QStringLiteral("cmd"), command.cmd},
                                              {QStringLiteral("cmdDes"), command.cmdDes},
                                              {QStringLiteral("startSuccess"), command.startSuccess}});
    if (!self)
        return;
    Q_EMIT serverCommand(command.cmd, command.cmdDes);
    if (self)
        OSTREL_LOG(Logger::Debug, QStringLiteral("command -- %1").arg(line));
}

void HLLShadowsocks::handleFinished(int exitCode, bool crashed)
{
    const bool afterStart = m_started;
    OSTREL_LOG(afterStart ? Logger::Warning : Logger::Error, QStringLiteral("engine ended, code %1%2").arg(exitCode).arg(crashed ? QStringLiteral(", crashed") : QString()));
    if (!afterStart && m_startCompletion)
        failStart(ExitedBeforeStart, QStringLiteral("the engine ended before its start line"));
    m_started = false;
    m_startCompletion = nullptr;
    Q_EMIT engineExited(exitCode, afterStart);
}

void HLLShadowsocks::failStart(int code, const QString &reason)
{
    m_startTimer.stop();
    if (!m_startCompletion)
        return;
    OSTREL_LOG(Logger::Error, QStringLiteral("start failed (%1): %2").arg(code).arg(reason));
    Completion completion = std::exchange(m_startCompletion, Completion());
    m_started = false;
    deliver(std::move(completion), code);
}

void HLLShadowsocks::stop(Completion completion)
{
    m_launcher->stop(completion ? std::function<void()>([completion] { completion(0); }) : std::function<void()>());
}

void HLLShadowsocks::checkServerConnectivity()
{
    deliver(m_startCompletion, Started);
}

void HLLShadowsocks::reportServerCommand(int socketDescriptor, int code)
{
    if (code == 0) {
        getsock_port(socketDescriptor);
        checkServerConnectivity();
        return;
    }
    static const char *const kDescriptions[] = {"token失效", "没有安装证书", "用户等级变更",
                                                "会员过期", "服务器dns更新", "强制退出登录"};
    const QString description = code >= 1 && code <= 6 ? QString::fromUtf8(kDescriptions[code - 1]) : QString();
    OSTREL_LOG(Logger::Info, QStringLiteral("服务器异常信息:%1").arg(code - 1));
    NotificationCenter::defaultCenter().post(NotificationNames::ServerCMD,
                                             {{QStringLiteral("cmd"), code - 1},
                                              {QStringLiteral("cmdDes"), description}});
}

int HLLShadowsocks::getsock_port(int socketDescriptor)
{
    sockaddr_storage address {};
    socklen_t length = sizeof(address);
    if (::getsockname(socketDescriptor, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        OSTREL_LOG(Logger::Error, QStringLiteral("getsock_port(%1) error: %2").arg(socketDescriptor).arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 0;
    }
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in *>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6 *>(&address)->sin6_port);
    return 0;
}

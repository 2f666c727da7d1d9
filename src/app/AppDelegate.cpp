#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QPointer>

#include "app/AppUiHooks.h"
#include "app/MainWindow.h"
#include "app/TerminationRoad.h"
#include "common/DefaultsKeys.h"
#include "common/FirstFrameGate.h"
#include "common/FoundationStartup.h"
#include "common/Logger.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OOReachability.h"
#include "networking/XSAnalyticsManager.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/PrivilegedHelperManager.h"

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
{
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
}

void AppDelegate::applicationDidFinishLaunching()
{
    // First of all: a kill while starting must still put the desktop proxy back.
    m_termination = std::make_unique<TerminationRoad>([this] { applicationWillTerminate(); });
    m_termination->install();
    // Back-ends and connections that the first window does not need wait until it is painted.
    FirstFrameGate::hold();
    FoundationStartup::run();

    QPointer<AppDelegate> self(this);
    m_uiHooks = std::make_shared<AppUiHooks>([self] {
        if (self)
            self->backToGuide();
    });
    NetworkUiHooks::setInstance(m_uiHooks);
    NetworkUiHooks::setStopLocalHandler([](std::function<void()> done) {
        HLLPACUtilWrapper::stopLocal([done](const std::optional<QString> &) {
            if (done)
                done();
        });
    });

    // A previous run that crashed may have left the desktop pointed at a dead listener.
    HLLPACUtilWrapper::restoreAfterCrash();

    // Every reachability report may mean another API host answers better now.
    connect(&OOReachability::shared(), &OOReachability::statusChanged, this, [] {
        OOHostSafeAdpter::shared().startPollingRoundIfIdle();
    });
    OOReachability::shared().start();

    trackLaunch();
    OSTREL_LOG(Logger::Info, QStringLiteral("application did finish launching"));

    m_window = std::make_unique<MainWindow>();
    m_uiHooks->setWindow(m_window.get());
    m_window->show();
    FirstFrameGate::openAfterPaintOf(m_window.get());

    // Signed in: make sure the proxy-settings helper is there and current (one administrator
    // prompt when it is not). Without a user nothing can connect yet, so nothing is asked.
    const auto user = MKUserInfoManager::shared().currentUser();
    if (user && user->hasToken())
        PrivilegedHelperManager::shared().checkInstall();
}

void AppDelegate::trackLaunch()
{
    XSAnalyticsManager::shared().track(QStringLiteral("launchPage_show"));
    UserDefaults &defaults = UserDefaults::standard();
    if (defaults.boolValue(DefaultsKeys::kSecondLaunch).value_or(false))
        return;
    XSAnalyticsManager::shared().track(QStringLiteral("firstOpen"));
    defaults.setBool(DefaultsKeys::kSecondLaunch, true);
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    // Bounded: a helper that does not answer must not keep the application from quitting.
    HLLPACUtilWrapper::shutdown();
    OSTREL_LOG(Logger::Info, QStringLiteral("application will terminate"));
    Logger::flush();
}

void AppDelegate::backToGuide()
{
    MKUserInfoManager::shared().clearUser();
    QPointer<AppDelegate> self(this);
    HLLPACUtilWrapper::stopLocal([self](const std::optional<QString> &) {
        if (self && self->m_window)
            self->m_window->reload();
    });
}

#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

#include "app/AdClickRoute.h"
#include "app/CrashReporter.h"
#include "app/AppUiHooks.h"
#include "app/HHSplashViewController.h"
#include "app/LoginPlaceholderViewController.h"
#include "app/NBGuidViewController.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/OONoNetworkPopupView.h"
#include "app/SplashAdStore.h"
#include "app/TerminationRoad.h"
#include "uikit/FNHUD.h"
#include "uikit/NBBaseLoadingView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/NBRotationImageView.h"
#include "uikit/OOToastView.h"
#include "uikit/ScreenFactory.h"
#include "common/DefaultsKeys.h"
#include "common/DetachedProcess.h"
#include "common/FirstFrameGate.h"
#include "common/FoundationStartup.h"
#include "common/Localization.h"
#include "common/Logger.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/ApplicationProxy.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWorkTool.h"
#include "networking/OOReachability.h"
#include "networking/XSAnalyticsManager.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/PrivilegedHelperManager.h"
#include "app/AppLog.h"

namespace {
QPointer<AppDelegate> g_shared;
}

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_splashStore(new SplashAdStore(this))
    // Not QDesktopServices: its opener would hold every descriptor of the client.
    , m_urlOpener([](const QUrl &url) {
        const DetachedProcess::Result started = DetachedProcess::openUrl(url);
        if (!started.ok())
            OSTREL_LOG(Logger::Warning, QStringLiteral("the ad's link could not be opened: ") + started.error);
    })
    , m_visitorLogin([](std::function<void(std::optional<QString>)> done) { OONetWorkTool::login(done); })
{
    g_shared = this;
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
}

AppDelegate *AppDelegate::shared()
{
    return g_shared;
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
    // The client's road for its requests and pages is Qt's before any request of the start: from
    // here on none takes the client's own listener while not connected, which a run killed while
    // connected may have left in the desktop's setting.
    ApplicationProxy::install();
    // That run's desktop setting goes back to the user's; the start's first requests wait for it,
    // bounded, rather than go straight past the user's own proxy.
    HLLPACUtilWrapper::restoreAfterCrash();

    // The sequence runs once the event loop does, as it would after launching has finished.
    QTimer::singleShot(0, this, &AppDelegate::startUp);
}

void AppDelegate::startUp()
{
    AppStartup::run(*this);
}

// --- start-up steps ---------------------------------------------------------------------------

void AppDelegate::setupHud()
{
    FNHUD::setup();
}

void AppDelegate::startReachability()
{
    OOReachability &reachability = OOReachability::shared();
    connect(&reachability, &OOReachability::statusChanged, this, [](OOReachability::Status status) {
        qCDebug(lcApp).noquote() << "网络状态: " + OOReachability::statusName(status);
        // No popup here: a missing network shows itself where a request fails.
        if (status == OOReachability::Status::NotReachable)
            return;
        OOHostSafeAdpter::shared().startPollingRoundIfIdle();
    });
    reachability.start();
}

void AppDelegate::startCrashReporter()
{
    CrashReporter::start();
}

void AppDelegate::track(const QString &event)
{
    XSAnalyticsManager::shared().track(event);
}

std::optional<HHUserInfo> AppDelegate::queryUser()
{
    return MKUserTable().queryUser();
}

std::optional<HHAdModel> AppDelegate::loadCachedSplashAd()
{
    return m_splashStore->loadCachedSplashAd();
}

void AppDelegate::requestSplashAds()
{
    // After the first frame (the network stack loads then), still before the helper check.
    QPointer<SplashAdStore> store(m_splashStore);
    FirstFrameGate::defer(m_splashStore, [store] {
        OONetWorkTool::advertisements(1, [store](std::optional<QJsonObject> reply, std::optional<QString>) {
            if (store)
                store->handleSplashAdList(reply);
        });
    });
}

void AppDelegate::checkInstall()
{
    FirstFrameGate::defer(this, [] { PrivilegedHelperManager::shared().checkInstall(); });
}

// --- windows ----------------------------------------------------------------------------------

NBMainWindowController *AppDelegate::ensureWindow()
{
    if (m_fakeWindowVC)
        return m_fakeWindowVC;
    m_window = std::make_unique<NBMainWindowController>();
    m_fakeWindowVC = m_window.get();
    m_uiHooks ? m_uiHooks->setWindow(m_window.get()) : void();
    m_window->centreOnScreen();
    m_window->show();
    FirstFrameGate::openAfterPaintOf(m_window.get());
    return m_fakeWindowVC;
}

void AppDelegate::showLaunchAd(const HHAdModel &ad)
{
    auto *splash = new HHSplashViewController;
    splash->model = ad;
    QPointer<AppDelegate> self(this);
    splash->dismissBlock = [self] {
        if (!self)
            return;
        OONoNetworkPopupView::closeCurrent();
        self->showMainWindowVC();
    };
    splash->tapBlock = [self](const std::optional<QJsonObject> &link) {
        if (self)
            self->handleAdClick(link);
    };
    ensureWindow()->setContentViewController(splash);
    splash->setupAd();
}

void AppDelegate::showGuide()
{
    ensureWindow()->setContentViewController(makeGuide());
}

NBGuidViewController *AppDelegate::makeGuide()
{
    auto *guide = new NBGuidViewController;
    QPointer<AppDelegate> self(this);
    guide->visitorBlock = [self] {
        if (self)
            self->visitorSignIn();
    };
    guide->userBlock = [self] {
        if (self)
            self->presentLogin();
    };
    return guide;
}

void AppDelegate::showMainWindowVC()
{
    auto *split = new NBMainSplitViewController;
    ensureWindow()->setContentViewController(split);
    m_startupOpen.applyOnce(*split);
}

void AppDelegate::backToGuide()
{
    // Signed out for this run in any case. The row goes, or on a full disk the database is set
    // aside; only where neither worked would the next start sign the user in again, and the user
    // is told so.
    const bool cleared = MKUserInfoManager::shared().clearUser();
    if (!cleared)
        OSTREL_LOG(Logger::Error, QStringLiteral("the signed-in user could not be removed"));
    // The guide at once; the desktop's proxy settings come back and the engines end behind it. A
    // connect started meanwhile waits for that stop (HLLPACUtilWrapper), so nothing of the
    // signed-out user's connection outlives the sign-out. A second call (the account alert during
    // a sign-out) keeps the guide it finds and asks for one more stop.
    if (m_fakeWindowVC && !qobject_cast<NBGuidViewController *>(m_fakeWindowVC->contentViewController()))
        m_fakeWindowVC->setContentViewController(makeGuide());
    if (!cleared && m_fakeWindowVC && m_fakeWindowVC->contentViewController())
        showErrorToast(m_fakeWindowVC->contentViewController(), localizedByAppLanguage(QStringLiteral("SIGN_OUT_NOT_KEPT")));
    ++m_signOutStops;
    QPointer<AppDelegate> self(this);
    HLLPACUtilWrapper::stopLocal([self](const std::optional<QString> &error) {
        if (!self)
            return;
        if (error)
            OSTREL_LOG(Logger::Info, QStringLiteral("the sign-out could not restore the desktop proxy: ") + *error);
        --self->m_signOutStops;
    });
}

void AppDelegate::visitorSignIn()
{
    NBMainWindowController *window = m_fakeWindowVC;
    if (!window || !window->contentViewController())
        return;
    // One sign-in at a time: a second click while the first runs finds the cover up.
    if (m_loadingView)
        return;
    QWidget *host = window->contentViewController();
    auto *loading = new NBBaseLoadingView(host);
    loading->showOver(host);
    loading->imgView()->setRotating(true);
    m_loadingView = loading;

    UserDefaults::standard().setBool(DefaultsKeys::kExceptionGotIt, false);
    UserDefaults::standard().synchronizeOrLog("the visitor sign-in");

    QPointer<AppDelegate> self(this);
    m_visitorLogin([self](std::optional<QString> error) {
        if (!self)
            return;
        if (self->m_loadingView)
            self->m_loadingView->closeOverlay();
        self->m_loadingView = nullptr;
        if (error) {
            if (self->m_fakeWindowVC && self->m_fakeWindowVC->contentViewController())
                showErrorToast(self->m_fakeWindowVC->contentViewController(), *error);
            return;
        }
        NotificationCenter::defaultCenter().post(NotificationNames::kAnonySignSuccessNotification);
        self->showMainWindowVC();
    });
}

void AppDelegate::presentLogin()
{
    auto *guide = m_fakeWindowVC ? qobject_cast<NBGuidViewController *>(m_fakeWindowVC->contentViewController()) : nullptr;
    if (!guide)
        return;
    const QString name = QStringLiteral("NBLoginViewCOntroller");
    // Until the sign-in screens are there, a stand-in that at least leads back to the guide.
    std::unique_ptr<NBBaseViewController> login;
    if (ScreenFactory::instance().hasScreen(name))
        login.reset(ScreenFactory::instance().make(name, guide));
    else
        login = std::make_unique<LoginPlaceholderViewController>(guide);
    auto *animator = new NBPresentationAnimator(login.get(), guide);
    guide->presentViewController(std::move(login), animator);
}

void AppDelegate::handleAdClick(const std::optional<QJsonObject> &link)
{
    OONoNetworkPopupView::closeCurrent();
    if (!m_fakeWindowVC)
        return;
    // The main content first, whatever the link: no link may keep the user on the advertisement.
    auto *split = new NBMainSplitViewController;
    m_fakeWindowVC->setContentViewController(split);
    const AdClickRoute route = AdClickRoute::fromLink(link);
    switch (route.kind) {
    case AdClickRoute::Kind::MainOnly:
        return;
    case AdClickRoute::Kind::Buy:
        split->leftSide()->selectItem(split->leftSide()->upgradeItem());
        split->switchContent(NBLeftMenuType::upgrade);
        return;
    case AdClickRoute::Kind::My:
        split->leftSide()->selectItem(split->leftSide()->accountItem());
        split->switchContent(NBLeftMenuType::account);
        return;
    case AdClickRoute::Kind::NewsList:
    case AdClickRoute::Kind::Lottery: {
        const QString name = route.kind == AdClickRoute::Kind::NewsList ? QStringLiteral("NBMessageViewController")
                                                                        : QStringLiteral("NBFreeViewController");
        NBBaseViewController *home = split->homeVc();
        std::unique_ptr<NBBaseViewController> page(ScreenFactory::instance().make(name, home));
        auto *animator = new NBPresentationAnimator(page.get(), home);
        home->presentViewController(std::move(page), animator);
        return;
    }
    case AdClickRoute::Kind::Outer:
        if (m_urlOpener)
            m_urlOpener(route.url);
        return;
    }
}

// --- termination ------------------------------------------------------------------------------

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    qCDebug(lcApp).noquote() << "即将关闭程序";
    // Bounded: a helper that does not answer must not keep the application from quitting.
    HLLPACUtilWrapper::shutdown();
    // The last chance for settings a full disk refused: written now if there is room again.
    if (!UserDefaults::synchronizeAll())
        OSTREL_LOG(Logger::Warning, QStringLiteral("settings changed while the disk was full are lost at the quit"));
    OSTREL_LOG(Logger::Info, QStringLiteral("application will terminate"));
    Logger::flush();
}

#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

#include "app/AppStartup.h"
#include "app/NBMainWindowController.h"
#include "app/StartupOpenOption.h"
#include "uikit/NBBaseLoadingView.h"

class AppUiHooks;
class NBBaseViewController;
class NBGuidViewController;
class SplashAdStore;
class TerminationRoad;

// The application's start-up, its one window and its termination.
//
// Start-up runs the sequence of AppStartup and then opens the guide (nobody signed in), the
// splash advertisement (a cached one) or the main content. One window is used for all of them:
// the splash and the guide become the main window by swapping their content for a split view,
// and signing out swaps the guide back in. Quitting, by whatever road, has the helper restore
// the desktop's proxy settings first, with a bounded wait.
class AppDelegate : public QObject, public AppStartupEnvironment
{
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *shared();

    // Takes every ending onto the termination road, wires the layers together, then runs
    // startUp from the event loop.
    void applicationDidFinishLaunching();
    void startUp();
    void applicationWillTerminate();

    void showLaunchAd(const HHAdModel &ad) override;
    void showGuide() override;
    void showMainWindowVC() override;
    // Sign-out: the user is removed and the guide shown at once; the proxy is turned off behind
    // it (the desktop's settings back, the engines ended) while a new connect waits.
    void backToGuide();
    // True until the sign-out's stop has ended.
    bool isSigningOut() const { return m_signOutStops > 0; }
    void visitorSignIn();
    void presentLogin();
    // Where a click on the splash leads: always the main content, then the link's page.
    void handleAdClick(const std::optional<QJsonObject> &link);

    NBMainWindowController *fakeWindowVC() const { return m_fakeWindowVC; }
    SplashAdStore &splashStore() const { return *m_splashStore; }
    // The cover over the guide while the visitor sign-in runs.
    NBBaseLoadingView *loadingView() const { return m_loadingView; }

    // A page shown once when the main content first appears ("--open NAME", StartupOpenOption).
    void setStartupOpen(const QString &name) { m_startupOpen = StartupOpenOption(name); }

    // Tests: where "outer" links go instead of the browser, and the visitor sign-in request.
    void setUrlOpener(std::function<void(const QUrl &)> opener) { m_urlOpener = std::move(opener); }
    using VisitorLogin = std::function<void(std::function<void(std::optional<QString> error)>)>;
    void setVisitorLogin(VisitorLogin login) { m_visitorLogin = std::move(login); }

    // AppStartupEnvironment
    void setupHud() override;
    void startReachability() override;
    void startCrashReporter() override;
    void track(const QString &event) override;
    std::optional<HHUserInfo> queryUser() override;
    std::optional<HHAdModel> loadCachedSplashAd() override;
    void requestSplashAds() override;
    void checkInstall() override;

private:
    NBGuidViewController *makeGuide();
    // The window in use, made (centred, shown) when there is none yet.
    NBMainWindowController *ensureWindow();

    std::shared_ptr<AppUiHooks> m_uiHooks;
    std::unique_ptr<NBMainWindowController> m_window;
    QPointer<NBMainWindowController> m_fakeWindowVC;
    SplashAdStore *m_splashStore = nullptr;
    QPointer<NBBaseLoadingView> m_loadingView;
    // Every ending (quit, window close, signal, session end) runs applicationWillTerminate through it.
    std::unique_ptr<TerminationRoad> m_termination;
    std::function<void(const QUrl &)> m_urlOpener;
    VisitorLogin m_visitorLogin;
    StartupOpenOption m_startupOpen;
    bool m_terminated = false;
    int m_signOutStops = 0;
};

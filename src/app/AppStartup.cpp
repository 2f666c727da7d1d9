#include "app/AppStartup.h"

#include <QVariantMap>

#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"

bool AppStartup::isSignedIn(const std::optional<HHUserInfo> &user)
{
    return user && user->user && user->user->apiToken && !user->user->apiToken->isEmpty();
}

void AppStartup::run(AppStartupEnvironment &environment)
{
    resetConnectionState();
    setupAppLanguage();
    registerDefaults();
    environment.setupHud();
    environment.startReachability();
    environment.startCrashReporter();

    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kProxyConnectionState, false);
    defaults.synchronizeOrLog("start-up");

    trackLaunch(environment);

    if (!isSignedIn(environment.queryUser())) {
        environment.showGuide();
        return;
    }
    if (const std::optional<HHAdModel> ad = environment.loadCachedSplashAd())
        environment.showLaunchAd(*ad);
    else
        environment.showMainWindowVC();
    environment.requestSplashAds();
    environment.checkInstall();
}

void AppStartup::resetConnectionState()
{
    // Nothing runs yet, whatever the last run left behind.
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kProxyConnectionState, false);
    defaults.setBool(DefaultsKeys::ShadowsocksOn, false);
    defaults.synchronizeOrLog("start-up");
    defaults.setBool(DefaultsKeys::kProxyConnected, false);
    defaults.synchronizeOrLog("start-up");
}

void AppStartup::registerDefaults()
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.registerDefaults(QVariantMap{{DefaultsKeys::kTunStateKey, 1}});
    defaults.registerDefaults(QVariantMap{{DefaultsKeys::kProxyMode, 0}});
}

void AppStartup::trackLaunch(AppStartupEnvironment &environment)
{
    environment.track(QStringLiteral("launchPage_show"));
    UserDefaults &defaults = UserDefaults::standard();
    if (defaults.boolForKey(DefaultsKeys::kSecondLaunch))
        return;
    environment.track(QStringLiteral("firstOpen"));
    defaults.setBool(DefaultsKeys::kSecondLaunch, true);
    // Written through at once, so a crash right after the first start does not count it again.
    defaults.synchronizeOrLog("start-up");
}

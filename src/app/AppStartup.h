#pragma once

#include <QString>

#include <optional>

#include "app/HHAdModel.h"
#include "common/HHUserInfo.h"

// What the start-up sequence asks of the rest of the program. The application delegate answers
// with the real parts; tests answer with a recorder, so the order of the steps and the choice
// between guide, splash and main window can be checked without a window.
class AppStartupEnvironment
{
public:
    virtual ~AppStartupEnvironment() = default;

    virtual void setupHud() = 0;
    virtual void startReachability() = 0;
    virtual void startCrashReporter() = 0;
    virtual void track(const QString &event) = 0;
    virtual std::optional<HHUserInfo> queryUser() = 0;
    virtual std::optional<HHAdModel> loadCachedSplashAd() = 0;
    virtual void showLaunchAd(const HHAdModel &ad) = 0;
    virtual void showMainWindowVC() = 0;
    virtual void showGuide() = 0;
    virtual void requestSplashAds() = 0;
    virtual void checkInstall() = 0;
};

// The start-up sequence, once launching has finished: the connection state is reset, the
// language and the registered defaults set up, the HUD, reachability and crash reporting
// started, launch analytics sent, and then either the guide (nobody signed in) or the splash or
// main window followed by the advertisement request and the helper check.
class AppStartup
{
public:
    // Signed in: a stored user with a token that is not empty (an empty token opens nothing
    // that any request would accept).
    static bool isSignedIn(const std::optional<HHUserInfo> &user);

    static void run(AppStartupEnvironment &environment);

private:
    AppStartup() = delete;
    static void resetConnectionState();
    static void registerDefaults();
    static void trackLaunch(AppStartupEnvironment &environment);
};

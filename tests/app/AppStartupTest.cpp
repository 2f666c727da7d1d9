// The start-up sequence as a call log: which window opens for which stored user and cached
// advertisement, what is asked of the network and the helper, and which defaults it leaves.
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include "app/AppStartup.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"

namespace {

class RecordingEnvironment : public AppStartupEnvironment
{
public:
    void setupHud() override { log << QStringLiteral("setupHud"); }
    void startReachability() override { log << QStringLiteral("startReachability"); }
    void startCrashReporter() override { log << QStringLiteral("startCrashReporter"); }
    void track(const QString &event) override { log << QStringLiteral("track:") + event; }
    std::optional<HHUserInfo> queryUser() override
    {
        log << QStringLiteral("queryUser");
        return user;
    }
    std::optional<HHAdModel> loadCachedSplashAd() override
    {
        log << QStringLiteral("loadCachedSplashAd");
        return ad;
    }
    void showLaunchAd(const HHAdModel &) override { log << QStringLiteral("showLaunchAd"); }
    void showMainWindowVC() override { log << QStringLiteral("showMainWindowVC"); }
    void showGuide() override { log << QStringLiteral("showGuide"); }
    void requestSplashAds() override { log << QStringLiteral("requestSplashAds"); }
    void checkInstall() override { log << QStringLiteral("checkInstall"); }

    QStringList log;
    std::optional<HHUserInfo> user;
    std::optional<HHAdModel> ad;
};

std::optional<HHUserInfo> userWithToken(const std::optional<QString> &token)
{
    QJsonObject user{{QStringLiteral("id"), 7}, {QStringLiteral("region_code"), QStringLiteral("86")}};
    if (token)
        user.insert(QStringLiteral("api_token"), *token);
    return HHUserInfo::fromJson(QJsonObject{{QStringLiteral("user"), user}});
}

const QStringList kCommonStart{QStringLiteral("setupHud"), QStringLiteral("startReachability"),
                               QStringLiteral("startCrashReporter"), QStringLiteral("track:launchPage_show")};

class AppStartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::reloadAllForTesting();
        // A later launch unless a test says otherwise.
        UserDefaults::standard().setBool(DefaultsKeys::kSecondLaunch, true);
    }
};

} // namespace

TEST_F(AppStartupTest, NobodySignedInOpensOnlyTheGuide)
{
    for (const auto &user : {std::optional<HHUserInfo>(), userWithToken(std::nullopt), userWithToken(QString())}) {
        RecordingEnvironment env;
        env.user = user;
        AppStartup::run(env);
        EXPECT_EQ(env.log, (kCommonStart + QStringList{QStringLiteral("queryUser"), QStringLiteral("showGuide")}));
    }
}

TEST_F(AppStartupTest, SignedInWithCachedAdvertisementOpensTheSplashThenAsksForAdsAndHelper)
{
    RecordingEnvironment env;
    env.user = userWithToken(QStringLiteral("token"));
    env.ad = HHAdModel{};
    AppStartup::run(env);
    EXPECT_EQ(env.log, (kCommonStart + QStringList{QStringLiteral("queryUser"), QStringLiteral("loadCachedSplashAd"),
                                                   QStringLiteral("showLaunchAd"), QStringLiteral("requestSplashAds"),
                                                   QStringLiteral("checkInstall")}));
}

TEST_F(AppStartupTest, SignedInWithoutAdvertisementOpensTheMainWindow)
{
    RecordingEnvironment env;
    env.user = userWithToken(QStringLiteral("token"));
    AppStartup::run(env);
    EXPECT_EQ(env.log, (kCommonStart + QStringList{QStringLiteral("queryUser"), QStringLiteral("loadCachedSplashAd"),
                                                   QStringLiteral("showMainWindowVC"), QStringLiteral("requestSplashAds"),
                                                   QStringLiteral("checkInstall")}));
}

TEST_F(AppStartupTest, FirstLaunchIsCountedOnceAndWrittenThrough)
{
    UserDefaults::standard().remove(DefaultsKeys::kSecondLaunch);
    RecordingEnvironment first;
    AppStartup::run(first);
    EXPECT_EQ(first.log.mid(3, 2), (QStringList{QStringLiteral("track:launchPage_show"), QStringLiteral("track:firstOpen")}));

    // As the next start reads it: from the file.
    UserDefaults::reloadAllForTesting();
    RecordingEnvironment second;
    AppStartup::run(second);
    EXPECT_FALSE(second.log.contains(QStringLiteral("track:firstOpen")));
    EXPECT_TRUE(second.log.contains(QStringLiteral("track:launchPage_show")));
}

TEST_F(AppStartupTest, ResetsConnectionStateAndRegistersDefaults)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::ShadowsocksOn, true);
    defaults.setBool(DefaultsKeys::kProxyConnected, true);
    defaults.setBool(DefaultsKeys::kProxyConnectionState, true);
    RecordingEnvironment env;
    AppStartup::run(env);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::ShadowsocksOn), false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kProxyConnected), false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kProxyConnectionState), false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kTunStateKey), true);
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::kProxyMode), 0);
    EXPECT_FALSE(defaults.object(DefaultsKeys::kLineOrderType).isValid());
    // A stored choice wins over the registered one.
    defaults.setBool(DefaultsKeys::kTunStateKey, false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kTunStateKey), false);
}

// The application delegate's roads between the one window's contents: splash clicks, the
// visitor sign-in from the guide, the login presentation and the sign-out back to the guide.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/HHSplashViewController.h"
#include "app/NBGuidViewController.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/OONoNetworkPopupView.h"
#include "app/SplashAdStore.h"
#include "app/HHSplashButton.h"
#include "uikit/OOToastView.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/UiTiming.h"
#include "common/HHNotificationTable.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "support/StandinProcess.h"
#include "support/NetworkTestSupport.h"

namespace {

class AppDelegateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        delegate.setUrlOpener([this](const QUrl &url) { opened << url; });
    }

    HHSplashViewController *splash() const
    {
        return qobject_cast<HHSplashViewController *>(delegate.fakeWindowVC()->contentViewController());
    }
    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(delegate.fakeWindowVC()->contentViewController());
    }

    UiTimingScope timing{0.01};
    AppDelegate delegate;
    QList<QUrl> opened;
};

HHAdModel adWithLink(const QString &link)
{
    HHAdModel ad;
    ad.closeSeconds = QStringLiteral("9");
    ad.linkUrl = link;
    return ad;
}

} // namespace

TEST_F(AppDelegateTest, SplashClickAlwaysReachesTheMainContent)
{
    for (const char *link : {"{}", "{\"type\":1}", "{\"type\":\"unknown\"}", "{\"type\":\"outer\",\"value\":\"file:///etc/passwd\"}"}) {
        delegate.showLaunchAd(adWithLink(QString::fromUtf8(link)));
        ASSERT_NE(splash(), nullptr);
        splash()->openAd();
        QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 2000);
        EXPECT_EQ(split()->shownContent(), split()->existingScreen(NBLeftMenuType::home)) << link;
    }
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(AppDelegateTest, SplashLinksLeadToTheirPages)
{
    delegate.showLaunchAd(adWithLink(QStringLiteral("{\"type\":\"buy\"}")));
    splash()->openAd();
    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 2000);
    EXPECT_EQ(split()->leftSide()->preButton(), split()->leftSide()->upgradeItem());
    EXPECT_EQ(split()->shownContent(), split()->existingScreen(NBLeftMenuType::upgrade));

    delegate.handleAdClick(QJsonObject{{QStringLiteral("type"), QStringLiteral("my")}});
    EXPECT_EQ(split()->leftSide()->preButton(), split()->leftSide()->accountItem());
    EXPECT_EQ(split()->shownContent(), split()->existingScreen(NBLeftMenuType::account));

    delegate.handleAdClick(QJsonObject{{QStringLiteral("type"), QStringLiteral("newsList")}});
    NBBaseViewController *home = split()->existingScreen(NBLeftMenuType::home);
    ASSERT_EQ(home->presentations().size(), 1);
    EXPECT_EQ(qobject_cast<PlaceholderViewController *>(home->presentations().first())->screenName(),
              QStringLiteral("NBMessageViewController"));

    delegate.handleAdClick(QJsonObject{{QStringLiteral("type"), QStringLiteral("outer")},
                                       {QStringLiteral("value"), QStringLiteral("https://example.org/x")}});
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/x"))});
}

TEST_F(AppDelegateTest, SplashEndClosesTheNoNetworkPopupAndShowsTheMainContent)
{
    delegate.showLaunchAd(adWithLink(QStringLiteral("{}")));
    QPointer<NBMainWindowController> window = delegate.fakeWindowVC();
    ASSERT_NE(OONoNetworkPopupView::showNoNetwork(QStringLiteral("offline")), nullptr);
    splash()->closeAd();
    EXPECT_FALSE(OONoNetworkPopupView::isShown());
    ASSERT_NE(split(), nullptr);
    EXPECT_EQ(delegate.fakeWindowVC(), window); // the same window, new content
}

TEST_F(AppDelegateTest, VisitorSignInCoversTheGuideThenOpensTheMainContent)
{
    std::function<void(std::optional<QString>)> answer;
    int requests = 0;
    delegate.setVisitorLogin([&](auto done) { ++requests; answer = done; });
    delegate.showGuide();
    auto *guide = qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController());
    ASSERT_NE(guide, nullptr);

    guide->visitorAction();
    guide->visitorAction();
    EXPECT_EQ(requests, 1);
    ASSERT_NE(delegate.loadingView(), nullptr);
    EXPECT_EQ(delegate.loadingView()->parentWidget(), guide);
    EXPECT_EQ(delegate.loadingView()->geometry(), guide->rect());

    answer(QStringLiteral("server says no"));
    EXPECT_EQ(delegate.fakeWindowVC()->contentViewController(), guide);
    EXPECT_EQ(guide->findChildren<OOToastView *>().size(), 1);
    EXPECT_EQ(delegate.loadingView(), nullptr);

    int posted = 0;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::kAnonySignSuccessNotification, &owner,
                                                    [&](const Notification &) { ++posted; });
    guide->visitorAction();
    ASSERT_EQ(requests, 2);
    answer(std::nullopt);
    EXPECT_EQ(posted, 1);
    EXPECT_NE(split(), nullptr);
}

TEST_F(AppDelegateTest, AnswerAfterTheGuideIsGoneDoesNoHarm)
{
    std::function<void(std::optional<QString>)> answer;
    delegate.setVisitorLogin([&](auto done) { answer = done; });
    delegate.showGuide();
    qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController())->visitorAction();
    delegate.showMainWindowVC();
    answer(QStringLiteral("late"));
    EXPECT_NE(split(), nullptr);
}

TEST_F(AppDelegateTest, LoginPresentedFromTheGuideAndSignOutReturnsToIt)
{
    delegate.showGuide();
    auto *guide = qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController());
    guide->userAction();
    ASSERT_EQ(guide->presentations().size(), 1);
    // The stand-in for the sign-in screen leads back.
    guide->presentations().first()->dismissController();
    QTRY_VERIFY_WITH_TIMEOUT(guide->presentations().isEmpty(), 2000);

    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    QPointer<NBMainWindowController> window = delegate.fakeWindowVC();
    delegate.backToGuide();
    // The guide at once; the proxy's stop goes on behind it (here: no helper, which answers with
    // a failure from the event loop).
    EXPECT_NE(qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController()), nullptr);
    EXPECT_EQ(delegate.fakeWindowVC(), window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate.isSigningOut(); }, 5000));
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
}

namespace {

// The real start-up against the stand-in service, without the parts that reach outside the test
// (the helper install, crash handlers, the desktop's reachability).
class ContainedDelegate : public AppDelegate
{
public:
    void startReachability() override {}
    void startCrashReporter() override {}
    void checkInstall() override { ++helperChecks; }
    int helperChecks = 0;
};

} // namespace

TEST(AppDelegateRoad, FreshProfileGuideVisitorThenMainWindowThenSplashOnceCached)
{
    UiTimingScope timing(0.01);
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    auto hooks = installRecordingHooks();
    pointClientAt({standin.baseUrl()});
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    ASSERT_TRUE(HHNotificationTable().remove(SplashAdStore::kRowName));

    {
        ContainedDelegate first;
        first.startUp();
        auto *guide = qobject_cast<NBGuidViewController *>(first.fakeWindowVC()->contentViewController());
        ASSERT_NE(guide, nullptr);
        EXPECT_EQ(first.helperChecks, 0);
        guide->visitorAction();
        QTRY_VERIFY_WITH_TIMEOUT(
            qobject_cast<NBMainSplitViewController *>(first.fakeWindowVC()->contentViewController()) != nullptr, 10000);
        EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
    }
    {
        // Signed in, nothing cached yet: the main window, and the advertisement is fetched.
        ContainedDelegate second;
        QSignalSpy cached(&second.splashStore(), &SplashAdStore::imageChainFinished);
        second.startUp();
        EXPECT_NE(qobject_cast<NBMainSplitViewController *>(second.fakeWindowVC()->contentViewController()), nullptr);
        EXPECT_EQ(second.helperChecks, 1);
        QTRY_VERIFY_WITH_TIMEOUT(cached.count() > 0, 10000);
        EXPECT_TRUE(cached.first().first().toBool());
    }
    {
        // Cached now: the splash, which counts down to the main content.
        ContainedDelegate third;
        third.startUp();
        auto *splash = qobject_cast<HHSplashViewController *>(third.fakeWindowVC()->contentViewController());
        ASSERT_NE(splash, nullptr);
        EXPECT_TRUE(splash->closeBtn()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(
            qobject_cast<NBMainSplitViewController *>(third.fakeWindowVC()->contentViewController()) != nullptr, 10000);
    }
}

// Sign-out from the account screen with a connected client: the real helper, stand-in engines and
// the stand-in service. The guide shows only once the desktop proxy is back and the engines are gone.
#include <QTest>

#include <gtest/gtest.h>

#include "AccountTestSupport.h"

#include "app/AppDelegate.h"
#include "app/NBGuidViewController.h"
#include "uikit/NBAlertView.h"
#include "uikit/UiTiming.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "login/account/NBAccountInfoViewController.h"
#include "vpn/ConnectRoadFixture.h"

namespace {

class SignOutTest : public ConnectRoadFixture
{
};

NBAlertView *shownAlert()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *alert = qobject_cast<NBAlertView *>(widget); alert && alert->isVisible())
            return alert;
    }
    return nullptr;
}

} // namespace

TEST_F(SignOutTest, ConnectedClientStopsBeforeTheGuideShows)
{
    UiTimingScope timing(0.01);
    startPieces(QStringLiteral("standin-sslocal-scripted"));
    signInAsVisitor();
    makeController();
    ASSERT_TRUE(connectAndWait());
    ASSERT_TRUE(proxyPointsAtUs());
    ASSERT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());

    AppDelegate delegate;
    delegate.showMainWindowVC();
    NBBaseViewController *content = delegate.fakeWindowVC()->contentViewController();
    ASSERT_NE(content, nullptr);
    auto *screen = new NBAccountInfoViewController(content);
    // Shown inside the window's content, as its containers show it.
    content->embedChildViewController(screen, content);

    bool userAtStop = false;
    auto token = NotificationCenter::defaultCenter().addObserver(
        NotificationNames::VPNStop, screen,
        [&](const Notification &) { userAtStop = MKUserInfoManager::shared().currentUser().has_value(); });

    screen->logoutAction();
    NBAlertView *alert = shownAlert();
    ASSERT_NE(alert, nullptr);
    alert->confirmAction();

    EXPECT_TRUE(userAtStop);   // the stop is announced while the user still exists
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
    ACCOUNT_WAIT(qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController()) != nullptr, 15000);
    // By the time the guide is up, nothing of the connection is left.
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    for (qint64 pid : enginePids())
        EXPECT_FALSE(processAlive(pid)) << pid;
    EXPECT_FALSE(UserDefaults::standard().boolValue(DefaultsKeys::ShadowsocksOn).value_or(false));
    EXPECT_FALSE(delegate.isSigningOut());
    NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(SignOutTest, CancelKeepsEverything)
{
    UiTimingScope timing(0.01);
    startPieces(QStringLiteral("standin-sslocal-scripted"));
    signInAsVisitor();
    AppDelegate delegate;
    delegate.showMainWindowVC();
    NBBaseViewController *content = delegate.fakeWindowVC()->contentViewController();
    auto *screen = new NBAccountInfoViewController(content);
    content->embedChildViewController(screen, content);
    screen->logoutAction();
    NBAlertView *alert = shownAlert();
    ASSERT_NE(alert, nullptr);
    alert->cancelAction();
    EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
    EXPECT_EQ(qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController()), nullptr);
}

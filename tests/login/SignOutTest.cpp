// Sign-out from the account screen with a connected client: the real helper, stand-in engines and
// the stand-in service. The guide shows at once; the desktop proxy comes back and the engines end
// behind it, and an engine started meanwhile waits for that stop.
#include <QTest>

#include <gtest/gtest.h>

#include "AccountTestSupport.h"

#include "app/AppDelegate.h"
#include "app/NBGuidViewController.h"
#include "uikit/NBAlertView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiTiming.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/unreached/NBAccountPageViewController.h"
#include "support/ConnectRoadFixture.h"
#include "support/ProcScan.h"
#include "vpn/HLLConnection.h"

namespace {

class SignOutTest : public ConnectRoadFixture
{
};

// An engine start as the connect road asks for one: the "sslocal.conf" the last connect wrote,
// with TUN off.
void startEngine(HLLPACUtilWrapper::StartCompletion completion)
{
    HLLPACUtilWrapper::shared().start(HLLPACUtilWrapper::EngineStart{HLLConnection::sslocalConfigPath(), false},
                                      std::move(completion));
}

NBAlertView *shownAlert()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *alert = qobject_cast<NBAlertView *>(widget); alert && alert->isVisible())
            return alert;
    }
    return nullptr;
}

} // namespace

TEST_F(SignOutTest, TheGuideShowsAtOnceAndTheConnectionEndsBehindIt)
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
    // The confirmation panel is less rounded than the kit's popups.
    EXPECT_EQ(alert->contentView()->cornerRadius(), 8);
    alert->confirmAction();

    EXPECT_TRUE(userAtStop);   // the stop is announced while the user still exists
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
    // The guide comes at once, while the proxy's stop still runs.
    EXPECT_NE(qobject_cast<NBGuidViewController *>(delegate.fakeWindowVC()->contentViewController()), nullptr);
    EXPECT_TRUE(delegate.isSigningOut());
    ACCOUNT_WAIT(!delegate.isSigningOut(), 15000);
    // Once the stop has ended, nothing of the connection is left.
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    for (qint64 pid : enginePids())
        EXPECT_FALSE(ProcScan::alive(pid_t(pid))) << pid;
    EXPECT_FALSE(UserDefaults::standard().boolValue(DefaultsKeys::ShadowsocksOn).value_or(false));
    NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(SignOutTest, AnEngineStartedWhileTheSignOutStopsWaitsAndSurvivesIt)
{
    UiTimingScope timing(0.01);
    startPieces(QStringLiteral("standin-sslocal-scripted"));
    signInAsVisitor();
    makeController();
    ASSERT_TRUE(connectAndWait());

    AppDelegate delegate;
    delegate.showMainWindowVC();
    // The account page as the window shows it.
    auto *page = new NBAccountPageViewController;
    delegate.fakeWindowVC()->setContentViewController(page);
    NBAccountInfoViewController *screen = page->accountInfo();
    ASSERT_NE(screen, nullptr);
    screen->logoutAction();
    NBAlertView *alert = shownAlert();
    ASSERT_NE(alert, nullptr);
    alert->confirmAction();
    ASSERT_TRUE(delegate.isSigningOut());

    // A start asked for now must not run under the stop, which would end its engine.
    std::optional<bool> started;
    bool stopHadEnded = false;
    startEngine([&](bool ok) {
        started = ok;
        stopHadEnded = !delegate.isSigningOut();
    });
    ACCOUNT_WAIT(started.has_value(), 15000);
    EXPECT_TRUE(*started);
    EXPECT_TRUE(stopHadEnded);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().isStopping());
    EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
    // Nothing turned the desktop proxy on behind the guide.
    EXPECT_FALSE(proxyPointsAtUs());
}

TEST_F(SignOutTest, AStartStillWaitingIsGivenUpByALaterStop)
{
    UiTimingScope timing(0.01);
    startPieces(QStringLiteral("standin-sslocal-scripted"));
    signInAsVisitor();
    makeController();
    ASSERT_TRUE(connectAndWait());

    int stops = 0;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { ++stops; });
    std::optional<bool> started;
    startEngine([&](bool ok) { started = ok; });
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { ++stops; });
    ACCOUNT_WAIT(stops == 2 && started.has_value(), 15000);
    EXPECT_FALSE(*started);
    EXPECT_FALSE(HLLPACUtilWrapper::shared().hasRunningEngine());
    EXPECT_FALSE(proxyPointsAtUs());
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
    EXPECT_FALSE(delegate.isSigningOut());
}

TEST_F(SignOutTest, OfTwoStartsWaitingForAStopOnlyTheNewerRuns)
{
    UiTimingScope timing(0.01);
    startPieces(QStringLiteral("standin-sslocal-scripted"));
    signInAsVisitor();
    makeController();
    ASSERT_TRUE(connectAndWait());

    bool stopped = false;
    HLLPACUtilWrapper::stopLocal([&](const std::optional<QString> &) { stopped = true; });
    std::optional<bool> older;
    std::optional<bool> newer;
    startEngine([&](bool ok) { older = ok; });
    startEngine([&](bool ok) { newer = ok; });
    ACCOUNT_WAIT(stopped && older.has_value() && newer.has_value(), 15000);
    EXPECT_FALSE(*older);
    EXPECT_TRUE(*newer);
    EXPECT_TRUE(HLLPACUtilWrapper::shared().hasRunningEngine());
}

// The connect area, its animations and the kill-switch alert, offscreen with a manual clock.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

#include "uikit/NBBaseView.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "home/LottieWidget.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBConnectView.h"
#include "home/unreached/NBHomeBackView.h"
#include "home/NBHomeViewController.h"
#include "home/unreached/OOHomeContentView.h"
#include "home/unreached/OOKillSwitchTipView.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBNewHomeContentViewProtocol.h"
#include "home/NBNewKillSwitchTipView.h"
#include "home/NBTimeScheduView.h"
#include "home/NBToggleTunTipView.h"
#include "home/UserNotifier.h"
#include "upgrade/HomeUpgradeCheck.h"
#include "upgrade/NBAboutUpgradeView.h"

namespace {

// What these wait for comes on the widgets' own timers, scaled down (UiTimingScope): a state, not a
// span of time. The bound only ends a test that would otherwise hang, however slow the machine.
constexpr int kStateBoundMs = 60000;

struct CountingDelegate : NBNewHomeContentViewProtocol
{
    void startConnect() override { ++starts; }
    void stopConnect() override { ++stops; }
    void stopProxy(bool toast, std::function<void()>) override { proxyStops << toast; }
    int starts = 0;
    int stops = 0;
    QList<bool> proxyStops;
};

struct RecordingNotifier : UserNotifier
{
    void notify(const QString &title, const QString &body) override
    {
        titles << title;
        bodies << body;
        onGuiThread = QThread::currentThread() == qApp->thread();
    }
    static RecordingNotifier *install()
    {
        auto notifier = std::make_unique<RecordingNotifier>();
        RecordingNotifier *raw = notifier.get();
        UserNotifier::setShared(std::move(notifier));
        return raw;
    }
    QStringList titles;
    QStringList bodies;
    bool onGuiThread = false;
};

// Counts the presses that reach a widget.
class StagePresses : public QObject
{
public:
    explicit StagePresses(QWidget *stage) { stage->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++count;
        return false;
    }
    int count = 0;
};

class ConnectArea : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, false);
        area.resize(728, 500);
        area.setDelegate(&delegate);
        area.setMonotonicClock([this] { return now; });
        area.show();
    }
    void TearDown() override { UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false); }

    void clickStage()
    {
        QWidget *stage = area.lottleAnimationView();
        QTest::mouseClick(stage, Qt::LeftButton, {}, QPoint(300, 187));
    }

    UiTimingScope timing{0.01};
    qint64 now = 100000;
    CountingDelegate delegate;
    NBNewHomeContentView area;
};

TEST_F(ConnectArea, ClicksWithinOneAndAHalfSecondsAreIgnoredOnAMonotonicClock)
{
    area.handleStartClick();
    now += 1000;
    area.handleStartClick();
    now += 500;   // exactly 1.5 s after the accepted click
    area.handleStartClick();
    EXPECT_EQ(delegate.starts, 1);
    now += 100;
    area.handleStartClick();
    EXPECT_EQ(delegate.starts, 2);

    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    now += 2000;
    QTest::mouseClick(area.connectButton(), Qt::LeftButton);
    EXPECT_EQ(delegate.stops, 1);
    EXPECT_EQ(delegate.starts, 2);
}

TEST_F(ConnectArea, LooksShowAndHideTheStageAndItsAnimation)
{
    area.updateState(NBConnectAreaState::loading);
    LottieWidget *player = area.lottleAnimationView()->existingAnimationView();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(area.lottleAnimationView()->isVisible());
    EXPECT_EQ(player->currentName(), QStringLiteral("loading"));
    EXPECT_TRUE(player->hasAnimation());
    area.updateState(NBConnectAreaState::running);
    EXPECT_TRUE(area.isOn());
    EXPECT_EQ(player->currentName(), QStringLiteral("runnung"));
    area.updateState(NBConnectAreaState::paused);
    EXPECT_FALSE(area.isOn());
    EXPECT_FALSE(area.lottleAnimationView()->isVisible());
    EXPECT_TRUE(player->isHidden());
    area.updateState(NBConnectAreaState::pausing);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->currentName(), QStringLiteral("pausing"));
}

TEST_F(ConnectArea, KillSwitchTakesOnlyALongPressWhichReleasesItOnce)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    area.updateState(NBConnectAreaState::killSwitch);
    EXPECT_TRUE(area.killSwitchTipView()->isVisible());
    // The tip lies over the stage and keeps its presses: a press on it, as the window delivers
    // one, never reaches the stage, so it neither clicks nor starts the long press.
    QWidget *tip = area.killSwitchTipView();
    QWidget *circle = area.contentCircleView();
    QWidget *onTip = circle->childAt(tip->geometry().center());
    EXPECT_TRUE(onTip == tip || tip->isAncestorOf(onTip));
    StagePresses stagePresses(area.lottleAnimationView());
    const QPoint tipCentre = tip->mapTo(&area, tip->rect().center());
    QTest::mousePress(area.windowHandle(), Qt::LeftButton, {}, tipCentre);
    QTest::mouseRelease(area.windowHandle(), Qt::LeftButton, {}, tipCentre);
    EXPECT_EQ(stagePresses.count, 0);
    // Beside the tip the stage takes it.
    const QPoint onStage = area.lottleAnimationView()->mapTo(&area, QPoint(187, 100));
    QTest::mousePress(area.windowHandle(), Qt::LeftButton, {}, onStage);
    QTest::mouseRelease(area.windowHandle(), Qt::LeftButton, {}, onStage);
    EXPECT_EQ(stagePresses.count, 1);
    clickStage();
    EXPECT_EQ(delegate.stops, 0);

    QWidget *stage = area.lottleAnimationView();
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QTRY_VERIFY_WITH_TIMEOUT(!area.isLongPressArmed(), kStateBoundMs);
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QTRY_COMPARE_WITH_TIMEOUT(delegate.proxyStops.size(), 1, kStateBoundMs);
    EXPECT_TRUE(delegate.proxyStops.first());
    EXPECT_FALSE(area.killSwitchTipView()->isVisible());
    // The release that ended the long press is not a click as well: one stop, not two.
    EXPECT_EQ(delegate.stops, 0);
    EXPECT_EQ(delegate.starts, 0);

    // A later press is an ordinary click again, and no second long press.
    now += 2000;
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QCoreApplication::processEvents();
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    EXPECT_EQ(delegate.proxyStops.size(), 1);
    EXPECT_EQ(delegate.stops, 1);

    // Entering the look again arms one press, not one per entry.
    area.updateState(NBConnectAreaState::killSwitch);
    area.updateState(NBConnectAreaState::killSwitch);
    now += 2000;
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QTRY_COMPARE_WITH_TIMEOUT(delegate.proxyStops.size(), 2, kStateBoundMs);
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.proxyStops.size(), 2);
    EXPECT_EQ(delegate.stops, 1);
}

TEST_F(ConnectArea, APressHeldPastTheEndOfTheStopDoesNotConnectAgainOnRelease)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    area.updateState(NBConnectAreaState::killSwitch);
    QWidget *stage = area.lottleAnimationView();
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QTRY_COMPARE_WITH_TIMEOUT(delegate.proxyStops.size(), 1, kStateBoundMs);
    // The stop has ended while the button is still down.
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    EXPECT_TRUE(area.isTapEnabled());
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    EXPECT_EQ(delegate.starts, 0);
    EXPECT_EQ(delegate.stops, 0);
}

TEST_F(ConnectArea, LongPressWhileAlreadyOffLeavesTheKillSwitchLook)
{
    area.updateState(NBConnectAreaState::killSwitch);
    area.handleLongPress();
    QTRY_COMPARE_WITH_TIMEOUT(area.state(), NBConnectAreaState::paused, kStateBoundMs);
    EXPECT_TRUE(delegate.proxyStops.isEmpty());
    EXPECT_FALSE(area.killSwitchTipView()->isVisible());
    EXPECT_FALSE(area.isOn());
}

TEST_F(ConnectArea, UpgradeBannerTakesItsOwnClicksOverTheRunningAnimation)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    area.updateState(NBConnectAreaState::running);
    // The banner the home screen's upgrade check makes, hosted by the area.
    HomeUpgradeCheck upgradeCheck;
    area.setUpgradeView(upgradeCheck.upgradeView(area.contentCircleView()));
    int bannerClicks = 0;
    area.upgradeView()->clickAction = [&] { ++bannerClicks; };
    NotificationCenter::defaultCenter().post(NotificationNames::preUpgradeDownloadSucceed);
    ASSERT_TRUE(area.upgradeView()->isVisible());
    // As wide as its text plus 60, centred over the circle.
    const QLabel *text = area.upgradeView()->nameLab();
    const int textWidth = QFontMetrics(text->font()).boundingRect(QRect(0, 0, 375, 12), Qt::AlignLeft, text->text()).width();
    EXPECT_EQ(area.upgradeView()->width(), textWidth + 60);
    EXPECT_NEAR(area.upgradeView()->geometry().center().x(), area.contentCircleView()->rect().center().x(), 1);
    QWidget *circle = area.contentCircleView();
    const QPoint onBanner = area.upgradeView()->geometry().center();
    QWidget *target = circle->childAt(onBanner);
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(circle, onBanner));
    EXPECT_EQ(bannerClicks, 1);
    EXPECT_EQ(delegate.stops, 0);
}

TEST(ConnectAnimations, KillSwitchLoopsWithinItsSegmentAndMissingNamesDrawNothing)
{
    NBCircleAnimationView stage;
    stage.resize(375, 375);
    stage.show();
    stage.showKillSwitch();
    LottieWidget *player = stage.existingAnimationView();
    ASSERT_TRUE(player->hasAnimation());
    EXPECT_EQ(player->frameRange(), qMakePair(30, 50));
    for (int i = 0; i < 200; ++i) {
        player->advance(37);
        ASSERT_GE(player->currentFrame(), 30);
        ASSERT_LE(player->currentFrame(), 50);
    }
    EXPECT_TRUE(player->isTicking());
    stage.hide();
    EXPECT_FALSE(player->isTicking());
    stage.show();
    EXPECT_TRUE(player->isTicking());
    // A minimised window keeps its children visible to Qt; the animation stops all the same,
    // and goes on when the window comes back.
    stage.window()->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(stage.window()->isMinimized());
    ASSERT_TRUE(player->isVisible());
    EXPECT_FALSE(player->isTicking());
    stage.window()->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(player->isTicking());

    LottieWidget missing;
    missing.play(QStringLiteral("no such animation"));
    EXPECT_FALSE(missing.hasAnimation());
    EXPECT_FALSE(missing.isTicking());
    missing.resize(50, 50);
    missing.grab();   // draws nothing, and does not crash
}

TEST(ConnectedTime, CountsOnItsOwnTimerAndResets)
{
    NBTimeScheduView clock;
    clock.updateConnectedTime(true);
    EXPECT_EQ(clock.titleLabel()->text(), QStringLiteral("00:00:01"));
    for (int i = 1; i < 3725; ++i)
        clock.tick();
    EXPECT_EQ(clock.titleLabel()->text(), QStringLiteral("01:02:05"));
    clock.updateConnectedTime(false);
    EXPECT_EQ(clock.titleLabel()->text(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(clock.isCounting());
    EXPECT_TRUE(clock.isHidden());
}

TEST(TunTip, CoverSwallowsClicksAndConfirmCloses)
{
    QWidget host;
    host.resize(800, 500);
    auto *behind = new QPushButton(&host);
    behind->setGeometry(0, 0, 100, 100);
    host.show();
    WindowInUse::setContentWidget(&host);
    int clicks = 0;
    QObject::connect(behind, &QPushButton::clicked, [&] { ++clicks; });
    QPointer<NBToggleTunTipView> tip = NBBaseView::show(std::make_unique<NBToggleTunTipView>());
    ASSERT_TRUE(tip);
    QTest::mouseClick(host.childAt(50, 50), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(clicks, 0);
    tip->confirmAction();   // no block
    QTRY_VERIFY_WITH_TIMEOUT(tip.isNull(), kStateBoundMs);
    WindowInUse::setContentWidget(nullptr);
}

class KillSwitchAlert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        notifier = RecordingNotifier::install();
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
        UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
        home = new NBHomeViewController;
        home->ensureLoaded();
        home->setMonotonicSeconds([this] { return seconds; });
    }
    void TearDown() override
    {
        delete home;
        UserNotifier::setShared(nullptr);
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, false);
    }
    static void post(const QVariantMap &info)
    {
        NotificationCenter::defaultCenter().post(NotificationNames::ServerCMD, info);
    }
    static QVariantMap cmd(int code, const QString &des = QString())
    {
        return {{QStringLiteral("cmd"), code}, {QStringLiteral("cmdDes"), des}};
    }

    double seconds = 5000;
    RecordingNotifier *notifier = nullptr;
    NBHomeViewController *home = nullptr;
};

TEST_F(KillSwitchAlert, AlertsOnceInThreeMinutesFromTheGuiThread)
{
    post(cmd(8));
    post(cmd(-1));
    post({});
    QCoreApplication::processEvents();
    EXPECT_TRUE(notifier->titles.isEmpty());

    std::thread worker([] { post(cmd(3, QStringLiteral("会员过期"))); });
    worker.join();
    QTRY_COMPARE_WITH_TIMEOUT(notifier->titles.size(), 1, kStateBoundMs);
    EXPECT_TRUE(notifier->onGuiThread);
    EXPECT_EQ(notifier->titles.first(), QStringLiteral("翠鸟通行器Pro"));
    EXPECT_EQ(home->homeBackView()->state(), NBConnectAreaState::killSwitch);

    seconds += 179;
    home->killSwitchAlert();
    EXPECT_EQ(notifier->titles.size(), 1);
    seconds += 1;
    home->killSwitchAlert();
    EXPECT_EQ(notifier->titles.size(), 2);
}

TEST_F(KillSwitchAlert, SuccessMarkersAndADisconnectedEngineRaiseNothing)
{
    post({{QStringLiteral("cmd"), 0}, {QStringLiteral("cmdDes"), QString()}, {QStringLiteral("startSuccess"), true}});
    post(cmd(0, QStringLiteral("VPN连接成功")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(notifier->titles.isEmpty());

    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    home->killSwitchAlert();
    EXPECT_TRUE(notifier->titles.isEmpty());
    EXPECT_NE(home->homeBackView()->state(), NBConnectAreaState::killSwitch);

    // The throttle was not used up: the next real alarm alerts at once.
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    home->killSwitchAlert();
    EXPECT_EQ(notifier->titles.size(), 1);

    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, false);
    seconds += 1000;
    home->killSwitchAlert();
    EXPECT_EQ(notifier->titles.size(), 1);
}

TEST_F(KillSwitchAlert, ARebuiltHomeLeavesNoOldObserverBehind)
{
    const int before = NotificationCenter::defaultCenter().observerCount(NotificationNames::ServerCMD);
    delete home;
    home = nullptr;
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(NotificationNames::ServerCMD), before - 1);
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(NotificationNames::VPNStop), 0);
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(NotificationNames::updateCloseTaped), 0);
    std::thread worker([] {
        post(cmd(2));
        NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
    });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(notifier->titles.isEmpty());
    home = new NBHomeViewController;
    home->ensureLoaded();
    home->setMonotonicSeconds([this] { return seconds; });
}

TEST(EarlierConnectAreas, BackViewDebouncesAndAsksTheHomeItSitsIn)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 7, "kind": 0})"));
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    NBHomeViewController home;
    home.resize(728, 500);
    home.ensureLoaded();
    QList<NBConnectAreaState> looks;
    QObject::connect(home.homeBackView(), &NBNewHomeContentView::stateChanged,
                     [&](NBConnectAreaState state) { looks << state; });
    qint64 now = 0;
    auto *back = new NBHomeBackView(&home);
    back->setMonotonicClock([&] { return now; });
    back->setGeometry(home.rect());
    home.show();
    QTest::mouseClick(back, Qt::LeftButton, {}, QPoint(300, 200));
    // The home's connect road starts (and, with nobody signed in, ends at once).
    ASSERT_FALSE(looks.isEmpty());
    EXPECT_EQ(looks.first(), NBConnectAreaState::loading);
    now += 1500;   // exactly 1.5 s later: ignored
    const int seen = looks.size();
    QTest::mouseClick(back, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_EQ(looks.size(), seen);

    // Its animation view is made once, hidden, under its tip.
    NBCircleAnimationView *stage = back->lottleAnimationView();
    EXPECT_EQ(back->lottleAnimationView(), stage);
    EXPECT_EQ(stage->parentWidget(), back);
    EXPECT_TRUE(stage->isHidden());
    EXPECT_LT(back->children().indexOf(static_cast<QObject *>(stage)),
              back->children().indexOf(static_cast<QObject *>(back->killSwitchTipView())));

    // Outside a home screen a click has no one to ask: the home beside it starts nothing.
    QWidget elsewhere;
    auto *alone = new NBHomeBackView(&elsewhere);
    alone->setMonotonicClock([&] { return now; });
    alone->setGeometry(0, 0, 400, 400);
    elsewhere.resize(400, 400);
    elsewhere.show();
    const int beforeAlone = looks.size();
    QTest::mouseClick(alone, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(looks.size(), beforeAlone);
    // The same click on the view inside the home, past the debounce, starts the road again.
    now += 1600;
    QTest::mouseClick(back, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_GT(looks.size(), beforeAlone);
    UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);

    auto *old = new OOHomeContentView(&home);
    old->changeLineAction();
    EXPECT_EQ(home.homeBackView()->state(), NBConnectAreaState::loading);
    EXPECT_FALSE(old->isStart());
}

TEST(HomeLines, NamesKeepTheirRegionPartAndBadAnswersKeepTheList)
{
    EXPECT_EQ(NBHomeViewController::displayName(QStringLiteral("US_Los Angeles")), QStringLiteral("Los Angeles"));
    EXPECT_EQ(NBHomeViewController::displayName(QStringLiteral("A_B_C")), QStringLiteral("B"));
    EXPECT_EQ(NBHomeViewController::displayName(QStringLiteral("Tokyo")), QStringLiteral("Tokyo"));
    EXPECT_EQ(NBHomeViewController::displayName(QStringLiteral("_Tokyo")), QStringLiteral("Tokyo"));

    NBHomeViewController home;
    home.ensureLoaded();
    home.handleNodeList(QStringLiteral(R"({"page_datas":[{"id":1,"name":"JP_Tokyo"},{"id":2,"name":"US_Dallas"}]})"), std::nullopt);
    ASSERT_EQ(home.showList().size(), 2);
    EXPECT_EQ(home.showList().at(0).name, QStringLiteral("Tokyo"));
    home.handleNodeList(QStringLiteral("not json"), std::nullopt);
    home.handleNodeList(QStringLiteral(R"({"other":1})"), std::nullopt);
    home.handleNodeList(std::nullopt, NetError{1, QStringLiteral("down")});
    EXPECT_EQ(home.showList().size(), 2);
    home.handleNodeList(QStringLiteral(R"({"page_datas":[]})"), std::nullopt);
    EXPECT_TRUE(home.showList().isEmpty());
}

} // namespace

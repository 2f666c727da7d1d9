// Connect and disconnect from the home screen through the real roads: the stand-in service, the
// helper with its file backend and the scripted stand-in engine; the looks in the order they show.
#include <QTest>

#include <csignal>

#include "uikit/UiTiming.h"
#include "home/NBConnectView.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBHomeViewController.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBTimeScheduView.h"
#include "vpn/ConnectRoadFixture.h"

namespace {

class HomeConnect : public ConnectRoadFixture
{
protected:
    void SetUp() override
    {
        startPieces(QStringLiteral("standin-sslocal-scripted"));
        signInAsVisitor();
        home = std::make_unique<NBHomeViewController>();
        home->resize(728, 500);
        home->ensureLoaded();
        home->show();
        // Every click comes 2 s after the one before: the debounce is tested on its own.
        home->homeBackView()->setMonotonicClock([this] { return m_fakeMs += 2000; });
        QObject::connect(home->homeBackView(), &NBNewHomeContentView::stateChanged,
                         [this](NBConnectAreaState state) { looks << int(state); });
    }
    void TearDown() override
    {
        home.reset();
        ConnectRoadFixture::TearDown();
    }
    // Clicks far enough apart for the area's debounce.
    void clickButton() { QTest::mouseClick(home->homeBackView()->connectButton(), Qt::LeftButton); }
    void clickStage()
    {
        QTest::mouseClick(home->homeBackView()->lottleAnimationView(), Qt::LeftButton, {}, QPoint(187, 187));
    }
    NBConnectAreaState state() const { return home->homeBackView()->state(); }

    UiTimingScope timing{0.01};
    qint64 m_fakeMs = 0;
    QList<int> looks;
    std::unique_ptr<NBHomeViewController> home;
};

TEST_F(HomeConnect, ConnectShowsLoadingThenRunningAndDisconnectPausesThenStops)
{
    clickButton();
    ASSERT_TRUE(waitUntil([&] { return state() == NBConnectAreaState::running; }, 15000))
        << m_hooks->hints.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(looks.first(), int(NBConnectAreaState::loading));
    EXPECT_EQ(looks.last(), int(NBConnectAreaState::running));
    EXPECT_FALSE(looks.contains(int(NBConnectAreaState::paused)));
    EXPECT_TRUE(home->timeScheduView()->isCounting());
    EXPECT_TRUE(proxyPointsAtUs());

    looks.clear();
    clickStage();
    ASSERT_TRUE(waitUntil([&] { return state() == NBConnectAreaState::paused; }, 15000));
    EXPECT_EQ(looks, (QList<int>{int(NBConnectAreaState::pausing), int(NBConnectAreaState::paused)}));
    EXPECT_FALSE(home->timeScheduView()->isCounting());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
}

TEST_F(HomeConnect, EngineDeathShowsTheKillSwitchAndALongPressReleasesIt)
{
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    clickButton();
    ASSERT_TRUE(waitUntil([&] { return state() == NBConnectAreaState::running; }, 15000));
    ::kill(pid_t(enginePids().value(0)), SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return state() == NBConnectAreaState::killSwitch; }, 15000));
    EXPECT_TRUE(proxyPointsAtUs());

    // A click does nothing; a held press releases the kill switch through the real stop.
    clickStage();
    EXPECT_EQ(state(), NBConnectAreaState::killSwitch);
    QWidget *stage = home->homeBackView()->lottleAnimationView();
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    ASSERT_TRUE(waitUntil([&] { return !home->homeBackView()->isLongPressArmed(); }, 5000));
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    ASSERT_TRUE(waitUntil([&] { return state() == NBConnectAreaState::paused; }, 15000));
    EXPECT_FALSE(proxyPointsAtUs());
}

} // namespace

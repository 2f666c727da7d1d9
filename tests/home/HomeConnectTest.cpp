// Connect and disconnect from the home screen through the real roads: the stand-in service, the
// helper with its file backend and the scripted stand-in engine; the looks in the order they show.
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <csignal>

#include "common/ApiPaths.h"
#include "common/MKUserInfoManager.h"
#include "networking/OONetWork.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "home/NBConnectView.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBHomeLineListView.h"
#include "home/NBHomeViewController.h"
#include "home/NBLineTableView.h"
#include "home/NBSelectLineView.h"
#include "home/NBVPNModeView.h"
#include "vpn/ProxyMode.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBTimeScheduView.h"
#include "support/ConnectRoadFixture.h"

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
        WindowInUse::setContentWidget(nullptr);
        home.reset();
        m_window.reset();
        ConnectRoadFixture::TearDown();
    }
    // Clicks far enough apart for the area's debounce.
    void clickButton() { QTest::mouseClick(home->homeBackView()->connectButton(), Qt::LeftButton); }
    void clickStage()
    {
        QTest::mouseClick(home->homeBackView()->lottleAnimationView(), Qt::LeftButton, {}, QPoint(187, 187));
    }
    NBConnectAreaState state() const { return home->homeBackView()->state(); }
    // Opens the line popup over a window in use and clicks the row's line, as a user picks one.
    void pickInPopup(int row)
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(800, 500);
        m_window->show();
        WindowInUse::setContentWidget(m_window.get());
        QTest::mouseClick(home->selectView(), Qt::LeftButton);
        NBHomeLineListView *popup = home->lineListView();
        ASSERT_NE(popup, nullptr);
        NBLineTableView *table = popup->tableView();
        table->verticalScrollBar()->setValue(table->rowTop(row));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          QPoint(120, table->rowTop(row) + 25 - table->verticalScrollBar()->value()));
    }

    UiTimingScope timing{0.01};
    qint64 m_fakeMs = 0;
    QList<int> looks;
    std::unique_ptr<NBHomeViewController> home;
    std::unique_ptr<QWidget> m_window;
};

TEST_F(HomeConnect, ConnectShowsLoadingThenRunningAndDisconnectPausesThenStops)
{
    clickButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::running; }, 15000))
        << m_hooks->hints.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(looks.first(), int(NBConnectAreaState::loading));
    EXPECT_EQ(looks.last(), int(NBConnectAreaState::running));
    EXPECT_FALSE(looks.contains(int(NBConnectAreaState::paused)));
    // The connected-time clock is not started and shows nowhere.
    EXPECT_FALSE(home->timeScheduView()->isCounting());
    EXPECT_FALSE(home->timeScheduView()->isVisible());
    EXPECT_FALSE(home->isAncestorOf(home->timeScheduView()));
    EXPECT_TRUE(proxyPointsAtUs());

    looks.clear();
    clickStage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::paused; }, 15000));
    EXPECT_EQ(looks, (QList<int>{int(NBConnectAreaState::pausing), int(NBConnectAreaState::paused)}));
    EXPECT_FALSE(home->timeScheduView()->isCounting());
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
}

TEST_F(HomeConnect, EngineDeathShowsTheKillSwitchAndALongPressReleasesIt)
{
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    clickButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::running; }, 15000));
    ::kill(pid_t(enginePids().value(0)), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::killSwitch; }, 15000));
    EXPECT_TRUE(proxyPointsAtUs());

    // A click does nothing; a held press releases the kill switch through the real stop.
    clickStage();
    EXPECT_EQ(state(), NBConnectAreaState::killSwitch);
    QWidget *stage = home->homeBackView()->lottleAnimationView();
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !home->homeBackView()->isLongPressArmed(); }, 5000));
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::paused; }, 15000));
    EXPECT_FALSE(proxyPointsAtUs());
}

TEST_F(HomeConnect, ReleasingALongPressHeldPastTheStopDoesNotConnectAgain)
{
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    clickButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::running; }, 15000));
    ::kill(pid_t(enginePids().value(0)), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::killSwitch; }, 15000));

    QWidget *stage = home->homeBackView()->lottleAnimationView();
    looks.clear();
    QTest::mousePress(stage, Qt::LeftButton, {}, QPoint(187, 187));
    // Held until the stop has run to its end.
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::paused; }, 15000));
    ASSERT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    QTest::mouseRelease(stage, Qt::LeftButton, {}, QPoint(187, 187));
    QCoreApplication::processEvents();
    EXPECT_EQ(state(), NBConnectAreaState::paused);
    EXPECT_FALSE(looks.contains(int(NBConnectAreaState::loading)));
    EXPECT_EQ(looks.count(int(NBConnectAreaState::paused)), 1);
    EXPECT_FALSE(proxyPointsAtUs());
}

TEST_F(HomeConnect, ARefusedLineChangeShowsTheConnectedLineAgainInTheSelector)
{
    // The stand-in's lines, as the home screen's appearance fetches them.
    std::optional<QString> text;
    OONetWorkTool::nodeList([&](std::optional<QString> reply, std::optional<NetError>) { text = reply ? reply : QString(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.has_value(); }));
    home->handleNodeList(text, std::nullopt);
    int connectedRow = -1;
    int memberRow = -1;
    for (int i = 0; i < home->showList().size(); ++i) {
        if (home->showList().at(i).id == 101)
            connectedRow = i;
        if (home->showList().at(i).id == 102)
            memberRow = i;
    }
    ASSERT_GE(connectedRow, 0);
    ASSERT_GE(memberRow, 0);
    const QString connectedName = home->showList().at(connectedRow).name;
    const QString memberName = home->showList().at(memberRow).name;
    ASSERT_NE(connectedName, memberName);
    // Connected on the first line as the popup stores a line: the whole record.
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, home->showList().at(connectedRow).toJsonText());

    clickButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::running; }, 15000));

    // The user has turned to global mode since: the line put back shows it on its badge.
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    ASSERT_TRUE(isProxyModeOn());

    // A member line chosen in the popup by a visitor: the service refuses it.
    pickInPopup(memberRow);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(home->selectView()->nameText()->text(), memberName);

    // The road puts the connected line back; the bar follows it, and so does the next connect.
    ASSERT_TRUE(QTest::qWaitFor([&] { return home->selectView()->nameText()->text() == connectedName; }, 15000));
    ASSERT_TRUE(home->connectController()->cachedLine().has_value());
    EXPECT_EQ(home->connectController()->cachedLine()->id, 101);
    EXPECT_EQ(home->selectView()->vpnModeView()->nameText()->text(), QStringLiteral("全局模式"));
}

TEST_F(HomeConnect, ALotteryWinnerConnectsToAMembersLineInsteadOfBeingSentToThePurchasePage)
{
    // The visitor draws the lottery as its page does, and the more page stores the account it
    // reads next.
    std::optional<QJsonObject> won;
    OONetWork::shared().requestData(QStringLiteral("POST"), OONetWorkTool::apiUrl(ApiPaths::kLotteryDraw), true, QJsonObject(),
                                    std::nullopt, [&](std::optional<QJsonObject> reply, std::optional<NetError>) {
                                        won = reply.value_or(QJsonObject());
                                    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return won.has_value(); }, 10000));
    ASSERT_TRUE(won->value(QStringLiteral("success")).toBool());
    std::optional<QJsonObject> account;
    OONetWorkTool::accountInfo([&](std::optional<QJsonObject> data, std::optional<NetError>) { account = data.value_or(QJsonObject()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return account.has_value(); }, 10000));
    ASSERT_TRUE(MKUserInfoManager::shared().storeRefreshedAccount(*account));

    // A members' line chosen in the popup, then the connect button.
    std::optional<QString> text;
    OONetWorkTool::nodeList([&](std::optional<QString> reply, std::optional<NetError>) { text = reply ? reply : QString(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.has_value(); }, 10000));
    home->handleNodeList(text, std::nullopt);
    int memberRow = -1;
    for (int i = 0; i < home->showList().size(); ++i) {
        if (home->showList().at(i).id == 102)
            memberRow = i;
    }
    ASSERT_GE(memberRow, 0);
    ASSERT_EQ(home->showList().at(memberRow).kind, 1);
    pickInPopup(memberRow);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(home->connectController()->cachedLine().has_value());
    ASSERT_EQ(home->connectController()->cachedLine()->id, 102);

    clickButton();
    // The winner is a member: the line connects, where a free account is sent to the purchase
    // page and left paused.
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == NBConnectAreaState::running; }, 15000))
        << m_hooks->hints.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(looks.contains(int(NBConnectAreaState::paused)));
    EXPECT_TRUE(proxyPointsAtUs());
    EXPECT_EQ(home->connectController()->cachedLine()->id, 102);
}

} // namespace

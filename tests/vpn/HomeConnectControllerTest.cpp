// The connect road's answers handled without the network, the user table or the engines: each
// refusal ends in the paused look with its toast, the membership pages open where they should,
// and a granted connection writes its engine files and hands them to the switchboard.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "support/ConnectTestSupport.h"
#include "common/DefaultsKeys.h"
#include "common/AppPaths.h"
#include "common/UserDefaults.h"
#include "vpn/HLLConnection.h"
#include "vpn/HomeConnectController.h"

namespace {

QJsonObject json(const char *text)
{
    return QJsonDocument::fromJson(text).object();
}

class HomeConnectControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        QDir(AppPaths::dataFolder()).removeRecursively();
        signIn(R"({"user": {"id": 5, "api_token": "t", "user_level": 1}})");
        UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo,
                                           QStringLiteral(R"({"id": 12, "kind": 0})"));
        services.connect2 = [this](int id, HomeConnectController::Connect2Reply reply) {
            sentIds.push_back(id);
            pending = std::move(reply);
        };
        services.reportConnectionLog = [this](const QJsonObject &report) { reports.push_back(report); };
        services.track = [this](const QString &event) { events << event; };
        services.currentUser = [this] { return user; };
        services.startEngines = [this](const HLLPACUtilWrapper::EngineStart &what,
                                       HLLPACUtilWrapper::StartCompletion done) {
            starts.push_back(what);
            startDone = std::move(done);
        };
        services.applySystemProxy = [this](bool started, HLLPACUtilWrapper::Callback done) {
            applied.push_back(started);
            applyDone = std::move(done);
        };
        services.stopLocal = [this](HLLPACUtilWrapper::Callback done) { stopDone = std::move(done); };
        services.registerLocalDefaults = [this] { ++localDefaultsRegistered; };
        services.watchEngines = [this](QObject *, std::function<void(bool)> lost, std::function<void()> stopped) {
            engineLost = std::move(lost);
            proxyStopped = std::move(stopped);
        };
        controller = std::make_unique<HomeConnectController>(view, nullptr, clock, services);
    }

    void signIn(const char *record) { user = HHUserInfo::fromJson(json(record)); }

    // A granted connection from China to the US, with one server.
    void grant()
    {
        controller->startConnect();
        answer(json(R"({"success": true, "data": {"in_region_code": "CN", "out_region_code": "US",
            "in_region_name": "x", "proxy_session_token": "tok",
            "node_list": [{"url": "1.2.3.4", "port": "8388", "password": "p"}]}})"),
               std::nullopt, QStringLiteral("200"));
    }

    void answer(std::optional<QJsonObject> result, std::optional<QString> message = std::nullopt,
                std::optional<QString> code = std::nullopt)
    {
        ASSERT_TRUE(pending);
        auto reply = std::move(pending);
        pending = {};
        reply(result, message, code);
    }

    // The paused look, then 0.5 s later the stopped one.
    void expectPausedThenReset()
    {
        EXPECT_EQ(view.lastLook(), QStringLiteral("pausing"));
        clock.advance(499);
        EXPECT_EQ(view.lastLook(), QStringLiteral("pausing"));
        clock.advance(1);
        EXPECT_EQ(view.lastLook(), QStringLiteral("stopped"));
        EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
        EXPECT_TRUE(view.successes.isEmpty());
        EXPECT_TRUE(reports.empty());
    }

    ManualClock clock;
    RecordingView view;
    HomeConnectController::Services services;
    std::optional<HHUserInfo> user;
    std::vector<HLLPACUtilWrapper::EngineStart> starts;
    HLLPACUtilWrapper::StartCompletion startDone;
    std::vector<bool> applied;
    HLLPACUtilWrapper::Callback applyDone;
    HLLPACUtilWrapper::Callback stopDone;
    int localDefaultsRegistered = 0;
    std::function<void(bool)> engineLost;
    std::function<void()> proxyStopped;
    std::unique_ptr<HomeConnectController> controller;
    std::vector<int> sentIds;
    HomeConnectController::Connect2Reply pending;
    std::vector<QJsonObject> reports;
    QStringList events;
};

TEST_F(HomeConnectControllerTest, SendsTheCachedLineAndTracksTheMode)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
    controller->startConnect();
    EXPECT_EQ(sentIds, std::vector<int>{12});
    EXPECT_EQ(view.looks, QStringList{QStringLiteral("loading")});
    EXPECT_EQ(events, QStringList{QStringLiteral("homePage_appMode_connect")});
    EXPECT_TRUE(controller->isConnecting());

    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"kind": 0})"));
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    controller->startConnect();
    EXPECT_EQ(sentIds.back(), 0);
    EXPECT_EQ(events.last(), QStringLiteral("homePage_globalMode_connect"));
}

TEST_F(HomeConnectControllerTest, WithoutALineTheRequestWaitsOneAndAHalfSeconds)
{
    UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);
    controller->startConnect();
    EXPECT_TRUE(sentIds.empty());
    clock.advance(1499);
    EXPECT_TRUE(sentIds.empty());
    clock.advance(1);
    EXPECT_EQ(sentIds, std::vector<int>{-1});
    EXPECT_EQ(view.looks, (QStringList{QStringLiteral("pausing"), QStringLiteral("loading")}));
    // A line list from the home screen stands in for a missing choice.
    OOHomeNodeModel first;
    first.id = 44;
    controller->setShowList({first});
    controller->startConnect();
    EXPECT_EQ(sentIds.back(), 44);
}

TEST_F(HomeConnectControllerTest, TheRoadWithoutALineSendsNoConnectionReport)
{
    // An earlier press with a line kept its start time...
    clock.advance(5000);
    controller->startConnect();
    EXPECT_EQ(controller->conStarTime(), clock.now());
    // ...which the road without a line neither sets nor inherits: its connection sends no report.
    UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);
    clock.advance(2000);
    controller->startConnect();
    EXPECT_EQ(controller->conStarTime(), 0.0);
    UserDefaults::standard().setDictionary(DefaultsKeys::kNodeInfo, json(R"({"node_list": []})"));
    controller->reportConnect(1, 0);
    clock.advance(HomeConnectController::kReportDelayMs);
    EXPECT_TRUE(reports.empty());
}

TEST_F(HomeConnectControllerTest, WithoutATokenNothingIsSentAndTheRoadEnds)
{
    user.reset();
    controller->startConnect();
    EXPECT_TRUE(sentIds.empty());
    EXPECT_EQ(view.errors.size(), 1);
    expectPausedThenReset();
}

TEST_F(HomeConnectControllerTest, RefusalsEndPausedWithTheirMessage)
{
    struct Case
    {
        const char *name;
        std::optional<QJsonObject> result;
        std::optional<QString> message;
        std::optional<QString> code;
        QString toast;
    };
    const std::vector<Case> cases = {
        {"transport failure", std::nullopt, QStringLiteral("server busy"), QStringLiteral("500"),
         QStringLiteral("server busy")},
        {"refusal with a message", std::nullopt, QStringLiteral("line full"), QStringLiteral("C100"),
         QStringLiteral("line full")},
        {"account exception", std::nullopt, std::nullopt, QStringLiteral("500"),
         QStringLiteral("请连接线路")},
        {"success 0", json(R"({"success": 0, "message": "no"})"), std::nullopt,
         QStringLiteral("200"), QStringLiteral("no")},
        {"success not a number", json(R"({"success": "1"})"), std::nullopt, QStringLiteral("200"),
         QString()},
        {"no data", json(R"({"success": true, "message": "empty"})"), std::nullopt,
         QStringLiteral("200"), QStringLiteral("empty")},
        {"no region", json(R"({"success": 1, "message": "m", "data": {"in_region_code": "CN",
           "in_region_name": "x"}})"), std::nullopt, QStringLiteral("200"), QStringLiteral("m")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        view = RecordingView();
        controller->startConnect();
        answer(c.result, c.message, c.code);
        EXPECT_EQ(view.errors, QStringList{c.toast});
        EXPECT_FALSE(view.looks.contains(QStringLiteral("upgradePage")));
        expectPausedThenReset();
        EXPECT_FALSE(controller->isConnecting());
    }
    EXPECT_TRUE(starts.empty());
}

TEST_F(HomeConnectControllerTest, AGrantedConnectionStartsTheEnginesFromTheFilesItWrote)
{
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, false);
    grant();
    // The files come first, then the start, which is handed their place and the TUN switch.
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts.front().configPath, HLLConnection::sslocalConfigPath());
    EXPECT_FALSE(starts.front().tunOn);
    EXPECT_TRUE(QFileInfo::exists(HLLConnection::sslocalConfigPath()));
    EXPECT_TRUE(QFileInfo::exists(HLLConnection::singBoxConfigPath()));
    EXPECT_EQ(localDefaultsRegistered, 1);
    UserDefaults &defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.dictionaryValue(DefaultsKeys::VPNInfo)->value(QStringLiteral("configPath")).toString(),
              HLLConnection::sslocalConfigPath());
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::kLocalDnsServerAddress), QStringLiteral("223.5.5.5"));
    EXPECT_TRUE(defaults.boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_TRUE(controller->isConnecting());

    ASSERT_TRUE(startDone);
    startDone(true);
    EXPECT_EQ(applied, std::vector<bool>{true});
    ASSERT_TRUE(applyDone);
    applyDone(std::nullopt);
    EXPECT_TRUE(controller->isConnected());
    EXPECT_EQ(view.lastLook(), QStringLiteral("running"));

    // A stop made elsewhere shows the stopped look; an engine lost under the kill switch, its look.
    engineLost(true);
    EXPECT_EQ(view.lastLook(), QStringLiteral("killSwitch"));
    proxyStopped();
    EXPECT_EQ(view.lastLook(), QStringLiteral("clockOff"));
    EXPECT_TRUE(view.looks.contains(QStringLiteral("stopped")));
    EXPECT_FALSE(controller->isConnected());
    EXPECT_FALSE(defaults.boolForKey(DefaultsKeys::kProxyConnected));
}

TEST_F(HomeConnectControllerTest, WithTunOnTheLocalProxyDefaultsAreLeftAlone)
{
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, true);
    grant();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_TRUE(starts.front().tunOn);
    EXPECT_EQ(localDefaultsRegistered, 0);
}

TEST_F(HomeConnectControllerTest, UnwritableEngineFilesEndTheRoadBeforeAnyStart)
{
    // The private folder's place is taken by a file.
    ASSERT_TRUE(QDir().mkpath(AppPaths::dataFolder()));
    QFile blocker(AppPaths::privateFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    grant();
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(view.errors.size(), 1);
    EXPECT_FALSE(controller->isConnecting());
    EXPECT_FALSE(UserDefaults::standard().dictionaryValue(DefaultsKeys::VPNInfo).has_value());
}

TEST_F(HomeConnectControllerTest, AStartAnsweredAfterTheScreenWentStillReachesTheSwitchboard)
{
    grant();
    ASSERT_TRUE(startDone);
    controller.reset();
    // A failed start still has the switchboard roll back, with nobody left to tell.
    startDone(false);
    EXPECT_EQ(applied, std::vector<bool>{false});
    ASSERT_TRUE(applyDone);
    applyDone(QStringLiteral("engine did not start"));
}

TEST_F(HomeConnectControllerTest, C5000OpensTheFreePageOnlyForFreeUsers)
{
    controller->startConnect();
    answer(std::nullopt, QStringLiteral("members only"), QStringLiteral("C5000"));
    EXPECT_TRUE(view.looks.contains(QStringLiteral("upgradePage")));
    EXPECT_EQ(view.errors, QStringList{QStringLiteral("members only")});
    expectPausedThenReset();

    signIn(R"({"user": {"id": 5, "api_token": "t", "user_level": 0}})");
    view = RecordingView();
    controller->startConnect();
    answer(std::nullopt, QStringLiteral("members only"), QStringLiteral("C5000"));
    EXPECT_TRUE(view.looks.contains(QStringLiteral("freePage")));
    EXPECT_FALSE(view.looks.contains(QStringLiteral("upgradePage")));
    expectPausedThenReset();
}

TEST_F(HomeConnectControllerTest, MembershipGateSendsOrdinaryUsersOfMemberLinesToThePurchasePage)
{
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo,
                                       QStringLiteral(R"({"id": 3, "kind": 1})"));
    const QJsonObject granted = json(R"({"success": true, "data": {"in_region_code": "CN",
        "out_region_code": "US", "in_region_name": "x"}})");

    signIn(R"({"user": {"id": 5, "api_token": "t", "user_type": 1}})");
    controller->startConnect();
    answer(granted, std::nullopt, QStringLiteral("200"));
    EXPECT_TRUE(view.looks.contains(QStringLiteral("upgradePage")));
    EXPECT_TRUE(view.errors.isEmpty());
    expectPausedThenReset();

    OOHomeNodeModel memberLine;
    memberLine.kind = 1;
    EXPECT_FALSE(HomeConnectController::lineNeedsMembership(
        memberLine, HHUserInfo::fromJson(json(R"({"user": {"api_token": "t", "user_type": 2}})"))));
    EXPECT_FALSE(HomeConnectController::lineNeedsMembership(
        memberLine, HHUserInfo::fromJson(json(R"({"user": {"api_token": "t"}})"))));
    memberLine.kind = 0;
    EXPECT_FALSE(HomeConnectController::lineNeedsMembership(
        memberLine, HHUserInfo::fromJson(json(R"({"user": {"api_token": "t", "user_type": 1}})"))));
}

TEST_F(HomeConnectControllerTest, AnAnswerToAnEarlierAttemptIsDropped)
{
    controller->startConnect();
    auto first = std::move(pending);
    controller->startConnect();
    first(std::nullopt, QStringLiteral("late"), QStringLiteral("C1"));
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_TRUE(controller->isConnecting());
}

TEST_F(HomeConnectControllerTest, StopWhileOffDoesNothing)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    bool called = false;
    controller->stopProxy(true, [&] { called = true; });
    EXPECT_FALSE(called);
    EXPECT_TRUE(view.looks.isEmpty());

    // A line chosen while disconnected is only remembered.
    OOHomeNodeModel line;
    line.id = 77;
    controller->changeLine(line);
    clock.advance(1000);
    EXPECT_TRUE(sentIds.empty());
    EXPECT_EQ(OOHomeNodeModel::cachedLine()->id, 77);
    EXPECT_EQ(events, QStringList{QStringLiteral("homePage_selectMode_click")});
}

TEST_F(HomeConnectControllerTest, LineTableRefusesTheChosenLineAndGatesMemberLines)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    OOHomeNodeModel chosen;
    chosen.id = 12;
    chosen.isClickState = true;
    EXPECT_FALSE(controller->selectLineRow(chosen));

    OOHomeNodeModel member;
    member.id = 90;
    member.kind = 1;
    signIn(R"({"user": {"id": 5, "api_token": "t", "user_type": 1}})");
    EXPECT_FALSE(controller->selectLineRow(member));
    EXPECT_EQ(view.looks, QStringList{QStringLiteral("upgradePage")});
    EXPECT_EQ(OOHomeNodeModel::cachedLine()->id, 12) << "a refused line is not stored";
    EXPECT_TRUE(events.isEmpty());

    signIn(R"({"user": {"id": 5, "api_token": "t", "user_type": 2}})");
    EXPECT_TRUE(controller->selectLineRow(member));
    EXPECT_EQ(OOHomeNodeModel::cachedLine()->id, 90);
    EXPECT_EQ(events, QStringList{QStringLiteral("homePage_selectMode_click")});
}

TEST_F(HomeConnectControllerTest, ChoosingARowMovesTheChosenMark)
{
    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
    QList<OOHomeNodeModel> lines;
    for (const int id : {1, 2, 3}) {
        OOHomeNodeModel line;
        line.id = id;
        line.name = QStringLiteral("line %1").arg(id);
        lines << line;
    }
    controller->setShowList(lines);

    EXPECT_TRUE(controller->selectLineRow(0));
    EXPECT_TRUE(controller->showList().at(0).isClickState);
    EXPECT_EQ(controller->selectLineMode()->id, 1);
    // The mark the table set itself refuses a second click, without any help from outside.
    EXPECT_FALSE(controller->selectLineRow(0));
    EXPECT_FALSE(controller->selectLineRow(lines.at(0))) << "a fresh copy of the chosen line";

    EXPECT_TRUE(controller->selectLineRow(2));
    EXPECT_FALSE(controller->showList().at(0).isClickState) << "the previous line lost its mark";
    EXPECT_TRUE(controller->showList().at(2).isClickState);
    EXPECT_EQ(controller->selectLineMode()->id, 3);
    EXPECT_EQ(OOHomeNodeModel::cachedLine()->id, 3);
    EXPECT_EQ(events.count(QStringLiteral("homePage_selectMode_click")), 2);

    // A refreshed list keeps the mark on the chosen line.
    controller->setShowList(lines);
    EXPECT_TRUE(controller->showList().at(2).isClickState);
    EXPECT_FALSE(controller->selectLineRow(2));
    EXPECT_FALSE(controller->selectLineRow(7)) << "no such row";
}

} // namespace

TEST_F(HomeConnectControllerTest, AServicesMemberLeftEmptyStopsTheProgramNamingIt)
{
    // The real parts are a choice (Services::real()); a forgotten fake never quietly becomes the
    // process-wide switchboard or user table.
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const auto &[name, clear] : std::vector<std::pair<std::string, std::function<void(HomeConnectController::Services &)>>>{
             {"track", [](auto &s) { s.track = {}; }},
             {"startEngines", [](auto &s) { s.startEngines = {}; }},
             {"watchEngines", [](auto &s) { s.watchEngines = {}; }}}) {
        HomeConnectController::Services partial = services;
        clear(partial);
        EXPECT_EQ(partial.firstEmptyMember(), QString::fromStdString(name));
        EXPECT_DEATH(HomeConnectController(view, nullptr, clock, partial), "Services::" + name + " was left empty");
    }
    EXPECT_FALSE(services.firstEmptyMember().has_value());
    EXPECT_FALSE(HomeConnectController::Services::real().firstEmptyMember().has_value());
}

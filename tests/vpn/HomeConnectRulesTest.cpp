// The connect road's pure rules: direction, DNS and list choice, running mode, connection report.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "support/ConnectTestSupport.h"
#include "vpn/HomeConnectController.h"

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# test list\n");
}

class HomeConnectRulesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        QDir(AppPaths::privateFolder()).removeRecursively();
        QDir(QDir::homePath() + QStringLiteral("/.Ostrel_mac_privoxy")).removeRecursively();
    }
};

TEST_F(HomeConnectRulesTest, RegionDirectionFollowsTheTable)
{
    EXPECT_EQ(HomeConnectController::regionDirection("CN", "US"), ProxyStatus::dto);
    EXPECT_EQ(HomeConnectController::regionDirection("JP", "US"), ProxyStatus::dtd);
    EXPECT_EQ(HomeConnectController::regionDirection("CN_SH", "CN"), ProxyStatus::oto);
    EXPECT_EQ(HomeConnectController::regionDirection("US", "CNX"), ProxyStatus::otd);
    // Only a leading "CN" counts.
    EXPECT_EQ(HomeConnectController::regionDirection("xCN", "cn"), ProxyStatus::dtd);
}

TEST_F(HomeConnectRulesTest, SmartModeListsFollowTheDirectionWithDataFilesFirst)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
    const QString resources = AppPaths::resourceFolder() + QStringLiteral("/acl/");

    // Entry domestic, exit overseas: the domestic-to-overseas list.
    EXPECT_EQ(HomeConnectController::aclFilePath("US", "CN"), resources + "gfwlist_d2o.acl");
    touch(AppPaths::privateFolder() + "/gfwlist.acl");
    EXPECT_EQ(HomeConnectController::aclFilePath("US", "CN"),
              AppPaths::privateFolder() + "/gfwlist.acl");

    // Exit domestic: the list the route-file update installs in the data folder, else one in the
    // older second folder, else the overseas-to-domestic resource.
    EXPECT_EQ(HomeConnectController::aclFilePath("CN", "HK"), resources + "gfwlist_o2d.acl");
    const QString older = QDir::homePath() + "/.Ostrel_mac_privoxy/private/gfwlist_otd.acl";
    touch(older);
    EXPECT_EQ(HomeConnectController::aclFilePath("CN", "HK"), older);
    touch(AppPaths::privateFolder() + "/gfwlist_otd.acl");
    EXPECT_EQ(HomeConnectController::aclFilePath("CN", "HK"), AppPaths::privateFolder() + "/gfwlist_otd.acl");

    // Both or neither domestic: the global list, whatever the mode.
    EXPECT_EQ(HomeConnectController::aclFilePath("CN", "CN"), resources + "global.acl");
    EXPECT_EQ(HomeConnectController::aclFilePath("JP", "US"), resources + "global.acl");
    touch(AppPaths::privateFolder() + "/global.acl");
    EXPECT_EQ(HomeConnectController::aclFilePath("JP", "US"),
              AppPaths::privateFolder() + "/global.acl");
}

TEST_F(HomeConnectRulesTest, GlobalModeAndAbsentModeTakeTheGlobalList)
{
    const QString global = AppPaths::resourceFolder() + QStringLiteral("/acl/global.acl");
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    EXPECT_EQ(HomeConnectController::aclFilePath("US", "CN"), global);
    UserDefaults::standard().remove(DefaultsKeys::kProxyMode);
    EXPECT_EQ(HomeConnectController::aclFilePath("US", "CN"), global);
}

TEST_F(HomeConnectRulesTest, RunningModeTreatsAnAbsentModeAsSmart)
{
    RecordingView view;
    HomeConnectController controller(view, nullptr, ConnectClock::system(), HomeConnectController::Services::real());
    UserDefaults &defaults = UserDefaults::standard();

    controller.applyRunningMode();
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::ShadowsocksRunningMode), QStringLiteral("auto"));
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::mac_proxy_pac), QStringLiteral("gfwlist_d2o.acl"));

    defaults.setInteger(DefaultsKeys::kProxyMode, 1);
    controller.applyRunningMode();
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::ShadowsocksRunningMode), QStringLiteral("global"));
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::mac_proxy_pac), QStringLiteral("global.acl"));

    defaults.setString(DefaultsKeys::kProxyMode, QStringLiteral("1"));
    controller.applyRunningMode();
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::ShadowsocksRunningMode), QStringLiteral("auto"));
}

QJsonObject nodeInfo()
{
    return QJsonDocument::fromJson(R"({
        "proxy_session_token": "tok",
        "node_list": [
            {"id": "a", "plugin_status": "1", "plugin_domain": "cdn.example"},
            {"id": 7},
            {"id": "c", "plugin_status": "1"},
            {"id": "d", "plugin_status": 1}
        ]})").object();
}

TEST_F(HomeConnectRulesTest, ConnectReportKeepsStringIdsAndCountsOnlyKeptEntries)
{
    const auto report = HomeConnectController::buildConnectReport(1, nodeInfo(), 12, 2, 0,
                                                                   100.0, 101.5);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->value("line_id").toString(), QStringLiteral("12"));
    EXPECT_EQ(report->value("success").toInt(), 1);
    EXPECT_DOUBLE_EQ(report->value("wait_time").toDouble(), 1500.0);
    EXPECT_EQ(report->value("connect_method").toInt(), 2);
    EXPECT_EQ(report->value("is_connect").toInt(), 0);
    EXPECT_EQ(report->value("child_index").toInt(), 2);
    EXPECT_EQ(report->value("proxy_session_token").toString(), QStringLiteral("tok"));

    const QJsonArray nodes =
        QJsonDocument::fromJson(report->value("node_content").toString().toUtf8()).array();
    ASSERT_EQ(nodes.size(), 3);
    const int expectedTypes[] = {4, 2, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nodes[i]["idx"].toInt(), i);
        EXPECT_EQ(nodes[i]["connect_type"].toInt(), expectedTypes[i]);
    }
    EXPECT_EQ(nodes[1]["node_id"].toString(), QStringLiteral("c"));
}

TEST_F(HomeConnectRulesTest, StopReportAndUnsentReports)
{
    const auto stop = HomeConnectController::buildConnectReport(1, {}, std::nullopt, std::nullopt,
                                                                1, 0.0, 50.0);
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->value("is_connect").toInt(), 1);
    EXPECT_DOUBLE_EQ(stop->value("wait_time").toDouble(), 0.0);
    EXPECT_EQ(stop->value("line_id").toString(), QString());
    EXPECT_FALSE(stop->contains("child_index"));
    EXPECT_FALSE(stop->contains("node_content"));
    EXPECT_FALSE(stop->contains("proxy_session_token"));

    EXPECT_FALSE(HomeConnectController::buildConnectReport(1, nodeInfo(), 1, std::nullopt, 0, 0.0,
                                                           50.0));
    QJsonObject numericToken;
    numericToken.insert("proxy_session_token", 5);
    const auto report = HomeConnectController::buildConnectReport(1, numericToken, 1, std::nullopt,
                                                                  1, 0.0, 1.0);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->contains("proxy_session_token"));
}

} // namespace

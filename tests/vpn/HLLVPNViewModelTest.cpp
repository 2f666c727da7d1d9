// The legacy connect model: its road over the legacy endpoints of the stand-in service, and the
// "VPNStop" answer that restores the settings once the model exists.

#include <QJsonArray>
#include <QTest>

#include <gtest/gtest.h>

#include "common/unreached/HLLAppConstant.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/UserDefaults.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/MessageCapture.h"
#include "support/RecordingHelper.h"
#include "support/StandinProcess.h"
#include "common/NotificationNames.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/unreached/HLLVPNViewModel.h"
#include "vpn/ProxyConfigRemoteProcessProtocol.h"
#include "common/ApiPaths.h"

namespace {

TEST(HLLVPNViewModelTest, VPNStopRestoresTheProxyOnceTheModelExists)
{
    RecordingHelper helper(RecordingHelper::Answers::AtOnce);
    HLLPACUtilWrapper::setHelperForTesting(&helper);
    HLLVPNViewModel::resetForTesting();
    NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
    EXPECT_TRUE(helper.journal().isEmpty());

    HLLVPNViewModel::shared();
    NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
    EXPECT_EQ(helper.journal(), QStringList{QStringLiteral("disable")});
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
}

TEST(HLLVPNViewModelTest, ProxyExceptionsAreTheSevenInOrder)
{
    EXPECT_EQ(HLLPACUtilWrapper::proxyIgnoreList(),
              (QStringList{"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64",
                           "::1", "FD00::/8"}));
}

class HLLVPNViewModelRoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_standin.start()) << m_standin.errorText().toStdString();
        m_hooks = installRecordingHooks();
        pointClientAt({m_standin.baseUrl()});
        EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
        bool done = false;
        OONetWorkTool::login([&done](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
        m_group().remove(HLLAppConstant::is_domestic());
    }

    static UserDefaults &m_group() { return UserDefaults::suite(HLLAppConstant::sharedGroupIdentifier()); }

    // Paths the service was asked for, in order.
    QStringList paths() const
    {
        QStringList out;
        for (const QJsonValue &request : m_standin.records().value(QStringLiteral("requests")).toArray())
            out << request.toObject().value(QStringLiteral("path")).toString();
        return out;
    }

    StandinProcess m_standin;
    std::shared_ptr<RecordingHooks> m_hooks;
};

TEST_F(HLLVPNViewModelRoadTest, RecordsTheLocationThenAsksForTheNode)
{
    std::optional<std::optional<QJsonObject>> result;
    HLLVPNViewModel::shared().connect(101, [&](const std::optional<QJsonObject> &data, const auto &error) {
        EXPECT_FALSE(error.has_value());
        result = data;
    });
    // A granted connection starts nothing, but its caller hears of it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    EXPECT_TRUE(result->has_value());
    EXPECT_EQ(m_group().boolValue(HLLAppConstant::is_domestic()), true);
    EXPECT_LT(paths().indexOf(ApiPaths::kLocationV2), paths().indexOf(ApiPaths::kNodesConnect));
}

TEST_F(HLLVPNViewModelRoadTest, AFailedLocationEndsTheRoadSilently)
{
    ASSERT_TRUE(m_standin.fault(ApiPaths::kLocationV2, QStringLiteral("http500"), 1));
    MessageCapture messages;
    int failedRoadAnswers = 0;
    HLLVPNViewModel::shared().connect(7, [&](const auto &, const auto &) { ++failedRoadAnswers; });
    // The network layer has read the failed lookup's reply.
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.contains(QStringLiteral("location\" failed:")); }, 10000));

    // A second road, started after that, runs whole (two requests) while the first one's failure
    // is handed on.
    bool secondAnswered = false;
    HLLVPNViewModel::shared().connect(8, [&](const auto &, const auto &) { secondAnswered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return secondAnswered; }, 10000));

    // The first road ended without a connect request and without an answer.
    EXPECT_EQ(failedRoadAnswers, 0);
    EXPECT_EQ(paths().count(ApiPaths::kLocationV2), 1) << "the failed lookup is not among the served requests";
    EXPECT_EQ(paths().count(ApiPaths::kNodesConnect), 1);
}

TEST_F(HLLVPNViewModelRoadTest, RefusedConnectReportsCode101)
{
    const auto connectAndWait = [] {
        std::optional<HLLVPNViewModel::Failure> failure;
        bool answered = false;
        HLLVPNViewModel::shared().connect(101, [&](const std::optional<QJsonObject> &result,
                                                   const std::optional<HLLVPNViewModel::Failure> &error) {
            EXPECT_FALSE(result.has_value());
            failure = error;
            answered = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
        return failure;
    };

    ASSERT_TRUE(m_standin.fault(ApiPaths::kNodesConnect, QStringLiteral("fail"), 1));
    const std::optional<HLLVPNViewModel::Failure> failure = connectAndWait();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->domain, QStringLiteral("101"));
    EXPECT_EQ(failure->code, 101);
}

} // namespace

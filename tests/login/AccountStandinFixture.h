#pragma once

// Shared by the account screen tests that talk to the service: a stand-in of its own for every
// test, the client pointed at it, the screens' alerts recorded, and no user stored.
#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "uikit/UiTiming.h"
#include "common/MKUserInfoManager.h"
#include "support/NetworkTestSupport.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "support/StandinProcess.h"

class AccountStandinFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_standin.start()) << m_standin.errorText().toStdString();
        m_hooks = installRecordingHooks();
        ASSERT_TRUE(pointClientAt({m_standin.baseUrl()}));
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    }
    void TearDown() override { EXPECT_TRUE(MKUserInfoManager::shared().clearUser()); }

    // Signs in with the parameters as the forms do; true when the service signed the user in
    // in time and the user was stored.
    bool signIn(const QJsonObject &params)
    {
        std::optional<bool> ok;
        OONetWorkTool::accountLogin(params, [&](std::optional<QJsonObject> reply, std::optional<NetError>) {
            ok = AccountReply::readSignIn(reply).isSuccess();
        });
        if (!QTest::qWaitFor([&] { return ok.has_value(); }, 10000))
            return false;
        return *ok;
    }

    UiTimingScope m_timing{0.1};
    StandinProcess m_standin;
    std::shared_ptr<RecordingHooks> m_hooks;
};

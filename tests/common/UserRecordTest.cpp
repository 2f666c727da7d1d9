// The signed-in user's record: decoding rules, keys kept through a re-save, and the manager.
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>

#include "common/HHUserInfo.h"
#include "common/MKConnection.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"

namespace {

QJsonObject parse(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

const char *kSignInData = R"({
    "kind": 1, "exist_new_message": 0, "proxy_session_id": "ps-1", "resource_version": {"x": 1},
    "user": {"id": 42, "api_token": "secret-token", "user_type": 1, "user_level": 2,
             "username": "u42", "phone": "13800138000", "email_address": "someone@example.com",
             "region_code": "+86", "vip_invalid_time": "2030-01-01", "svip_invalid_time": "",
             "avatar": "https://a.example/x.png", "nested": {"keep": true}}
})";

class UserRecordTest : public ::testing::Test
{
protected:
    void SetUp() override { EXPECT_TRUE(MKUserInfoManager::shared().clearUser()); }
};

} // namespace

TEST_F(UserRecordTest, DecodesDeclaredFieldsAndKeepsEveryKeyOnReencoding)
{
    const std::optional<HHUserInfo> info = HHUserInfo::fromJson(parse(kSignInData));
    ASSERT_TRUE(info.has_value());
    ASSERT_TRUE(info->user.has_value());
    EXPECT_EQ(info->user->id, 42);
    EXPECT_EQ(info->user->apiToken, QStringLiteral("secret-token"));
    EXPECT_EQ(info->user->userLevel, 2);
    EXPECT_EQ(info->user->emailAdress, QStringLiteral("someone@example.com"));
    EXPECT_EQ(info->proxySessionId, QStringLiteral("ps-1"));
    EXPECT_TRUE(info->hasToken());

    EXPECT_EQ(info->toJson(), parse(kSignInData)) << "nothing added, nothing lost";
}

TEST_F(UserRecordTest, MissingRegionCodeStillDecodesAndWrongTypesFail)
{
    const auto withoutRegion = HHUserInfo::fromJson(parse(R"({"user": {"id": 1, "api_token": "t"}})"));
    ASSERT_TRUE(withoutRegion.has_value());
    EXPECT_TRUE(withoutRegion->user->regionCode.isEmpty());

    EXPECT_FALSE(HHUserInfo::fromJson(parse(R"({"user": {"id": "1"}})")).has_value());
    EXPECT_FALSE(HHUserInfo::fromJson(parse(R"({"user": {"id": 1.5}})")).has_value());
    EXPECT_FALSE(HHUserInfo::fromJson(parse(R"({"user": "nobody"})")).has_value());
    EXPECT_FALSE(HHUserInfo::fromJson(parse(R"({"user": {"phone": 138}})")).has_value());

    const auto nulls = HHUserInfo::fromJson(parse(R"({"user": {"id": 2, "phone": null}, "kind": "1"})"));
    ASSERT_TRUE(nulls.has_value());
    EXPECT_FALSE(nulls->user->phone.has_value());
    EXPECT_EQ(nulls->kind, 1);

    // A number past any integer range leaves the field unknown, not some wrapped value.
    const auto huge = HHUserInfo::fromJson(parse(R"({"user": {"id": 3}, "kind": 1e300, "exist_new_message": -1e19})"));
    ASSERT_TRUE(huge.has_value());
    EXPECT_FALSE(huge->kind.has_value());
    EXPECT_FALSE(huge->existNewMessage.has_value());

    const auto noUser = HHUserInfo::fromJson(parse(R"({"kind": 1})"));
    ASSERT_TRUE(noUser.has_value());
    EXPECT_FALSE(noUser->hasToken());
    EXPECT_FALSE(noUser->maskedAccount().has_value());
}

TEST_F(UserRecordTest, MaskedAccountPrefersThePhone)
{
    auto info = HHUserInfo::fromJson(parse(kSignInData));
    EXPECT_EQ(info->maskedAccount(), QStringLiteral("+86******8000"));
    info->user->phone.reset();
    EXPECT_EQ(info->maskedAccount(), QStringLiteral("s*****ple.com"));
    info->user->emailAdress = QStringLiteral("a@b.com");
    EXPECT_FALSE(info->maskedAccount().has_value());
}

TEST_F(UserRecordTest, ManagerSavesReplacesAndClears)
{
    MKUserInfoManager &manager = MKUserInfoManager::shared();
    EXPECT_FALSE(manager.saveUser(parse(R"({"kind": 1})"))) << "no user, nothing stored";
    EXPECT_FALSE(manager.saveUser(parse(R"({"user": {"id": "bad"}})")));
    EXPECT_FALSE(manager.currentUser().has_value());

    ASSERT_TRUE(manager.saveUser(parse(kSignInData)));
    EXPECT_FALSE(manager.isVipValid()) << "the senior expiry time is empty";

    QJsonObject renewed = parse(kSignInData);
    QJsonObject user = renewed.value(QStringLiteral("user")).toObject();
    user.insert(QStringLiteral("svip_invalid_time"), QStringLiteral("2031-01-01"));
    renewed.insert(QStringLiteral("user"), user);
    ASSERT_TRUE(manager.saveUser(renewed));
    EXPECT_TRUE(manager.isVipValid());

    ASSERT_TRUE(manager.updatePhone(QStringLiteral("+44"), QStringLiteral("7700900123")));
    const std::optional<HHUserInfo> stored = manager.currentUser();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->user->phone, QStringLiteral("7700900123"));
    EXPECT_EQ(stored->user->regionCode, QStringLiteral("+44"));
    EXPECT_EQ(stored->user->apiToken, QStringLiteral("secret-token")) << "the token survives a re-save";
    const QJsonObject storedJson = stored->toJson();
    EXPECT_EQ(storedJson.value(QStringLiteral("user")).toObject().value(QStringLiteral("avatar")).toString(),
              QStringLiteral("https://a.example/x.png"));
    EXPECT_TRUE(storedJson.value(QStringLiteral("resource_version")).isObject());

    int rows = -1;
    MKConnection::shared().run(QStringLiteral("count"), [&](SQLite::Database &database) {
        rows = database.execAndGet("SELECT COUNT(*) FROM \"User\"").getInt();
    });
    EXPECT_EQ(rows, 1) << "one row per user id";

    ASSERT_TRUE(manager.clearUser());
    EXPECT_FALSE(manager.currentUser().has_value());
    EXPECT_FALSE(manager.isVipValid());
    EXPECT_FALSE(manager.updatePhone(QStringLiteral("+1"), QStringLiteral("5551234"))) << "no stored user";
    EXPECT_FALSE(manager.currentUser().has_value());
}

TEST_F(UserRecordTest, RefreshedAccountIsStoredWithoutItsResourceVersions)
{
    // Every screen that refreshes the account (more page, home screen, upgrade check) stores it
    // through this one road, so the stored row is the same whichever refreshed last.
    MKUserInfoManager &manager = MKUserInfoManager::shared();
    ASSERT_TRUE(manager.storeRefreshedAccount(parse(kSignInData)));
    const std::optional<HHUserInfo> stored = manager.currentUser();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->user->apiToken, QStringLiteral("secret-token"));
    EXPECT_FALSE(stored->toJson().contains(QStringLiteral("resource_version")));

    EXPECT_FALSE(manager.storeRefreshedAccount(parse(R"({"resource_version": {"x": 2}})")))
        << "a refresh without a user stores nothing";
    EXPECT_EQ(manager.currentUser()->user->id, 42) << "and leaves the stored user as it was";
}

#include <QJsonObject>

#include <gtest/gtest.h>

#include "upgrade/upgradeSetting.h"

TEST(UpgradeSettingTest, RequiredIntegersDecideWhetherThereIsAnOffer)
{
    EXPECT_FALSE(upgradeSetting::fromJson(QJsonObject{{QStringLiteral("update_state"), 1}}).has_value());
    EXPECT_FALSE(upgradeSetting::fromJson(QJsonObject{{QStringLiteral("is_update"), 1}}).has_value());
    EXPECT_FALSE(upgradeSetting::fromJson(QJsonObject{{QStringLiteral("update_state"), QStringLiteral("3")},
                                                      {QStringLiteral("is_update"), 1}}).has_value());
    EXPECT_FALSE(upgradeSetting::fromJson(QJsonObject{{QStringLiteral("update_state"), 2.5},
                                                      {QStringLiteral("is_update"), 1}}).has_value());
    // A text field of another type spoils the record as a whole.
    EXPECT_FALSE(upgradeSetting::fromJson(QJsonObject{{QStringLiteral("update_state"), 1}, {QStringLiteral("is_update"), 1},
                                                      {QStringLiteral("update_url"), 7}}).has_value());

    const QJsonObject minimal{{QStringLiteral("update_state"), 3}, {QStringLiteral("is_update"), 1}};
    const std::optional<upgradeSetting> setting = upgradeSetting::fromJson(minimal);
    ASSERT_TRUE(setting.has_value());
    EXPECT_EQ(setting->update_state, 3);
    EXPECT_FALSE(setting->update_url || setting->update_title || setting->update_content || setting->version
                 || setting->jump_url);
    EXPECT_EQ(setting->toJson(), minimal);
}

TEST(UpgradeSettingTest, EncodingRoundTrips)
{
    const QJsonObject full{{QStringLiteral("update_state"), 1}, {QStringLiteral("update_url"), QStringLiteral("https://x/y.deb")},
                           {QStringLiteral("update_title"), QStringLiteral("新版本")}, {QStringLiteral("update_content"), QStringLiteral("notes")},
                           {QStringLiteral("version"), QStringLiteral("9.9.9")}, {QStringLiteral("jump_url"), QStringLiteral("https://x")},
                           {QStringLiteral("is_update"), 1}, {QStringLiteral("extra"), true}};
    const std::optional<upgradeSetting> setting = upgradeSetting::fromJson(full);
    ASSERT_TRUE(setting.has_value());
    EXPECT_EQ(setting->toJson().size(), 7);
    EXPECT_EQ(upgradeSetting::fromJson(setting->toJson()), setting);
    EXPECT_EQ(upgradeSetting::fromDictionary(setting->toDictionary()), setting);
}

// The app-identity record and the stable choice of the interface that identifies the device.
#include <QSet>

#include <gtest/gtest.h>

#include "common/DeviceIdentity.h"
#include "common/HHAppInfo.h"
#include "common/unreached/HLLAppConstant.h"
#include "common/HLLAppInfo.h"
#include "common/OOAppinfoHelper.h"

TEST(AppInfoTest, RecordHasExactlyTheSeventeenKeys)
{
    HHAppInfo::setApiDomainProvider([] { return QStringLiteral("https://api.example"); });
    const QJsonObject json = makeAppInfo().toJson();
    HHAppInfo::setApiDomainProvider(nullptr);

    const QSet<QString> expected{ "device_uuid", "uuid", "vpn_key", "project_name", "agent_id", "app_channel",
                                  "platform", "device_os", "app_version_number", "app_version", "app_name",
                                  "device_model", "device_bundle", "inner_ip", "device_system_language",
                                  "apiDomain", "api_domain" };
    const QStringList keys = json.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), expected);
    for (const QString &key : keys)
        EXPECT_TRUE(json.value(key).isString()) << key.toStdString();

    EXPECT_EQ(json.value("app_name").toString(), QStringLiteral("tamsine"));
    EXPECT_EQ(json.value("app_version").toString(), QStringLiteral("tamsine"));
    EXPECT_EQ(json.value("app_version_number").toString(), OOAppinfoHelper::getAppVersion());
    EXPECT_EQ(json.value("apiDomain").toString(), QStringLiteral("https://api.example"));
    EXPECT_EQ(json.value("api_domain").toString(), QStringLiteral("https://api.example"));
    EXPECT_EQ(json.value("device_uuid").toString(), json.value("uuid").toString());
    EXPECT_FALSE(json.value("vpn_key").toString().isEmpty());
    EXPECT_TRUE(makeAppInfo().apiDomain.isEmpty()) << "no provider, no domain";
}

TEST(AppInfoTest, PrimaryInterfaceIsChosenInAStableOrder)
{
    using Interface = DeviceIdentity::Interface;
    const Interface lo{ "lo", "00:00:00:00:00:00", true, true, { "127.0.0.1" } };
    const Interface docker{ "docker0", "02:42:AC:11:00:01", false, true, {} };
    const Interface wlan{ "wlp2s0", "AA:BB:CC:00:00:02", false, false, { "192.168.1.5" } };
    const Interface eth{ "enp3s0", "AA:BB:CC:00:00:01", false, false, {} };
    const Interface noAddress{ "eno0", "", false, false, {} };

    EXPECT_EQ(DeviceIdentity::choosePrimary({ wlan, lo, docker, eth, noAddress })->name, QStringLiteral("enp3s0"));
    EXPECT_EQ(DeviceIdentity::choosePrimary({ eth, wlan })->name, DeviceIdentity::choosePrimary({ wlan, eth })->name);
    EXPECT_EQ(DeviceIdentity::choosePrimary({ lo, docker })->name, QStringLiteral("docker0")) << "containers still get an id";
    EXPECT_FALSE(DeviceIdentity::choosePrimary({ lo, noAddress }).has_value());
}

TEST(AppInfoTest, ConstantsAndFacts)
{
    EXPECT_EQ(HLLAppConstant::sharedGroupIdentifier(), QStringLiteral("R8T2M6WQ4N.group.fenbra.mac.data"));
    EXPECT_EQ(HLLAppConstant::is_domestic(), QStringLiteral("is_domestic"));
    EXPECT_EQ(OOAppinfoHelper::getAppVersion(), QStringLiteral(OSTREL_VERSION));
    EXPECT_FALSE(OOAppinfoHelper::getBuildVersion().isEmpty());
    EXPECT_EQ(HLLAppInfo::shared().pacType(), 0) << "no stored proxy type";
    EXPECT_FALSE(HLLAppInfo::shared().deviceModel().isEmpty());
}

// The command-line proxy tool driver: the options it builds from the defaults, and a stand-in
// tool that records what it was given.
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "vpn/unreached/ProxyConfHelper.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProxyConfHelperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        ASSERT_TRUE(m_dir.isValid());
        m_tool = m_dir.filePath("proxy_conf_helper");
        QFile tool(m_tool);
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n"
                   "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$(dirname \"$0\")/calls.txt\"\n"
                   "echo --- >> \"$(dirname \"$0\")/calls.txt\"\n"
                   "if [ \"$1\" = -v ]; then printf '1.10.0\\n'; fi\n");
        tool.close();
        tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ProxyConfHelper::setToolPathForTesting(m_tool);
    }

    void TearDown() override { ProxyConfHelper::setToolPathForTesting({}); }

    QStringList calls() const
    {
        QFile file(m_dir.filePath("calls.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    QString m_tool;
};

TEST_F(ProxyConfHelperTest, ExceptionsSplitAtCommasSpacesAndTheIdeographicComma)
{
    UserDefaults::standard().setString(DefaultsKeys::ProxyExceptions, QStringLiteral("127.0.0.1, localhost\u3001192.168.0.0/16,\n"));
    QStringList arguments;
    ProxyConfHelper::addArguments4ManualSpecifyProxyExceptions(arguments);
    EXPECT_EQ(arguments, QStringList({"-x", "127.0.0.1", "-x", "localhost", "-x", "192.168.0.0/16"}));
}

TEST_F(ProxyConfHelperTest, NetworkServicesOnlyWhenNotConfiguredAutomatically)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setArray(DefaultsKeys::Proxy4NetworkServices, QJsonArray{"eth0", "wlan0"});
    defaults.setBool(DefaultsKeys::AutoConfigureNetworkServices, true);
    QStringList automatic;
    ProxyConfHelper::addArguments4ManualSpecifyNetworkServices(automatic);
    EXPECT_TRUE(automatic.isEmpty());

    defaults.setBool(DefaultsKeys::AutoConfigureNetworkServices, false);
    QStringList manual;
    ProxyConfHelper::addArguments4ManualSpecifyNetworkServices(manual);
    EXPECT_EQ(manual, QStringList({"--network-service", "eth0", "--network-service", "wlan0"}));
}

TEST_F(ProxyConfHelperTest, ActionsRunTheToolWithTheirOptions)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setString(DefaultsKeys::LocalSocks5_ListenAddress, "127.0.0.1");
    defaults.setInteger(DefaultsKeys::LocalSocks5_ListenPort, 9999);
    defaults.setBool(DefaultsKeys::AutoConfigureNetworkServices, true);
    defaults.setString(DefaultsKeys::ProxyExceptions, "localhost");

    ProxyConfHelper::enableGlobalProxy();
    ProxyConfHelper::enableTunProxy("223.5.5.5");
    ProxyConfHelper::disableProxy();
    EXPECT_EQ(calls(), QStringList({"--mode", "sock", "--port", "9999", "--socks-listen-address", "127.0.0.1", "-x", "localhost", "---",
                                    "--mode", "tun", "--dns-server-address", "223.5.5.5", "---",
                                    "--mode", "off", "--port", "9999", "--socks-listen-address", "127.0.0.1", "-x", "localhost", "---"}));

    defaults.setInteger(DefaultsKeys::LocalSocks5_ListenPort, 0);
    ProxyConfHelper::disableProxy();
    EXPECT_EQ(calls().size(), 23) << "port 0: nothing runs";

    // No listen address: the desktop proxy is not pointed at an empty host.
    defaults.remove(DefaultsKeys::LocalSocks5_ListenAddress);
    defaults.setInteger(DefaultsKeys::LocalSocks5_ListenPort, 9999);
    ProxyConfHelper::enableGlobalProxy();
    ProxyConfHelper::disableProxy();
    EXPECT_EQ(calls().size(), 23) << "no listen address: nothing runs";
}

TEST_F(ProxyConfHelperTest, VersionsCompareAsNumbers)
{
    EXPECT_TRUE(ProxyConfHelper::isVersionOk()) << "the stand-in prints 1.10.0";
    EXPECT_TRUE(ProxyConfHelper::isVersionAtLeast("1.9.1", "1.9.1"));
    EXPECT_TRUE(ProxyConfHelper::isVersionAtLeast("1.10.0\n", "1.9.1"));
    EXPECT_FALSE(ProxyConfHelper::isVersionAtLeast("1.9.0", "1.9.1"));
    EXPECT_FALSE(ProxyConfHelper::isVersionAtLeast("garbage", "1.9.1"));

    ProxyConfHelper::setToolPathForTesting(m_dir.filePath("missing-tool"));
    EXPECT_FALSE(ProxyConfHelper::isVersionOk());
    ProxyConfHelper::enableTunProxy("8.8.8.8"); // logs, does not crash
}

} // namespace

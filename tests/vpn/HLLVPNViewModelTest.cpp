// The legacy connect model still answers "VPNStop" by asking the helper to restore the settings.

#include <gtest/gtest.h>

#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HLLVPNViewModel.h"
#include "vpn/ProxyConfigRemoteProcessProtocol.h"

namespace {

class RecordingHelper : public ProxyConfigRemoteProcessProtocol
{
public:
    void getVersion(VersionReply) override {}
    void enableProxyWithPort(qint32, qint32, const std::optional<QString> &,
                             const std::optional<QString> &, bool, const QStringList &,
                             ErrorReply reply) override
    {
        calls << QStringLiteral("enable");
        reply(std::nullopt);
    }
    void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) override
    {
        calls << (filterInterface ? QStringLiteral("disable:YES") : QStringLiteral("disable:NO"));
        reply(std::nullopt);
    }
    void restoreProxyWithCurrentPort(qint32, qint32, const QJsonObject &, bool, ErrorReply) override {}
    void getCurrentProxySetting(SettingsReply) override {}

    QStringList calls;
};

TEST(HLLVPNViewModelTest, VPNStopRestoresTheProxyOnceTheModelExists)
{
    RecordingHelper helper;
    HLLPACUtilWrapper::setHelperForTesting(&helper);
    NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
    EXPECT_TRUE(helper.calls.isEmpty());

    HLLVPNViewModel::shared();
    NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
    EXPECT_EQ(helper.calls, QStringList{QStringLiteral("disable:YES")});
    HLLPACUtilWrapper::setHelperForTesting(nullptr);
}

TEST(HLLVPNViewModelTest, ProxyExceptionsAreTheSevenInOrder)
{
    EXPECT_EQ(HLLPACUtilWrapper::proxyIgnoreList(),
              (QStringList{"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64",
                           "::1", "FD00::/8"}));
}

} // namespace

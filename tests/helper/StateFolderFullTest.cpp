// The helper's state folder on a real full disk (a small tmpfs of the program's own): the service
// on the file backend, whose desktop file lies elsewhere.
#include "helper/FileProxyBackend.h"
#include "common/HelperProtocol.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"
#include "FaultyFileDesktop.h"
#include "support/MessageCapture.h"
#include "support/SmallDisk.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using Desktop = FaultyFileDesktop;

ProxySettings autoconfig()
{
    ProxySettings settings;
    settings.mode = ProxySettings::Mode::Auto;
    settings.autoconfigUrl = "http://wpad.example/proxy.pac";
    return settings;
}

QString enableTheListener(ProxyConfigService &service)
{
    return service.enableProxy(9999, 9999, {}, {}, true, {"127.0.0.1", "localhost", "10.0.0.0/8"});
}

ProxyConfigService::Reply disable(ProxyConfigService &service)
{
    return service.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
}

// The helper's state folder on a full disk: the enable changes nothing and says why (also where
// the disk fills as it writes the desktop); the disable
// still gives the desktop back; a restore cut short leaves the copy as it was, for a later
// attempt. No file is emptied.
TEST(StateFolderFullTest, LosesNothing)
{
    enum class Road { Enable, EnableUnrecorded, Disable, DisableCutShort };
    for (const Road road : {Road::Enable, Road::EnableUnrecorded, Road::Disable, Road::DisableCutShort}) {
        SCOPED_TRACE(int(road));
        Desktop desktop;
        SmallDisk disk(desktop.dir.filePath("state"));
        if (const std::optional<std::string> why = disk.unavailable())
            GTEST_SKIP() << *why;
        // Cut short, the user's PAC setting: written first, its address alone is no change of
        // theirs that would keep the enable's mode in place of their own.
        const ProxySettings users = road == Road::DisableCutShort ? autoconfig() : companyProxy();
        ASSERT_TRUE(desktop.backend.apply(users).isEmpty());
        const QByteArray before = desktop.bytes(desktop.backend.filePath());
        ProxyConfigService service(desktop.backend, desktop.state, "1.0");
        if (road == Road::EnableUnrecorded) {
            // Full once the copy is saved: what the enable wrote cannot be recorded, and a restore
            // without that record would write over a change the user makes while connected.
            desktop.backend.onApply = [&disk] { EXPECT_TRUE(disk.fill()); };
            const QString error = enableTheListener(service);
            desktop.backend.onApply = nullptr;
            EXPECT_TRUE(error.startsWith("proxy settings left unchanged")) << error.toStdString();
            EXPECT_TRUE(error.contains("No space left on device")) << error.toStdString();
            EXPECT_EQ(desktop.bytes(desktop.backend.filePath()), before) << "the enable was taken back";
            EXPECT_FALSE(desktop.state.anyRecord());
            continue;
        }
        if (road == Road::Enable) {
            ASSERT_TRUE(disk.fill());
            const QString error = enableTheListener(service);
            EXPECT_TRUE(error.startsWith("proxy settings left unchanged")) << error.toStdString();
            EXPECT_TRUE(error.contains("No space left on device")) << error.toStdString();
            EXPECT_EQ(desktop.bytes(desktop.backend.filePath()), before);
            EXPECT_TRUE(disable(service).error.isEmpty());
            EXPECT_EQ(desktop.bytes(desktop.backend.filePath()), before);
            continue;
        }
        ASSERT_TRUE(enableTheListener(service).isEmpty());
        const QByteArray copy = desktop.bytes(desktop.state.filePath());
        ASSERT_TRUE(disk.fill());
        desktop.backend.cutShort = road == Road::DisableCutShort;
        const ProxyConfigService::Reply reply = disable(service);
        desktop.backend.cutShort = false;
        if (road == Road::Disable) {
            EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
            EXPECT_EQ(desktop.read(), companyProxy());
            EXPECT_FALSE(desktop.state.anyRecord());
            continue;
        }
        EXPECT_FALSE(reply.error.isEmpty());
        EXPECT_EQ(desktop.bytes(desktop.state.filePath()), copy) << "the copy is as the enable left it";
        disk.makeRoom();
        ProxyConfigService next(desktop.backend, desktop.state, "1.0");
        MessageCapture log;
        EXPECT_TRUE(next.restoreLeftover().isEmpty());
        EXPECT_EQ(desktop.read(), users);
        EXPECT_FALSE(log.contains("the user's change stays")) << log.messages().join('\n').toStdString();
        EXPECT_FALSE(desktop.state.anyRecord());
    }
}

} // namespace

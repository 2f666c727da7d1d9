// Reachability hands over its first state itself, and the status callback says "not reachable".
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "networking/OONetWork.h"
#include "networking/OOReachability.h"

TEST(Reachability, ReportsTheFirstStateOnceStarted)
{
    OOReachability::shared().resetForTesting();
    QSignalSpy reports(&OOReachability::shared(), &OOReachability::statusChanged);
    OOReachability::shared().start();
    OOReachability::shared().start();   // a second start neither doubles the report nor the wiring
    EXPECT_TRUE(reports.isEmpty());       // delivered later, so a listener connected now still hears it
    ASSERT_TRUE(reports.wait(2000));
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.first().first().value<OOReachability::Status>(), OOReachability::shared().status());
}

TEST(Reachability, StatusCallbackIsTrueOnlyWhenNotReachable)
{
    std::optional<bool> down;
    OONetWork::networkStatusChanged(OOReachability::Status::NotReachable, [&](bool value) { down = value; });
    EXPECT_EQ(down, true);
    OONetWork::networkStatusChanged(OOReachability::Status::Reachable, [&](bool value) { down = value; });
    EXPECT_EQ(down, false);
    // Without a backend the state is unknown, which counts as reachable.
    OONetWork::networkStatusChanged(OOReachability::Status::Unknown, [&](bool value) { down = value; });
    EXPECT_EQ(down, false);
}

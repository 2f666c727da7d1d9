// Every ending goes through one road: a termination signal is taken into the event loop and runs
// the same teardown as a quit (the desktop proxy put back), once, and then quits.
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include "app/TerminationRoad.h"
#include "support/RecordingHelper.h"
#include "vpn/HLLPACUtilWrapper.h"

TEST(TerminationRoad, TerminationSignalsRestoreTheProxyOnceThenQuit)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        RecordingHelper helper(RecordingHelper::Answers::AtOnce);
        HLLPACUtilWrapper::setHelperForTesting(&helper);
        int teardowns = 0;
        int quits = 0;
        TerminationRoad road([&] {
            ++teardowns;
            HLLPACUtilWrapper::shutdown();
        });
        road.setQuitForTesting([&] { ++quits; });
        road.install();
        QSignalSpy ended(&road, &TerminationRoad::ended);

        ASSERT_EQ(::kill(::getpid(), number), 0);
        // Not inside the handler: the teardown runs once the event loop turns.
        EXPECT_EQ(teardowns, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 5000)) << "signal " << number;
        EXPECT_EQ(teardowns, 1);
        EXPECT_EQ(helper.journal().filter(QStringLiteral("disable")).size(), 1) << "the desktop proxy was not put back on signal " << number;
        ASSERT_EQ(ended.size(), 1);
        EXPECT_EQ(ended.first().at(0).value<TerminationRoad::Reason>(), TerminationRoad::Reason::Signal);
        EXPECT_EQ(ended.first().at(1).toInt(), number);

        // A second signal, and then the quit it caused, change nothing.
        ASSERT_EQ(::kill(::getpid(), SIGHUP), 0);
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        road.end(TerminationRoad::Reason::Quit);
        EXPECT_EQ(teardowns, 1);
        EXPECT_EQ(quits, 1);
        HLLPACUtilWrapper::setHelperForTesting(nullptr);
    }
}

TEST(TerminationRoad, TheApplicationsOwnQuitRunsTheTeardownWithoutQuittingAgain)
{
    int teardowns = 0;
    int quits = 0;
    TerminationRoad road([&] { ++teardowns; });
    road.setQuitForTesting([&] { ++quits; });
    road.end(TerminationRoad::Reason::Quit);
    road.end(TerminationRoad::Reason::SessionEnd);
    EXPECT_EQ(teardowns, 1);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(road.hasEnded());
}

// The end is under way from the moment a road begins its teardown, and only while that road is
// there: a road that has gone (a test's, or an application's that was made again) leaves nothing
// under way for whatever runs after it, such as the nudge that has the pages take a new road.
TEST(TerminationRoad, TheEndIsUnderWayOnlyWhileARoadThatBeganItIsThere)
{
    EXPECT_FALSE(TerminationRoad::isUnderWay());
    {
        bool underWayInTeardown = false;
        TerminationRoad road([&] { underWayInTeardown = TerminationRoad::isUnderWay(); });
        road.setQuitForTesting([] {});
        EXPECT_FALSE(TerminationRoad::isUnderWay()) << "a road that has not ended";
        road.end(TerminationRoad::Reason::Signal, SIGTERM);
        EXPECT_TRUE(underWayInTeardown);
        EXPECT_TRUE(TerminationRoad::isUnderWay());
        // A second end of the same road counts once.
        road.end(TerminationRoad::Reason::Quit);
    }
    EXPECT_FALSE(TerminationRoad::isUnderWay()) << "an ended road that has gone left the end under way";
    // A road that never ended leaves nothing either.
    {
        TerminationRoad unused([] {});
    }
    EXPECT_FALSE(TerminationRoad::isUnderWay());
}

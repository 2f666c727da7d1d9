#include "common/unreached/MKTimerManager.h"
#include "common/OOTimerManager.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr double kShort = 0.01; // seconds

// Lets the event loop run until a control timer of `intervalMs` has fired `count` times: long
// enough for a timer of that interval that should be silent to have shown itself, without a
// fixed sleep that a slow machine could outrun.
void letIntervalsPass(int intervalMs, int count = 3)
{
    QTimer control;
    int fired = 0;
    QObject::connect(&control, &QTimer::timeout, [&] { ++fired; });
    control.start(intervalMs);
    (void)QTest::qWaitFor([&] { return fired >= count; }, 10000);
}

TEST(OOTimerManagerTest, RepeatingTimerFiresUntilCancelled)
{
    OOTimerManager manager;
    int ticks = 0;
    manager.schedule(QStringLiteral("NBRegsterTimer"), 0ms, true, false, [&] { ++ticks; }, kShort);
    EXPECT_TRUE(manager.hasTimer(QStringLiteral("NBRegsterTimer")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));

    manager.cancel(QStringLiteral("NBRegsterTimer"));
    EXPECT_FALSE(manager.hasTimer(QStringLiteral("NBRegsterTimer")));
    const int atCancel = ticks;
    letIntervalsPass(10);
    EXPECT_EQ(ticks, atCancel);
}

TEST(OOTimerManagerTest, FirstFiringComesAtTheStartNotAfterAnInterval)
{
    OOTimerManager manager;
    int ticks = 0;
    // A long interval: only the immediate first firing can happen within the wait.
    manager.schedule(QStringLiteral("t"), 0ms, true, false, [&] { ++ticks; }, 60.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 1000));
    letIntervalsPass(10);
    EXPECT_EQ(ticks, 1);
}

TEST(OOTimerManagerTest, ReplacingATimerCancelsTheOldOne)
{
    OOTimerManager manager;
    int oldTicks = 0;
    int newTicks = 0;
    manager.schedule(QStringLiteral("NBVerityCodeViewControllerTimer"), 0ms, true, false, [&] { ++oldTicks; }, kShort);
    EXPECT_TRUE(QTest::qWaitFor([&] { return oldTicks >= 1; }, 2000));

    manager.schedule(QStringLiteral("NBVerityCodeViewControllerTimer"), 0ms, true, false, [&] { ++newTicks; }, kShort);
    const int oldAtReplace = oldTicks;
    EXPECT_TRUE(QTest::qWaitFor([&] { return newTicks >= 3; }, 2000));
    EXPECT_EQ(oldTicks, oldAtReplace);
    manager.cancel(QStringLiteral("NBVerityCodeViewControllerTimer"));
}

TEST(OOTimerManagerTest, NonRepeatingTimerFiresOnceAndRemovesItself)
{
    OOTimerManager manager;
    int ticks = 0;
    manager.schedule(QStringLiteral("once"), 5ms, false, true, [&] { ++ticks; }, kShort);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 2000));
    letIntervalsPass(10);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(manager.hasTimer(QStringLiteral("once")));
}

TEST(OOTimerManagerTest, ActionMayCancelOrRescheduleItsOwnName)
{
    OOTimerManager manager;
    int countdown = 3;
    manager.schedule(QStringLiteral("c"), 0ms, true, false, [&] {
        if (--countdown == 0)
            manager.cancel(QStringLiteral("c"));
    }, kShort);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !manager.hasTimer(QStringLiteral("c")); }, 2000));
    letIntervalsPass(10);
    EXPECT_EQ(countdown, 0);

    // A one-shot action that schedules a new timer under its own name keeps the new one.
    int secondTicks = 0;
    manager.schedule(QStringLiteral("r"), 0ms, false, false, [&] {
        manager.schedule(QStringLiteral("r"), 0ms, true, false, [&] { ++secondTicks; }, kShort);
    }, kShort);
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondTicks >= 2; }, 2000));
    EXPECT_TRUE(manager.hasTimer(QStringLiteral("r")));
    manager.cancel(QStringLiteral("r"));
}

TEST(OOTimerManagerTest, UnknownOrEmptyNamesAndOtherThreads)
{
    OOTimerManager manager;
    manager.cancel(QString());
    manager.cancel(QStringLiteral("nothing"));
    manager.schedule(QString(), 0ms, true, false, [] {}, kShort);
    EXPECT_FALSE(manager.hasTimer(QString()));

    // Scheduled from a worker thread, the timer still ticks on the main thread.
    QThread *tickThread = nullptr;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        manager.schedule(QStringLiteral("w"), 0ms, true, true, [&] { tickThread = QThread::currentThread(); }, kShort);
    }));
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tickThread != nullptr; }, 2000));
    EXPECT_EQ(tickThread, QCoreApplication::instance()->thread());
    manager.cancel(QStringLiteral("w"));
}

TEST(MKTimerManagerTest, FirstTickAtOnceThenEveryInterval)
{
    MKTimerManager manager;
    int ticks = 0;
    // A long interval: only the immediate first tick can come within the wait.
    manager.startTimer(60, true, 0.0, [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 1000));
    letIntervalsPass(10);
    EXPECT_EQ(ticks, 1);

    ticks = 0;
    manager.startTimer(10ms, true, 0.0, [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 4; }, 2000));
    manager.cancel();
    EXPECT_FALSE(manager.isActive());
    const int atCancel = ticks;
    letIntervalsPass(10);
    EXPECT_EQ(ticks, atCancel);
}

TEST(MKTimerManagerTest, StartingAgainReplacesThePreviousTimer)
{
    MKTimerManager manager;
    int first = 0;
    int second = 0;
    manager.startTimer(5ms, true, 0.0, [&] { ++first; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return first >= 2; }, 2000));
    manager.startTimer(5ms, true, 0.1, [&] { ++second; });
    const int firstAtReplace = first;
    EXPECT_TRUE(QTest::qWaitFor([&] { return second >= 3; }, 2000));
    EXPECT_EQ(first, firstAtReplace);
    manager.cancel();
}

TEST(MKTimerManagerTest, NonRepeatingTicksOnceAndTickMayCancel)
{
    MKTimerManager manager;
    int ticks = 0;
    manager.startTimer(1, false, 0.0, [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 500));
    letIntervalsPass(10);
    EXPECT_EQ(ticks, 1);

    int cancelled = 0;
    manager.startTimer(5ms, true, 0.0, [&] {
        ++cancelled;
        manager.cancel();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled >= 1; }, 2000));
    letIntervalsPass(5);
    EXPECT_EQ(cancelled, 1);
}

} // namespace

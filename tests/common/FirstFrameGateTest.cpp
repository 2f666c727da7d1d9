#include "common/FirstFrameGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FirstFrameGateTest : public ::testing::Test
{
protected:
    void TearDown() override { FirstFrameGate::open(); }
};

TEST_F(FirstFrameGateTest, OpenGateRunsWorkFromTheEventLoopNotInsideTheCall)
{
    ASSERT_TRUE(FirstFrameGate::isOpen());
    QObject context;
    int runs = 0;
    FirstFrameGate::defer(&context, [&runs] { ++runs; });
    EXPECT_EQ(runs, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 2000));
}

TEST_F(FirstFrameGateTest, HeldWorkWaitsForTheFirstPaintAndKeepsItsOrder)
{
    FirstFrameGate::hold(60000);
    QObject window;
    QObject context;
    auto gone = std::make_unique<QObject>();
    QStringList log;
    FirstFrameGate::defer(&context, [&log] { log << "reachability"; });
    FirstFrameGate::defer(gone.get(), [&log] { log << "for a screen that is gone"; });
    FirstFrameGate::defer(&context, [&log] { log << "analytics"; });
    FirstFrameGate::openAfterPaintOf(&window);
    gone.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(FirstFrameGate::isOpen());

    QEvent other(QEvent::Show);
    QCoreApplication::sendEvent(&window, &other);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.isEmpty());

    QEvent paint(QEvent::Paint);
    QCoreApplication::sendEvent(&window, &paint);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.size() == 2; }, 2000));
    EXPECT_EQ(log, (QStringList{"reachability", "analytics"}));
    EXPECT_TRUE(FirstFrameGate::isOpen());
}

TEST_F(FirstFrameGateTest, AWindowThatNeverPaintsOpensTheGateAfterTheTimeOut)
{
    FirstFrameGate::hold(20);
    QObject context;
    bool ran = false;
    FirstFrameGate::defer(&context, [&ran] { ran = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran; }, 2000));
    EXPECT_TRUE(FirstFrameGate::isOpen());

    // The time-out of an earlier hold does not open a later one.
    FirstFrameGate::hold(30);
    FirstFrameGate::open();
    FirstFrameGate::hold(60000);
    // Timers fire in the order they are due: once this one has, the earlier time-out has too.
    bool later = false;
    QTimer::singleShot(60, [&later] { later = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return later; }, 2000));
    EXPECT_FALSE(FirstFrameGate::isOpen());
}

} // namespace

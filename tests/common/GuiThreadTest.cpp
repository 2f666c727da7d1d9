// The completion rule's one home: answers come later, from the event loop, at most once, and
// never to an object that is gone.
#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "common/GuiThread.h"

TEST(GuiThreadTest, LaterAnswersFromTheEventLoopOnceAndOnlyToTheLiving)
{
    QObject context;
    int calls = 0;
    int last = 0;
    auto completion = GuiThread::later(&context, std::function<void(int)>([&](int value) {
        ++calls;
        last = value;
    }));
    completion(1);
    completion(2);   // a second answer of the same operation is dropped
    EXPECT_EQ(calls, 0) << "answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(last, 1);

    auto gone = std::make_unique<QObject>();
    bool ran = false;
    GuiThread::post(gone.get(), [&ran] { ran = true; });
    auto orphaned = GuiThread::later(gone.get(), std::function<void()>([&ran] { ran = true; }));
    gone.reset();
    orphaned();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST(GuiThreadTest, AnswersFromAnotherThreadArriveOnTheContextsThread)
{
    QObject context;
    std::atomic<bool> onOwnThread = false;
    std::atomic<bool> done = false;
    auto completion = GuiThread::later(&context, std::function<void()>([&] {
        onOwnThread = QThread::currentThread() == context.thread();
        done = true;
    }));
    std::thread worker([completion] { completion(); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 2000));
    EXPECT_TRUE(onOwnThread);
}

// A worker thread is over, wholly, when stop() returns: its last step and its objects end on it,
// and so does its thread-exit clean-up, which a QThread's wait() does not wait for.
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>
#include <string>

#include <gtest/gtest.h>

#include "common/ThreadHandOff.h"
#include "common/WorkerThread.h"
#include "support/SlowThreadExit.h"

namespace {

std::atomic<bool> s_exitCleanUpDone{false};

// Records the thread it was deleted on, and when, on a clock the test shares with its steps.
class Witness : public QObject
{
public:
    struct Seen
    {
        std::atomic<QThread *> thread{nullptr};
        std::atomic<int> at{-1};
    };

    Witness(QObject *parent, Seen *seen, std::atomic<int> *clock)
        : QObject(parent)
        , m_seen(seen)
        , m_clock(clock)
    {
    }
    ~Witness() override
    {
        m_seen->thread.store(QThread::currentThread());
        m_seen->at.store((*m_clock)++);
    }

private:
    Seen *m_seen;
    std::atomic<int> *m_clock;
};

} // namespace

TEST(WorkerThread, StopReturnsOnlyOnceTheThreadsExitCleanUpIsOver)
{
    s_exitCleanUpDone.store(false);
    WorkerThread worker(QStringLiteral("test-worker"));
    worker.post([] { SlowThreadExit::armOnThisThread(&s_exitCleanUpDone); });
    worker.stop();
    EXPECT_TRUE(s_exitCleanUpDone.load()) << "stop() returned while the thread was still ending";
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(worker.context(), nullptr);
    worker.stop(); // again: nothing
}

TEST(WorkerThread, WorkQueuedBeforeTheLastStepRunsFirstAndEverythingOfTheThreadEndsOnItDeferredDeletesFirst)
{
    WorkerThread worker(QStringLiteral("test-worker"));
    ASSERT_TRUE(worker.isRunning());
    std::atomic<QThread *> workerThread{nullptr};
    std::atomic<QThread *> lastRanOn{nullptr};
    std::atomic<int> clock{0};
    std::atomic<int> workAt{-1};
    std::atomic<int> lastAt{-1};
    Witness::Seen child;
    Witness::Seen later;
    QObject *context = worker.context();
    worker.post([&, context] {
        workerThread.store(QThread::currentThread());
        workAt.store(clock++);
        new Witness(context, &child, &clock);
    });
    // The last step leaves an object to deleteLater: the loop ends right after, with that
    // deletion still pending.
    worker.stop([&] {
        lastRanOn.store(QThread::currentThread());
        lastAt.store(clock++);
        (new Witness(nullptr, &later, &clock))->deleteLater();
    });
    ASSERT_NE(workerThread.load(), nullptr);
    EXPECT_NE(workerThread.load(), QThread::currentThread());
    EXPECT_EQ(workAt.load(), 0);
    EXPECT_EQ(lastAt.load(), 1);
    EXPECT_EQ(lastRanOn.load(), workerThread.load());
    EXPECT_EQ(child.thread.load(), workerThread.load()) << "the context's child was not deleted on the thread";
    EXPECT_EQ(later.thread.load(), workerThread.load()) << "what was left to deleteLater was not deleted on the thread";
    // An object left to deleteLater, with no parent, may still point at the thread's objects:
    // it goes before the context's children.
    EXPECT_EQ(later.at.load(), 2) << "what was left to deleteLater outlived the context's children";
    EXPECT_EQ(child.at.load(), 3);
}

// A closure carried to the thread may end on the thread that posted it, after its work ran there:
// Qt drops it where its last reference goes, and a blocking call's own reference goes last, once
// the thread has run the work and let the caller go. That order lives in Qt's library, out of the
// thread sanitizer's sight, so the hand-off states it: without it a sanitizer build reports the
// work's writes and the closure's end (and the caller's read of what the work wrote) as a race.
TEST(WorkerThread, AClosureThatRanOnTheThreadEndsAfterItsWorkOnTheThreadThatPostedIt)
{
    WorkerThread worker(QStringLiteral("test-worker"));
    QThread *ranOn = nullptr;
    std::string seen;
    // Long enough to live on the heap, so its end frees what the work wrote.
    auto work = [&ranOn, &seen, carried = std::string("a value carried over to the worker thread")]() mutable {
        carried += ", and grown there";
        seen = carried;
        ranOn = QThread::currentThread();
    };
    ASSERT_TRUE(QMetaObject::invokeMethod(worker.context(), ThreadHandOff::carried(std::move(work)),
                                          Qt::BlockingQueuedConnection));
    EXPECT_EQ(seen, "a value carried over to the worker thread, and grown there");
    EXPECT_NE(ranOn, QThread::currentThread());
    worker.stop();
}

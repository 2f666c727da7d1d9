// A worker thread is over, wholly, when stop() returns: its last step and its objects end on it,
// and so does its thread-exit clean-up, which a QThread's wait() does not wait for.
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>

#include <gtest/gtest.h>

#include "common/WorkerThread.h"
#include "support/SlowThreadExit.h"

namespace {

std::atomic<bool> s_exitCleanUpDone{false};

// Records the thread it was deleted on.
class Witness : public QObject
{
public:
    Witness(QObject *parent, std::atomic<QThread *> *deletedOn)
        : QObject(parent)
        , m_deletedOn(deletedOn)
    {
    }
    ~Witness() override { m_deletedOn->store(QThread::currentThread()); }

private:
    std::atomic<QThread *> *m_deletedOn;
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

TEST(WorkerThread, WorkQueuedBeforeTheLastStepRunsFirstAndEverythingOfTheThreadEndsOnIt)
{
    WorkerThread worker(QStringLiteral("test-worker"));
    ASSERT_TRUE(worker.isRunning());
    std::atomic<QThread *> workerThread{nullptr};
    std::atomic<QThread *> childDeletedOn{nullptr};
    std::atomic<QThread *> laterDeletedOn{nullptr};
    std::atomic<QThread *> lastRanOn{nullptr};
    std::atomic<int> order{0};
    std::atomic<int> workAt{-1};
    std::atomic<int> lastAt{-1};
    QObject *context = worker.context();
    worker.post([&, context] {
        workerThread.store(QThread::currentThread());
        workAt.store(order++);
        new Witness(context, &childDeletedOn);
        (new Witness(nullptr, &laterDeletedOn))->deleteLater();
    });
    worker.stop([&] {
        lastRanOn.store(QThread::currentThread());
        lastAt.store(order++);
    });
    ASSERT_NE(workerThread.load(), nullptr);
    EXPECT_NE(workerThread.load(), QThread::currentThread());
    EXPECT_EQ(workAt.load(), 0);
    EXPECT_EQ(lastAt.load(), 1);
    EXPECT_EQ(lastRanOn.load(), workerThread.load());
    EXPECT_EQ(childDeletedOn.load(), workerThread.load()) << "the context's child was not deleted on the thread";
    EXPECT_EQ(laterDeletedOn.load(), workerThread.load()) << "what was left to deleteLater was not deleted on the thread";
}

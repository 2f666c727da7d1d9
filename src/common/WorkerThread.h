#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

class QEventLoop;
class QObject;

// A thread with an event loop of its own, for work that lives in Qt objects (a network manager)
// off the GUI thread, and that is over, wholly, when stop() returns.
//
// A QThread is detached: its wait() returns once its run is over, but before the system thread
// has run its thread-exit clean-up (thread-local destructors, libcrypto's per-thread state, the
// allocator's cache). A program that waits for such a thread and returns from main at once has
// that clean-up running while the exit handlers tear down the statics it touches, and now and
// then corrupts its heap on the way out. This thread is joined instead.
class WorkerThread
{
public:
    // Starts the thread and returns once its loop can take work. `name` is the system thread's
    // name (at most 15 bytes show in ps and debuggers).
    explicit WorkerThread(const QString &name);
    // Stops the thread (with no last step) if stop() was not called.
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // An object that lives on the thread: queue work to it, and give the thread's own objects
    // to it as their parent (they are deleted on the thread as it stops). Null once stopped.
    // Queue work from the thread that stops this one: from another, the context may go between
    // the call and the queueing.
    QObject *context() const { return m_context.load(); }
    bool isRunning() const { return m_context.load() != nullptr; }
    // Queues `task` to run on the thread, after the work queued before it; dropped once the
    // thread is stopped. Call it from the thread that stops this one, as for context(), or from
    // the thread itself.
    void post(std::function<void()> task);

    // Runs `last` on the thread after the work queued before it, deletes what lives on the thread
    // (the context's children, what was left to deleteLater), and joins the system thread. When
    // it returns nothing of the thread runs any more. Called again, it does nothing. Never call it
    // from the thread itself, which cannot wait for its own end.
    void stop(const std::function<void()> &last = {});

private:
    void run(const QString &name, std::promise<void> &ready);

    std::thread m_thread;
    std::atomic<QObject *> m_context{nullptr};
    QEventLoop *m_loop = nullptr; // lives on the thread; only quit from there
};

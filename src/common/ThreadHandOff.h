#pragma once

#include <functional>
#include <utility>

class QObject;

// GCC names a ThreadSanitizer build with a macro, Clang with a feature test.
#if defined(__SANITIZE_THREAD__)
#define OSTREL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define OSTREL_THREAD_SANITIZER 1
#endif
#endif

#if defined(OSTREL_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
#endif

// A closure queued for another thread (a queued invokeMethod, the thread pool) is handed over
// under a lock that Qt takes inside its own library, where ThreadSanitizer does not see it: to
// the sanitizer, everything the closure carries looks written on one thread and read on another
// unguarded. A ThreadHandOff, captured last, tells it of both edges:
// - the way there: each copy publishes what was written before it, and the closure calls
//   arrived() before it reads anything;
// - the way back: once the work has run, done() publishes what it wrote, and the end of the
//   closure calls arrived() before anything it carries is destroyed. Qt drops the closure where
//   its last reference goes, which may be the posting thread once the work has already run there
//   (the posting call's own reference goes last); that order is kept by Qt's reference count,
//   inside its library too.
// Outside a ThreadSanitizer build it does nothing.
//
// post() is the queued call the code builds on: a task, carrying such a hand-off, for whatever
// thread an object lives on (the GUI thread, a worker), run there from its event loop.
class ThreadHandOff
{
public:
    // Runs `task` on `context`'s thread from its event loop, always queued, even from that thread
    // itself, so it never runs inside the call that posts it. Dropped when `context` is gone
    // before its turn comes.
    static void post(QObject *context, std::function<void()> task);

    ThreadHandOff() { publish(); }
    ThreadHandOff(const ThreadHandOff &) { publish(); }
    ThreadHandOff &operator=(const ThreadHandOff &)
    {
        publish();
        return *this;
    }
    ~ThreadHandOff() { arrived(); }

    // `work` as a closure that carries a hand-off and reports its arrival before it runs.
    template <typename Work>
    static auto carried(Work &&work)
    {
        return [work = std::forward<Work>(work), handOff = ThreadHandOff()]() mutable {
            handOff.arrived();
            work();
            handOff.done();
        };
    }

    void arrived() const
    {
#if defined(OSTREL_THREAD_SANITIZER)
        __tsan_acquire(const_cast<ThreadHandOff *>(this));
#endif
    }
    // The work has run: what it wrote is published for the closure's end, wherever that comes.
    void done() { publish(); }

private:
    void publish()
    {
#if defined(OSTREL_THREAD_SANITIZER)
        __tsan_release(this);
#endif
    }
};

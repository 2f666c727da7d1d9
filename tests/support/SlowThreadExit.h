#pragma once

#include <atomic>
#include <chrono>
#include <thread>

// Put in a thread's thread-local storage, it makes that thread's exit clean-up take a while (as
// libcrypto's per-thread clean-up may), then marks `done`: whoever claims to have waited for the
// thread's end finds `done` set, or did not wait.
struct SlowThreadExit
{
    std::atomic<bool> *done = nullptr;
    ~SlowThreadExit()
    {
        if (!done)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        done->store(true);
    }

    // Arms the calling thread's own.
    static void armOnThisThread(std::atomic<bool> *done)
    {
        thread_local SlowThreadExit slow;
        slow.done = done;
    }
};

#pragma once

#include <QObject>

#include <functional>

// Work that must be over while the application object is still whole. A worker thread that is
// still inside the network stack (a TLS back-end being looked up, a proxy query) when the
// application's teardown begins touches objects that are half destroyed: the program aborts at
// exit after everything went well. Owners of such work register a step here; every program's
// main runs the steps after its event loop returned and before the application object goes.
class ProcessTeardown
{
public:
    // Called first thing in main, before anything uses OpenSSL. OpenSSL then keeps its state to
    // the very end of the process instead of freeing it from an exit handler: threads of Qt's own
    // (a network manager's, a thread pool's), which no one can join, may still be running their
    // thread-exit clean-up, which frees their part of that state, while the exit handlers run.
    // The two at once corrupt the heap. The system takes the memory back at exit either way.
    static void prepare();
    // `step` runs once, on the calling thread of run(), unless `owner` is gone by then.
    static void add(QObject *owner, std::function<void()> step);
    // Runs the steps, newest first, then waits for the global thread pool's tasks. Steps added
    // later (by an object made during teardown) run at the next call.
    static void run();

private:
    ProcessTeardown() = delete;
};

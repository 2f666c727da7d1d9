#pragma once

#include <QObject>

#include <functional>

// How a program ends safely with threads still about.
//
// Work that must be over while the application object is still whole: a worker thread that is
// still inside the network stack (a TLS back-end being looked up, a proxy query) when the
// application's teardown begins touches objects that are half destroyed, and the program aborts
// at exit after everything went well. Owners of such work register a step here; every program's
// main runs the steps after its event loop returned and before the application object goes.
//
// And what no step can end: threads of Qt's own (a network manager's, a thread pool's) are
// waited for, never joined, so their thread-exit clean-up may still run beside the exit
// handlers. OpenSSL is therefore kept whole to the very end.
class ProcessTeardown
{
public:
    // Called first thing in main, before anything uses OpenSSL. OpenSSL then keeps its state to
    // the very end of the process instead of freeing it from an exit handler: a thread of Qt's
    // still running its thread-exit clean-up, which frees its part of that state, beside the exit
    // handlers would otherwise corrupt the heap. The system takes the memory back at exit either
    // way. add() and run() warn (once) when it was not called.
    static void keepOpenSslToTheEnd();
    // `step` runs once, on the calling thread of run(), unless `owner` is gone by then. Every
    // owner of end-time work registers here, so a program that starts such work is warned here
    // when it did not keep OpenSSL, even if its main never calls run().
    static void add(QObject *owner, std::function<void()> step);
    // Runs the steps, newest first, then waits for the global thread pool's tasks. Steps added
    // later (by an object made during teardown) run at the next call.
    static void run();

    // A call that may never return, made on a thread that exit handlers wait for: the system's
    // proxy question, which Qt hands to its libproxy thread, whose global object's destructor
    // waits for it. Any thread; each begin has its end once the call returned.
    static void beginUnendingCall();
    static void endUnendingCall();
    // The program's last step, after run() and after the application object is gone. Returns
    // `status` for main to return, unless such a call is still under way a moment later: then it
    // flushes the log and the standard streams and ends the process here with `status`, without
    // the exit handlers that would wait for it for ever.
    static int end(int status);

private:
    ProcessTeardown() = delete;
};

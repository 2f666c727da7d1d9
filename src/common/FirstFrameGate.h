#pragma once

#include <QObject>

#include <functional>

// Start-up work that the first window can do without (loading network back-ends, opening
// connections) waits until that window has been painted once, so the user sees the window
// before the program settles in. Work that is deferred still runs in the order it was deferred,
// always from the event loop, never inside the call that deferred it.
//
// The gate is open unless the application closes it: a tool or a test that never shows a window
// runs deferred work on the next turn of the event loop. One StartGate, with its rule for the work
// that waits. Main thread only.
class FirstFrameGate
{
public:
    // Runs `work` from the event loop once the gate is open, unless `context` is gone by then.
    static void defer(QObject *context, std::function<void()> work);

    // Closes the gate. It opens after the first paint of the window named by openAfterPaintOf,
    // or after `timeoutMs` at the latest, so nothing waits for a window that never paints. Without
    // an application object it stays open.
    static void hold(int timeoutMs = 2000);
    // Opens the gate once `window` has received its first paint event.
    static void openAfterPaintOf(QObject *window);
    static void open();
    static bool isOpen();

private:
    FirstFrameGate() = delete;
};

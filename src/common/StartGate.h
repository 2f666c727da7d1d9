#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

// Work of the start that waits for something first: the first window's paint (FirstFrameGate),
// the start's restore of the desktop's proxy (StartRestoreGate). Each is one gate of this kind.
//
// A gate is open unless closed with a bound: `hold` closes it only where there is an application
// object to keep the bound, so nothing waits on a gate that only `open()` could open. Work handed
// to `defer` runs from the event loop, never inside the call, in the order it came, unless its
// context is gone by then; on an open gate, at the next turn.
//
// The rule for a new sender of the start: hand the work to the gate it waits for (`defer`) as it is
// about to start, from the object that owns it, and return; the work runs again from the top
// when the gate opens. GUI thread only.
class StartGate
{
public:
    StartGate() = default;
    StartGate(const StartGate &) = delete;
    StartGate &operator=(const StartGate &) = delete;

    // Closes the gate until `open()`, or `boundMs` at the latest. A newer hold replaces the bound
    // of an older one. Without an application object the gate stays open: false.
    bool hold(int boundMs);
    // Opens the gate: what waits runs, each from the event loop, in the order it came.
    void open();
    bool isOpen() const { return m_open; }
    // Runs `work` once the gate is open (at the next turn of the event loop if it is), unless
    // `context` is gone by then.
    void defer(QObject *context, std::function<void()> work);

private:
    struct Held
    {
        QPointer<QObject> context;
        std::function<void()> work;
    };

    bool m_open = true;
    // One per hold: the bound of an older hold opens nothing.
    quint64 m_round = 0;
    std::vector<Held> m_held;
};

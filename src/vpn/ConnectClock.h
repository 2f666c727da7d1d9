#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

// Time as the connect and stop roads see it: the wall clock (seconds since 1970) and delayed
// steps on the GUI thread. The roads have fixed delays (0.3 s to 1.5 s); tests replace this clock
// with a manual one so that no test waits for them.
class ConnectClock
{
public:
    virtual ~ConnectClock() = default;

    virtual double now() const;
    // Runs `step` after `ms` milliseconds on the GUI thread, unless `guard` is gone by then.
    virtual void after(int ms, QObject *guard, std::function<void()> step);

    // The process-wide real clock.
    static ConnectClock &system();
};

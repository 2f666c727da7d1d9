#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

// The one place every duration of the screens goes through (fades, slides, countdowns, HUD
// auto-hide). Durations are written in the program's own milliseconds and scaled here, so a test
// sets a small scale and waits on conditions instead of sleeping, and the gallery sets 0 so that
// every transition ends at once.
class UiTiming
{
public:
    // 1.0 in the program; tests use e.g. 0.01; 0 makes every animation end at once.
    static double scale();
    static void setScale(double scale);

    // The scaled duration in milliseconds (never negative; 0 only for a 0 scale or 0 input).
    static int ms(int programMs);

    // Still pictures (the gallery): delayed steps (removals, auto-hides, countdown ticks) do not
    // run, so a transient look stays on screen long enough to be drawn.
    static bool delaysHeld();
    static void setDelaysHeld(bool held);

    // Runs fn after the scaled delay on the event loop of context's thread, unless context is
    // gone by then. Always from the event loop, even for a 0 delay.
    template <typename Fn>
    static void singleShot(int programMs, QObject *context, Fn &&fn)
    {
        if (delaysHeld())
            return;
        QTimer::singleShot(ms(programMs), context, std::forward<Fn>(fn));
    }

private:
    UiTiming() = delete;
};

// Sets the scale for one scope and puts the previous one back (tests).
class UiTimingScope
{
public:
    explicit UiTimingScope(double scale, bool delaysHeld = false);
    ~UiTimingScope();
    UiTimingScope(const UiTimingScope &) = delete;
    UiTimingScope &operator=(const UiTimingScope &) = delete;

private:
    double m_previousScale;
    bool m_previousHeld;
};

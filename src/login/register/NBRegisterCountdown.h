#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;

// The send-code buttons' shared 60-second countdown, one process-wide timer named
// "NBRegsterTimer". The first tick comes at once: "59S" and the button refuses clicks; each
// second one less, down to "0S"; the 61st tick cancels the timer, puts "发送验证码" back and
// makes the button pressable. Starting another countdown replaces the running one.
//
// The tick holds its button weakly: a button gone with its form cancels the timer instead of
// being written to.
class NBRegisterCountdown
{
public:
    static constexpr int kSeconds = 60;
    static const QString &timerName();

    static void start(QAbstractButton *button);
    // Ready look: "发送验证码" in RGB 216, 216, 216, pressable.
    static void setReadyTitle(QAbstractButton *button);

    // Tests drive the clock themselves: the scheduler receives the timer name and the tick to
    // run once a second (the first at once). Null puts the named-timer registry back.
    using Scheduler = std::function<void(const QString &name, std::function<void()> tick)>;
    using Canceller = std::function<void(const QString &name)>;
    static void setClockForTesting(Scheduler scheduler, Canceller canceller);

    // One tick of a countdown; public so a manual clock can run it.
    struct State
    {
        int remaining = kSeconds;
        QPointer<QAbstractButton> button;
    };
    static void tick(State &state);
};

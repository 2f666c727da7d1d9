#include "vpn/ConnectClock.h"

#include <QDateTime>
#include <QTimer>

double ConnectClock::now() const
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

void ConnectClock::after(int ms, QObject *guard, std::function<void()> step)
{
    // A QTimer with a context object is dropped with its context, so a delayed step never runs on
    // an owner that is gone.
    if (!guard)
        return;
    QTimer::singleShot(ms, guard, [step = std::move(step)]() { step(); });
}

ConnectClock &ConnectClock::system()
{
    static ConnectClock clock;
    return clock;
}

#include "common/OOTimerManager.h"

#include "common/GuiThread.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

int intervalMs(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return 1; // a zero interval would spin the event loop
    return static_cast<int>(std::clamp(std::llround(seconds * 1000.0), 1LL, 24LL * 3600 * 1000));
}

} // namespace

OOTimerManager &OOTimerManager::shared()
{
    static OOTimerManager manager;
    return manager;
}

OOTimerManager::OOTimerManager(QObject *parent)
    : QObject(parent)
{
    if (QCoreApplication *app = QCoreApplication::instance(); app && !parent)
        moveToThread(app->thread());
}

OOTimerManager::~OOTimerManager() = default;

void OOTimerManager::schedule(const QString &name, std::chrono::milliseconds startDelay, bool repeats,
                              bool onGlobalQueue, std::function<void()> action, double interval)
{
    Q_UNUSED(onGlobalQueue)
    if (name.isEmpty() || !action)
        return;
    // The timer belongs to this object's (the main) thread: from another thread it is started there.
    GuiThread::run(this, [this, name, startDelay, repeats, action = std::move(action), interval]() mutable {
        scheduleOnMainThread(name, startDelay, repeats, std::move(action), interval);
    });
}

void OOTimerManager::scheduleOnMainThread(const QString &name, std::chrono::milliseconds startDelay,
                                          bool repeats, std::function<void()> action, double interval)
{
    cancel(name);

    auto *timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(static_cast<int>(std::max<qint64>(0, startDelay.count())));
    const int period = intervalMs(interval);
    QPointer<QTimer> guard(timer);
    connect(timer, &QTimer::timeout, this, [this, guard, name, repeats, period, action] {
        if (!guard)
            return;
        if (!isRegistered(name, guard)) {
            // Cancelled from another thread; its queued stop has not run yet.
            guard->stop();
            return;
        }
        // After the first firing at the start time, fire every interval.
        if (guard->interval() != period)
            guard->setInterval(period);
        if (!repeats)
            guard->stop();
        action();
        // The action may have cancelled or replaced the timer; only this one is removed.
        if (!repeats && guard)
            cancelTimer(name, guard);
    });
    {
        QMutexLocker lock(&m_mutex);
        m_timers.insert(name, timer);
    }
    timer->start();
}

void OOTimerManager::cancel(const QString &name)
{
    cancelTimer(name, nullptr);
}

void OOTimerManager::cancelTimer(const QString &name, QTimer *onlyThis)
{
    if (name.isEmpty())
        return;
    QPointer<QTimer> timer;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_timers.constFind(name);
        if (it == m_timers.cend())
            return;
        if (onlyThis && it.value() != onlyThis)
            return;
        timer = it.value();
        m_timers.erase(it);
    }
    if (!timer)
        return;
    // A timer is stopped on its own thread; from another one its timeouts stop at the registry
    // check until then.
    GuiThread::run(timer, [timer = timer.data()] {
        timer->stop();
        // Deferred: the timer may be the one whose timeout is running right now.
        timer->deleteLater();
    });
}

bool OOTimerManager::isRegistered(const QString &name, const QTimer *timer) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_timers.constFind(name);
    return it != m_timers.cend() && it.value() == timer;
}

bool OOTimerManager::hasTimer(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_timers.constFind(name);
    return it != m_timers.cend() && it.value();
}

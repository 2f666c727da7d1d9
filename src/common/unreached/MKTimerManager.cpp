#include "common/unreached/MKTimerManager.h"

#include "common/GuiThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

MKTimerManager &MKTimerManager::shared()
{
    static MKTimerManager manager;
    return manager;
}

MKTimerManager::MKTimerManager(QObject *parent)
    : QObject(parent)
{
    if (QCoreApplication *app = QCoreApplication::instance(); app && !parent)
        moveToThread(app->thread());
}

MKTimerManager::~MKTimerManager() = default;

void MKTimerManager::startTimer(int intervalSeconds, bool repeats, double leeway, std::function<void()> tick)
{
    startTimer(std::chrono::seconds(std::max(intervalSeconds, 0)), repeats, leeway, std::move(tick));
}

void MKTimerManager::startTimer(std::chrono::milliseconds interval, bool repeats, double leeway,
                                std::function<void()> tick)
{
    // The timer belongs to this object's (the main) thread: from another thread it is started there.
    GuiThread::run(this, [this, interval, repeats, leeway, tick = std::move(tick)]() mutable {
        startOnMainThread(interval, repeats, leeway, std::move(tick));
    });
}

void MKTimerManager::startOnMainThread(std::chrono::milliseconds interval, bool repeats, double leeway,
                                       std::function<void()> tick)
{
    cancel();
    if (!tick)
        return;
    auto *timer = new QTimer(this);
    timer->setTimerType(leeway > 0.0 ? Qt::CoarseTimer : Qt::PreciseTimer);
    // The first tick comes at once (from the event loop, as every other tick); later ones follow
    // the interval. A zero interval would spin the loop, so it is at least one millisecond.
    timer->setInterval(0);
    const int period = static_cast<int>(std::clamp<qint64>(interval.count(), 1, 24LL * 3600 * 1000));
    QPointer<QTimer> guard(timer);
    connect(timer, &QTimer::timeout, this, [guard, period, repeats, tick] {
        if (!guard)
            return;
        if (repeats)
            guard->setInterval(period);
        else
            guard->stop();
        tick();
    });
    m_timer = timer;
    timer->start();
}

void MKTimerManager::cancel()
{
    if (!m_timer)
        return;
    m_timer->stop();
    // Deferred: cancel() may be called from the timer's own tick.
    m_timer->deleteLater();
    m_timer = nullptr;
}

bool MKTimerManager::isActive() const
{
    return m_timer && m_timer->isActive();
}

#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>

class QTimer;

// Nothing in the client starts this yet; it is kept as the process-wide connected-time countdown.
// One process-wide countdown timer (the connected-time clock). Starting it again replaces the
// timer it had. The first tick comes at once, then one per interval, always on the main thread.
// The connected-time clock the client shows keeps its own timer: NBTimeScheduView (src/home).
class MKTimerManager : public QObject
{
    Q_OBJECT

public:
    static MKTimerManager &shared();

    explicit MKTimerManager(QObject *parent = nullptr);
    ~MKTimerManager() override;

    // leeway is how late a tick may come, in seconds; zero asks for precise ticks.
    void startTimer(int intervalSeconds, bool repeats, double leeway, std::function<void()> tick);
    // The same with any interval, so tests need not wait whole seconds.
    void startTimer(std::chrono::milliseconds interval, bool repeats, double leeway,
                    std::function<void()> tick);
    // Main thread only, as every other call of this class.
    void cancel();

    bool isActive() const;

private:
    void startOnMainThread(std::chrono::milliseconds interval, bool repeats, double leeway,
                           std::function<void()> tick);

    QPointer<QTimer> m_timer;
};

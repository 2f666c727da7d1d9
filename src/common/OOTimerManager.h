#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>

class QTimer;

// Named timers, kept in one registry so a screen can cancel by name a countdown that another
// object started.
//
// Timers run on the main thread. The onGlobalQueue flag is kept for callers that ask for a
// background timer, but no caller needs one, so those timers run on the main thread too.
class OOTimerManager : public QObject
{
    Q_OBJECT

public:
    static OOTimerManager &shared();

    explicit OOTimerManager(QObject *parent = nullptr);
    ~OOTimerManager() override;

    // Starts a timer under the name: first firing after startDelay (zero: at once), then every
    // interval seconds while repeats is true. A timer already under the name is cancelled first,
    // so two timers never drive the same countdown. A non-repeating timer removes itself after it
    // fires. An empty name or a missing action schedules nothing.
    void schedule(const QString &name, std::chrono::milliseconds startDelay, bool repeats,
                  bool onGlobalQueue, std::function<void()> action, double interval);
    // Cancels and forgets the timer under the name; an unknown or empty name does nothing.
    void cancel(const QString &name);

    bool hasTimer(const QString &name) const;

private:
    void scheduleOnMainThread(const QString &name, std::chrono::milliseconds startDelay, bool repeats,
                              std::function<void()> action, double interval);
    void cancelTimer(const QString &name, QTimer *onlyThis);
    bool isRegistered(const QString &name, const QTimer *timer) const;

    mutable QMutex m_mutex;
    QHash<QString, QPointer<QTimer>> m_timers;
};

#pragma once

#include <QObject>
#include <QTimer>

class ProxyConfigService;

// Tries a restore that did not land again while the daemon runs, without waiting for a client: a
// store that refused its writes for a while (dconf restarting, the session bus coming back) gets
// the user's settings at the next try. Bounded: after kMostTries the record waits for the next
// start, or a client's request. Logged once when it starts and once when it ends, not per try.
class RestoreRetry : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 3000;
    static constexpr int kMostTries = 100; // five minutes

    explicit RestoreRetry(ProxyConfigService &service, int intervalMs = kIntervalMs, int mostTries = kMostTries,
                          QObject *parent = nullptr);

    bool isActive() const { return m_timer.isActive(); }

private:
    void start(const QString &reason);
    void tryAgain();

    ProxyConfigService &m_service;
    QTimer m_timer;
    int m_mostTries;
    int m_tries = 0;
};

#pragma once

#include <QObject>
#include <QString>

// Network reachability as the start-up code and the launch screen listen to it. Reports the
// first state itself once started (the platform only reports changes), then every change.
// Without a reachability backend the state stays Unknown, which callers treat as reachable.
class OOReachability : public QObject
{
    Q_OBJECT
public:
    enum class Status { Unknown, NotReachable, Reachable };
    Q_ENUM(Status)

    static OOReachability &shared();

    void start();
    Status status() const;
    // True once the first state is out: a listener that comes later does not hear it again and
    // takes status() instead.
    bool hasReported() const { return m_reported; }
    static QString statusName(Status status);

    // Back to the state before start(): not started, status unknown, no backend wiring. Tests
    // share one process-wide instance and each starts from scratch.
    void resetForTesting();

Q_SIGNALS:
    void statusChanged(OOReachability::Status status);

private:
    explicit OOReachability(QObject *parent = nullptr);
    void report(Status status);

    bool m_started = false;
    bool m_reported = false;
    quint64 m_startCount = 0;
    Status m_status = Status::Unknown;
};

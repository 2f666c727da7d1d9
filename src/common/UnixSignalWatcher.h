#pragma once

#include <QList>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns termination signals into a Qt signal on the event loop (self-pipe), so a program can put
// the user's settings back before it exits instead of dying inside a signal handler. The handlers
// stay until the watcher goes; then the signals get their default action back.
class UnixSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit UnixSignalWatcher(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void unixSignal(int signalNumber);

private:
    void readPipe();
    static void handler(int signalNumber);

    std::unique_ptr<QSocketNotifier> m_notifier;
    QList<int> m_signals;
};

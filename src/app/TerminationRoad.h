#pragma once

#include <QObject>

#include <functional>
#include <memory>

class UnixSignalWatcher;

// The one way out of the application. Whatever ends it, the window's own quit, SIGTERM, SIGINT or
// SIGHUP (a kill, Ctrl+C, the terminal going away), or the desktop session ending, runs the same
// teardown exactly once: the desktop proxy is put back and the engines stopped before the process
// goes. Signals are taken into the event loop first, so the teardown never runs inside a handler.
//
// The teardown is the caller's (the application delegate's termination); the road only makes sure
// that every ending reaches it, and that an ending which is not already a quit quits afterwards.
class TerminationRoad : public QObject
{
    Q_OBJECT

public:
    enum class Reason { Quit, Signal, SessionEnd };
    Q_ENUM(Reason)

    explicit TerminationRoad(std::function<void()> teardown, QObject *parent = nullptr);
    ~TerminationRoad() override;

    // Takes the termination signals, the application's quit and the session's end onto this road.
    void install();
    // Runs the teardown unless it ran already; after a signal or the session's end, quits too.
    void end(Reason reason, int signalNumber = 0);
    bool hasEnded() const { return m_ended; }
    // Whether the program's end is under way: true from the moment a road's teardown starts
    // (before anything it puts back, and before the application's aboutToQuit, which a signal's
    // teardown precedes) for as long as that road is there, as the application's is until main
    // returns. Nothing new should be started then: the end would only tear it down unfinished.
    static bool isUnderWay();

    // Tests end the road without ending their own process.
    void setQuitForTesting(std::function<void()> quit) { m_quit = std::move(quit); }

Q_SIGNALS:
    void ended(TerminationRoad::Reason reason, int signalNumber);

private:
    std::function<void()> m_teardown;
    std::function<void()> m_quit;
    std::unique_ptr<UnixSignalWatcher> m_signals;
    bool m_ended = false;
};

#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

// The bookkeeping of one update run that downloads several packages at once: how many downloads
// started and finished, and the one report of the run's outcome, delivered later from the event
// loop of its context and never twice, whichever download ends last or whatever ends the run early.
class DownloadRun
{
public:
    using Completion = std::function<void(bool)>;

    DownloadRun(QObject *context, Completion completion);
    virtual ~DownloadRun() = default;

    void downloadStarted() { ++m_started; }
    // Counts one finished download; true when it was the last one started.
    bool downloadFinished();
    int started() const { return m_started; }

    void report(bool success);

private:
    QPointer<QObject> m_context;
    Completion m_completion;
    int m_started = 0;
    int m_finished = 0;
    bool m_reported = false;
};

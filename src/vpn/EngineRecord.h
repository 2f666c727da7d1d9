#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The engines this client started, one small owner-only file each in the runtime folder: the
// engine's process id, its executable and its start time, and the client that started it.
//
// An engine normally dies with its guard, and the guard with the client. When the guard itself is
// killed outright (SIGKILL), nothing stops the engine and it keeps the local port, so the next
// connect fails. With the record, the engine can still be found and stopped: when its guard ends,
// before the next start, and at the next start-up. A process counts as ours only while it still
// runs the recorded executable and started at the recorded time, so a reused process id is never
// touched.
class EngineRecord
{
public:
    struct Entry
    {
        qint64 pid = 0;
        QString executable;      // canonical path
        qint64 startTicks = 0;   // the process's start time, in clock ticks since boot
        qint64 clientPid = 0;
        qint64 clientStartTicks = 0;
    };

    static QString folder();

    // Records a running engine of this client, whole or not at all (a record that cannot be
    // written leaves no file). Why it was not recorded, or the empty string.
    [[nodiscard]] static QString write(qint64 pid, const QString &executable);
    static void remove(qint64 pid);
    static QList<Entry> entries();

    // The recorded process is still the engine we started.
    static bool isRunning(const Entry &entry);
    // The client that started it is gone (an earlier run of this program).
    static bool clientIsGone(const Entry &entry);

    // Forgets the recorded engine `pid` and, when it still runs, stops it (its process group:
    // SIGTERM, SIGKILL after `graceMs`): true then, and `done` runs from the event loop once it is
    // gone. False when it was not running; `done` is not called then.
    static bool stop(qint64 pid, QObject *context, int graceMs, std::function<void()> done = {});
    // A record of a client that is gone is there (its engine may or may not still run).
    static bool hasLeftovers();
    // Stops every engine whose client is gone and forgets the records of those that ended.
    // `done` gets how many were still running; it runs from the event loop, also when none were.
    static void stopLeftovers(QObject *context, int graceMs, std::function<void(int stopped)> done = {});

    // The process's start time from /proc, or nothing when it is gone.
    static std::optional<qint64> startTicks(qint64 pid);
};

#include "LeftoverProcesses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Entry
{
    pid_t parent = 0;
    char state = '?';
    quint64 flags = 0;
};

// The kernel's mark of a process that is ending (PF_EXITING).
constexpr quint64 kExiting = 0x4;

// /proc/<pid>/stat: "pid (comm) state ppid pgrp session tty tpgid flags ...", where comm may hold
// spaces and parentheses.
bool readStat(pid_t pid, Entry *entry)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = file.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 7 || fields[0].isEmpty())
        return false;
    entry->state = fields[0].at(0);
    entry->parent = static_cast<pid_t>(fields[1].toLongLong());
    entry->flags = fields[6].toULongLong();
    return true;
}

// Signals whose default action leaves a process running (SIGCHLD, SIGCONT, SIGSTOP, SIGTSTP,
// SIGTTIN, SIGTTOU, SIGURG, SIGWINCH), as bits of /proc/<pid>/status (signal n is bit n - 1).
constexpr quint64 kHarmlessByDefault = (1ull << 16) | (1ull << 17) | (1ull << 18) | (1ull << 19) | (1ull << 20) | (1ull << 21)
                                       | (1ull << 22) | (1ull << 27);

// Whether a signal waits for the process that it will act on: one that ends it, or one it
// handles (as a daemon handles SIGTERM, to end in its own time).
bool actsOnAPendingSignal(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QHash<QByteArray, quint64> masks;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && (line.startsWith("Sig") || line.startsWith("ShdPnd")))
            masks.insert(line.left(colon), line.mid(colon + 1).trimmed().toULongLong(nullptr, 16));
    }
    const quint64 pending = (masks.value("SigPnd") | masks.value("ShdPnd")) & ~masks.value("SigBlk") & ~masks.value("SigIgn");
    return (pending & (masks.value("SigCgt") | ~kHarmlessByDefault)) != 0;
}

QString commandOf(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = file.readAll();
    text.replace('\0', ' ');
    return QString::fromLocal8Bit(text.trimmed());
}

bool homeIs(pid_t pid, const QByteArray &profile)
{
    if (profile.isEmpty())
        return false;
    QFile file(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = "HOME=" + profile;
    const QList<QByteArray> variables = file.readAll().split('\0');
    return variables.contains(wanted);
}

QHash<pid_t, Entry> processTable()
{
    QHash<pid_t, Entry> table;
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool number = false;
        const pid_t pid = static_cast<pid_t>(name.toLongLong(&number));
        Entry entry;
        if (number && readStat(pid, &entry))
            table.insert(pid, entry);
    }
    return table;
}

bool descendsFrom(pid_t pid, pid_t ancestor, const QHash<pid_t, Entry> &table)
{
    QSet<pid_t> seen;
    for (pid_t at = pid; at > 1 && !seen.contains(at); at = table.value(at).parent) {
        if (table.value(at).parent == ancestor)
            return true;
        seen.insert(at);
    }
    return false;
}

// Our own children that ended wait for us to take their status; nobody else will.
void reapEnded()
{
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// The web engine's zygotes are forked by the engine in this process and end when this process
// does (they wait on their channel to it); nothing can end them sooner. What they start (a
// renderer of a page that was never freed) still counts.
bool endsWithThisProcess(pid_t pid, const Entry &entry, pid_t self)
{
    if (entry.parent != self)
        return false;
    const QString command = commandOf(pid);
    return command.contains(QLatin1String("QtWebEngineProcess")) && command.contains(QLatin1String("--type=zygote"));
}

// A process on its way out: gone or ending already, acting on a signal, or a web engine process,
// which follows its browser (this process's engine, gone with the application object).
bool onItsWayOut(const LeftoverProcesses::Process &process)
{
    if (process.command.contains(QLatin1String("QtWebEngineProcess")))
        return true;
    Entry entry;
    if (!readStat(process.pid, &entry) || entry.state == 'Z' || (entry.flags & kExiting))
        return true;
    return actsOnAPendingSignal(process.pid);
}

} // namespace

bool LeftoverProcesses::adoptDescendants()
{
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
}

QList<LeftoverProcesses::Process> LeftoverProcesses::running(const QByteArray &profile)
{
    const pid_t self = ::getpid();
    const QHash<pid_t, Entry> table = processTable();
    QList<Process> found;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        if (it.key() == self || it.value().state == 'Z' || it.value().state == 'X')
            continue;
        if (endsWithThisProcess(it.key(), it.value(), self))
            continue;
        if (descendsFrom(it.key(), self, table) || homeIs(it.key(), profile))
            found.append(Process{it.key(), commandOf(it.key())});
    }
    return found;
}

bool LeftoverProcesses::startedChromium()
{
    const pid_t self = ::getpid();
    const QHash<pid_t, Entry> table = processTable();
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        if (endsWithThisProcess(it.key(), it.value(), self))
            return true;
    }
    return false;
}

int LeftoverProcesses::endAndReport(const QByteArray &profile, int boundMs)
{
    constexpr int kStepMs = 20;
    QList<Process> left;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        reapEnded();
        left = running(profile);
        if (std::none_of(left.cbegin(), left.cend(), onItsWayOut) || waited.hasExpired(boundMs))
            break;
        QThread::msleep(kStepMs);
    }
    for (const Process &process : left) {
        std::fprintf(stderr, "LEFTOVER PROCESS: pid %d still runs after the tests: %s\n", int(process.pid),
                     qPrintable(process.command));
        ::kill(process.pid, SIGKILL);
    }
    reapEnded();
    return int(left.size());
}

#include "LeftoverProcesses.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QThread>

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
};

// /proc/<pid>/stat: "pid (comm) state ppid ...", where comm may hold spaces and parentheses.
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
    if (fields.size() < 2 || fields[0].isEmpty())
        return false;
    entry->state = fields[0].at(0);
    entry->parent = static_cast<pid_t>(fields[1].toLongLong());
    return true;
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

int LeftoverProcesses::endAndReport(const QByteArray &profile, int graceMs)
{
    constexpr int kStepMs = 50;
    QList<Process> left;
    for (int waited = 0;; waited += kStepMs) {
        reapEnded();
        left = running(profile);
        if (left.isEmpty() || waited >= graceMs)
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

#include "vpn/EngineRecord.h"

#include "common/AppPaths.h"
#include "common/JsonUtils.h"
#include "common/Logger.h"
#include "common/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/types.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 25;

QString recordPath(qint64 pid)
{
    return EngineRecord::folder() + QStringLiteral("/engine-%1.json").arg(pid);
}

// What the kernel says the process runs; a replaced file reads "<path> (deleted)".
QString executableOf(qint64 pid)
{
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return target;
}

bool processGone(qint64 pid)
{
    // A zombie has no start time to compare and no executable: it holds no port either.
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) || executableOf(pid).isEmpty();
}

void signalEngine(qint64 pid, int signalNumber)
{
    // Its own process group (the guard makes it one): helpers it started go with it.
    if (::getpgid(pid_t(pid)) == pid_t(pid))
        ::kill(-pid_t(pid), signalNumber);
    else
        ::kill(pid_t(pid), signalNumber);
}

// Waits for the processes to go, SIGKILL after the grace period, then `done`.
void awaitEnd(QList<EngineRecord::Entry> running, QObject *context, int graceMs, std::function<void()> done)
{
    struct Wait
    {
        QList<EngineRecord::Entry> running;
        int waitedMs = 0;
        bool killed = false;
    };
    auto wait = std::make_shared<Wait>();
    wait->running = std::move(running);
    auto step = std::make_shared<std::function<void()>>();
    QPointer<QObject> guard(context);
    *step = [wait, step, guard, graceMs, done] {
        if (!guard)
            return;
        wait->running.removeIf([](const EngineRecord::Entry &entry) { return !EngineRecord::isRunning(entry); });
        if (wait->running.isEmpty()) {
            // The step holds itself: let go of it, but its captures die with it, so keep `done`.
            const std::function<void()> finish = done;
            *step = nullptr;
            if (finish)
                finish();
            return;
        }
        if (!wait->killed && wait->waitedMs >= graceMs) {
            wait->killed = true;
            for (const EngineRecord::Entry &entry : std::as_const(wait->running))
                signalEngine(entry.pid, SIGKILL);
        }
        wait->waitedMs += kPollMs;
        QTimer::singleShot(kPollMs, guard, [step] {
            if (*step)
                (*step)();
        });
    };
    QTimer::singleShot(0, context, [step] {
        if (*step)
            (*step)();
    });
}

} // namespace

QString EngineRecord::folder()
{
    return AppPaths::runtimeFolder() + QStringLiteral("/engines");
}

std::optional<qint64> EngineRecord::startTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = stat.readAll();
    // The name in parentheses may hold anything, spaces and ')' included: count from its end.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    // After the name: state is field 3, start time field 22.
    bool ok = false;
    const qint64 ticks = fields.value(22 - 3).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return ticks;
}

QString EngineRecord::write(qint64 pid, const QString &executable)
{
    const std::optional<qint64> ticks = startTicks(pid);
    const std::optional<qint64> clientTicks = startTicks(QCoreApplication::applicationPid());
    if (!ticks || !clientTicks)
        return QStringLiteral("cannot read the start time of process %1").arg(pid);
    if (!AppPaths::ensureFolder(folder(), true))
        return QStringLiteral("cannot make the folder %1").arg(folder());
    const QString canonical = QFileInfo(executable).canonicalFilePath();
    const QJsonObject record{{QStringLiteral("pid"), pid},
                             {QStringLiteral("executable"), canonical.isEmpty() ? executable : canonical},
                             {QStringLiteral("start"), *ticks},
                             {QStringLiteral("client"), QCoreApplication::applicationPid()},
                             {QStringLiteral("clientStart"), *clientTicks}};
    return WholeFile::write(recordPath(pid), QJsonDocument(record).toJson(QJsonDocument::Compact),
                            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void EngineRecord::remove(qint64 pid)
{
    QFile::remove(recordPath(pid));
}

QList<EngineRecord::Entry> EngineRecord::entries()
{
    QList<Entry> out;
    const QStringList names = QDir(folder()).entryList({QStringLiteral("engine-*.json")}, QDir::Files);
    for (const QString &name : names) {
        QFile file(folder() + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject object = QJsonDocument::fromJson(file.read(4096)).object();
        Entry entry;
        entry.pid = JsonUtils::integer(object.value(QStringLiteral("pid"))).value_or(0);
        entry.executable = object.value(QStringLiteral("executable")).toString();
        entry.startTicks = JsonUtils::integer(object.value(QStringLiteral("start"))).value_or(-1);
        entry.clientPid = JsonUtils::integer(object.value(QStringLiteral("client"))).value_or(0);
        entry.clientStartTicks = JsonUtils::integer(object.value(QStringLiteral("clientStart"))).value_or(-1);
        if (entry.pid <= 0 || entry.executable.isEmpty() || name != QStringLiteral("engine-%1.json").arg(entry.pid)) {
            // Not a record we wrote: it names nothing we could safely stop.
            file.remove();
            continue;
        }
        out.append(entry);
    }
    return out;
}

bool EngineRecord::isRunning(const Entry &entry)
{
    if (processGone(entry.pid))
        return false;
    return startTicks(entry.pid) == entry.startTicks && executableOf(entry.pid) == entry.executable;
}

bool EngineRecord::clientIsGone(const Entry &entry)
{
    if (entry.clientPid == QCoreApplication::applicationPid())
        return false;
    return startTicks(entry.clientPid) != entry.clientStartTicks;
}

bool EngineRecord::stop(qint64 pid, QObject *context, int graceMs, std::function<void()> done)
{
    QList<Entry> running;
    for (const Entry &entry : entries()) {
        if (entry.pid != pid)
            continue;
        remove(pid);
        if (isRunning(entry)) {
            OSTREL_LOG(Logger::Info, QStringLiteral("stopping engine %1 left without its guard").arg(pid));
            signalEngine(pid, SIGTERM);
            running.append(entry);
        }
    }
    if (running.isEmpty())
        return false;
    awaitEnd(running, context, graceMs, std::move(done));
    return true;
}

bool EngineRecord::hasLeftovers()
{
    const QList<Entry> all = entries();
    return std::any_of(all.begin(), all.end(), [](const Entry &entry) { return clientIsGone(entry); });
}

void EngineRecord::stopLeftovers(QObject *context, int graceMs, std::function<void(int stopped)> done)
{
    QList<Entry> running;
    for (const Entry &entry : entries()) {
        if (!clientIsGone(entry))
            continue;
        remove(entry.pid);
        if (!isRunning(entry))
            continue;
        OSTREL_LOG(Logger::Info, QStringLiteral("stopping engine %1 left by an earlier run").arg(entry.pid));
        signalEngine(entry.pid, SIGTERM);
        running.append(entry);
    }
    const int count = int(running.size());
    awaitEnd(running, context, graceMs, [done, count] {
        if (done)
            done(count);
    });
}

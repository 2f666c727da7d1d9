#include "vpn/EngineProcess.h"

#include "common/GuiThread.h"
#include "common/Logger.h"
#include "vpn/EngineRecord.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <csignal>
#include <optional>
#include <utility>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Under a guard the engine is forked right after the guard starts; this bounds the wait for it.
constexpr int kRecordTries = 100;
constexpr int kRecordRetryMs = 10;

} // namespace

EngineProcess::EngineProcess(QObject *parent)
    : QObject(parent)
{
}

EngineProcess::~EngineProcess()
{
    if (isRunning())
        releaseToBackground(m_stopGraceMs);
}

void EngineProcess::releaseToBackground(int graceMs)
{
    QProcess *process = m_process.release();
    process->disconnect(this);
    // The application owns it now: a process still alive when the application goes is killed
    // then (QProcess's destructor), and PR_SET_PDEATHSIG covers a client that dies outright.
    process->setParent(QCoreApplication::instance());
    // Its record goes once it has ended; an engine that outlived its guard is stopped then.
    const qint64 recorded = std::exchange(m_recordedPid, 0);
    connect(process, &QProcess::finished, process, [process, recorded, graceMs] {
        if (recorded > 0)
            EngineRecord::stop(recorded, QCoreApplication::instance(), graceMs);
        process->deleteLater();
    });
    process->terminate();
    QPointer<QProcess> guard(process);
    // Precise, as in stop(): the engine gets its whole grace period.
    QTimer::singleShot(killDelay(graceMs), Qt::PreciseTimer, process, [guard] {
        if (guard && guard->state() != QProcess::NotRunning)
            guard->kill();
    });
}

bool EngineProcess::start(const QString &program, const QStringList &arguments,
                          const QString &workingFolder, ErrorOutput errorOutput)
{
    if (isRunning())
        return false;
    m_buffer = EngineLineBuffer();
    m_program = program;
    m_arguments = arguments;
    const QString guard = guardPath();
    m_guarded = !guard.isEmpty();
    m_process = std::make_unique<QProcess>();
    if (m_guarded) {
        m_process->setProgram(guard);
        m_process->setArguments(QStringList{QString::number(m_stopGraceMs), QFileInfo(program).absoluteFilePath()}
                                + arguments);
    } else {
        m_process->setProgram(program);
        m_process->setArguments(arguments);
    }
    if (!workingFolder.isEmpty())
        m_process->setWorkingDirectory(workingFolder);
    m_process->setProcessChannelMode(errorOutput == ErrorOutput::Merged ? QProcess::MergedChannels
                                                                        : QProcess::ForwardedErrorChannel);
    m_process->setStandardInputFile(QProcess::nullDevice());
    const pid_t client = ::getpid();
    m_process->setChildProcessModifier([client] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The client may have died between fork and prctl; then nobody would ever stop us.
        if (::getppid() != client)
            ::_exit(1);
    });

    QProcess *process = m_process.get();
    connect(process, &QProcess::started, this, [this, process] {
        if (m_process.get() == process)
            recordEngine(kRecordTries);
    });
    connect(process, &QProcess::started, this, &EngineProcess::started);
    connect(process, &QProcess::readyReadStandardOutput, this, &EngineProcess::readOutput);
    connect(process, &QProcess::finished, this, &EngineProcess::onFinished);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || m_process.get() != process)
            return;
        const QString text = process->errorString();
        // The QProcess may be deleted by a slot of failedToStart; let it go after this call.
        m_process.release()->deleteLater();
        // A stop asked for while it was starting has nothing left to wait for.
        for (std::function<void()> &waiter : std::exchange(m_stopWaiters, {}))
            GuiThread::post(this, std::move(waiter));
        Q_EMIT failedToStart(text);
    });
    process->start();
    return true;
}

void EngineProcess::stop(int graceMs, std::function<void()> done)
{
    if (!isRunning()) {
        if (done)
            GuiThread::post(this, std::move(done));
        return;
    }
    if (done)
        m_stopWaiters.push_back(std::move(done));
    m_process->terminate();
    QPointer<QProcess> process(m_process.get());
    // Precise: a timer of seconds is coarse by default and may fire 5 % early, cutting the grace
    // period the engine is promised (the guard's own timer keeps it to the millisecond).
    QTimer::singleShot(killDelay(graceMs), Qt::PreciseTimer, this, [process] {
        if (process && process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void EngineProcess::stopAndWait(int graceMs)
{
    // Waiting delivers the process's signals, and their slots may drop it: check after each wait.
    QPointer<QProcess> process(m_process.get());
    if (!process || process->state() == QProcess::NotRunning)
        return;
    if (process->state() == QProcess::Starting)
        process->waitForStarted(graceMs);
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (process->waitForFinished(killDelay(graceMs)) || !process)
        return;
    process->kill();
    if (process)
        process->waitForFinished(1000);
}

bool EngineProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool EngineProcess::isStarting() const
{
    return m_process && m_process->state() == QProcess::Starting;
}

qint64 EngineProcess::processId() const
{
    const qint64 pid = m_process ? m_process->processId() : 0;
    if (!m_guarded || pid <= 0)
        return pid;
    // The guard has exactly one child, the engine.
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!children.open(QIODevice::ReadOnly))
        return pid;
    const qint64 engine = children.readAll().trimmed().split(' ').value(0).toLongLong();
    return engine > 0 ? engine : pid;
}

QString EngineProcess::program() const
{
    return m_process ? m_program : QString();
}

QStringList EngineProcess::arguments() const
{
    return m_process ? m_arguments : QStringList();
}

namespace {

std::optional<QString> s_guardOverride;

} // namespace

QString EngineProcess::guardPath()
{
    if (s_guardOverride)
        return *s_guardOverride;
    const QFileInfo guard(QCoreApplication::applicationDirPath() + QStringLiteral("/ostrel-engine-guard"));
    return guard.isFile() && guard.isExecutable() ? guard.absoluteFilePath() : QString();
}

void EngineProcess::setGuardPathForTesting(const QString &path)
{
    s_guardOverride = path;
}

void EngineProcess::readOutput()
{
    if (!m_process)
        return;
    const QStringList lines = m_buffer.append(m_process->readAllStandardOutput());
    QPointer<EngineProcess> self(this);
    for (const QString &line : lines) {
        if (!self)
            return;
        Q_EMIT lineRead(line);
    }
}

void EngineProcess::recordEngine(int triesLeft)
{
    if (!isRunning() || m_recordedPid > 0)
        return;
    const qint64 pid = processId();
    const bool known = pid > 0 && (!m_guarded || pid != m_process->processId());
    if (known) {
        const QString failed = EngineRecord::write(pid, m_program);
        if (failed.isEmpty()) {
            m_recordedPid = pid;
            return;
        }
        // The engine still ends with its guard; only a guard killed outright would leave it
        // running unseen by the next start.
        OSTREL_LOG(Logger::Warning, QStringLiteral("engine %1 runs without its record: %2").arg(pid).arg(failed));
        return;
    }
    if (triesLeft <= 0)
        return;
    QPointer<QProcess> process(m_process.get());
    QTimer::singleShot(kRecordRetryMs, this, [this, process, triesLeft] {
        if (process && process == m_process.get())
            recordEngine(triesLeft - 1);
    });
}

void EngineProcess::onFinished(int exitCode, QProcess::ExitStatus status)
{
    // The last lines' slots may drop this engine before its end is handed on.
    QPointer<EngineProcess> self(this);
    readOutput();
    if (!self)
        return;
    if (const std::optional<QString> rest = m_buffer.flush())
        Q_EMIT lineRead(*rest);
    if (!self)
        return;
    // Keep the QProcess until control has left its signal; a slot may start a new engine.
    if (m_process)
        m_process.release()->deleteLater();
    const bool crashed = status == QProcess::CrashExit;
    // Those waiting for the stop hear of it right after everyone else.
    auto report = [self, exitCode, crashed, waiters = std::exchange(m_stopWaiters, {})]() {
        if (!self)
            return;
        Q_EMIT self->finished(exitCode, crashed);
        for (const std::function<void()> &waiter : waiters) {
            if (!self)
                return;
            waiter();
        }
    };
    // An engine that outlived its guard is stopped before anyone hears that it ended.
    const qint64 recorded = std::exchange(m_recordedPid, 0);
    if (recorded > 0 && EngineRecord::stop(recorded, this, m_stopGraceMs, report))
        return;
    report();
}

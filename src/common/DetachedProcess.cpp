#include "common/DetachedProcess.h"

#include <QByteArrayList>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>
#if __has_include(<linux/close_range.h>)
#include <linux/close_range.h>
#endif

extern char **environ;

namespace {

// Everything the child needs, made before the fork: between fork and exec only async-signal-safe
// calls may run (another thread may have held the allocator's lock at the fork).
struct Plan
{
    QByteArray program;
    QByteArrayList arguments;
    std::vector<char *> argv;
    QByteArray workingDirectory;
    int descriptorLimit = 0;
};

// Marked close-on-exec rather than closed: the pipe that reports a failed exec must stay open
// until the exec, and so must anything the C library keeps open meanwhile.
void closeOnExecFromThree(int descriptorLimit)
{
#ifdef CLOSE_RANGE_CLOEXEC
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    // Kernels before 5.11 know no such flag.
    for (int fd = 3; fd < descriptorLimit; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC))
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

void writeAll(int fd, const void *data, size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= size_t(written);
    }
}

// Reads exactly `size` bytes; false at an end of file before that.
bool readAll(int fd, void *data, size_t size)
{
    char *bytes = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

// The client's signal handlers and the signals it ignores (SIGPIPE, what a shell's nohup set) are
// no business of the program: every signal to its default. The caller blocked every signal around
// the fork, so none of the client's handlers runs in a child meanwhile.
void defaultSignals()
{
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &byDefault, nullptr);
}

[[noreturn]] void runProgram(const Plan &plan, int reportFd)
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    closeOnExecFromThree(plan.descriptorLimit);
    if (!plan.workingDirectory.isEmpty() && ::chdir(plan.workingDirectory.constData()) != 0) {
        const int error = errno;
        writeAll(reportFd, &error, sizeof error);
        ::_exit(127);
    }
    ::execve(plan.program.constData(), plan.argv.data(), environ);
    const int error = errno;
    writeAll(reportFd, &error, sizeof error);
    ::_exit(127);
}

// The middle of the double fork: a session of its own, so the program keeps nothing of the
// client's terminal or process group, and a parent that ends at once, so it passes to the nearest
// reaper (init, or the session's service manager). _Fork runs no handler a library registered for
// fork: this child of a threaded client may run only async-signal-safe calls.
[[noreturn]] void forkProgram(const Plan &plan, int pidFd, int reportFd)
{
    defaultSignals();
    ::setsid();
    const pid_t program = ::_Fork();
    if (program == 0)
        runProgram(plan, reportFd);
    writeAll(pidFd, &program, sizeof program);
    ::_exit(program < 0 ? 1 : 0);
}

QString describe(const QString &program, int error)
{
    return QStringLiteral("%1 could not be started: %2").arg(program, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

DetachedProcess::Result DetachedProcess::start(const QString &program, const QStringList &arguments,
                                               const QString &workingDirectory)
{
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return {0, QStringLiteral("%1 is not installed").arg(program)};

    Plan plan;
    plan.program = QFile::encodeName(path);
    plan.arguments.append(plan.program);
    for (const QString &argument : arguments)
        plan.arguments.append(argument.toLocal8Bit());
    for (QByteArray &argument : plan.arguments)
        plan.argv.push_back(argument.data());
    plan.argv.push_back(nullptr);
    plan.workingDirectory = QFile::encodeName(workingDirectory);
    const long limit = ::sysconf(_SC_OPEN_MAX);
    plan.descriptorLimit = limit > 0 && limit < 1 << 20 ? int(limit) : 1 << 20;

    int pidPipe[2];
    int reportPipe[2];
    if (::pipe2(pidPipe, O_CLOEXEC) != 0)
        return {0, describe(program, errno)};
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(pidPipe[0]);
        ::close(pidPipe[1]);
        return {0, describe(program, error)};
    }
    sigset_t all;
    sigset_t callers;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &callers);
    const pid_t middle = ::fork();
    if (middle == 0)
        forkProgram(plan, pidPipe[1], reportPipe[1]);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &callers, nullptr);
    ::close(pidPipe[1]);
    ::close(reportPipe[1]);

    Result result;
    if (middle < 0) {
        result.error = describe(program, forkError);
    } else {
        int status = 0;
        while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
        }
        pid_t started = -1;
        int execError = 0;
        if (!readAll(pidPipe[0], &started, sizeof started) || started <= 0)
            result.error = describe(program, EAGAIN);
        // The report pipe ends without a word when the exec succeeds.
        else if (readAll(reportPipe[0], &execError, sizeof execError))
            result.error = describe(program, execError);
        else
            result.pid = started;
    }
    ::close(pidPipe[0]);
    ::close(reportPipe[0]);
    return result;
}

DetachedProcess::Result DetachedProcess::openUrl(const QUrl &url)
{
    return start(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

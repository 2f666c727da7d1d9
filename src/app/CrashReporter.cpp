#include "app/CrashReporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "common/AppPaths.h"

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGILL, SIGFPE};

// Prepared by start(); the handler reads them only.
char g_pathPrefix[4096];
char g_version[128];
alignas(16) char g_altStack[64 * 1024];

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    default: return "signal";
    }
}

// Appends a text or a number to a fixed buffer without allocating.
struct Line
{
    char text[4200];
    size_t length = 0;

    Line &add(const char *part)
    {
        while (*part && length < sizeof text - 1)
            text[length++] = *part++;
        text[length] = '\0';
        return *this;
    }
    Line &add(long long number)
    {
        char digits[24];
        int count = 0;
        const bool negative = number < 0;
        unsigned long long value = negative ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
        do {
            digits[count++] = char('0' + value % 10);
            value /= 10;
        } while (value && count < 23);
        if (negative)
            add("-");
        while (count > 0 && length < sizeof text - 1)
            text[length++] = digits[--count];
        text[length] = '\0';
        return *this;
    }
};

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written <= 0)
            return;
        data += written;
        length -= size_t(written);
    }
}

void handleCrash(int signal)
{
    const long long now = static_cast<long long>(::time(nullptr));
    Line path;
    path.add(g_pathPrefix).add(static_cast<long long>(::getpid())).add("-").add(now).add(".txt");
    const int fd = ::open(path.text, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        Line head;
        head.add("signal ").add(static_cast<long long>(signal)).add(" (").add(signalName(signal)).add(")\n");
        head.add("pid ").add(static_cast<long long>(::getpid())).add("\n");
        head.add("time ").add(now).add("\n");
        head.add("version ").add(g_version).add("\n");
        head.add("backtrace:\n");
        writeAll(fd, head.text, head.length);
        void *frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
    // The handler was reset on entry (SA_RESETHAND); raising again ends the process by the signal
    // once this handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

QString CrashReporter::defaultFolder()
{
    return AppPaths::dataFolder() + QStringLiteral("/crashes");
}

bool CrashReporter::start(const QString &folder)
{
    if (!AppPaths::ensureFolder(folder, true))
        return false;
    const QByteArray prefix = QFile::encodeName(QDir(folder).absoluteFilePath(QString::fromLatin1(kFilePrefix)));
    if (size_t(prefix.size()) >= sizeof g_pathPrefix - 64)
        return false;
    std::memcpy(g_pathPrefix, prefix.constData(), size_t(prefix.size()) + 1);
    const QByteArray version = QCoreApplication::applicationVersion().toUtf8().left(sizeof g_version - 1);
    std::memcpy(g_version, version.constData(), size_t(version.size()) + 1);

    // backtrace() loads its unwinder on first use, which must not happen inside the handler.
    void *warmUp[2];
    ::backtrace(warmUp, 2);

    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof g_altStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action{};
    action.sa_handler = handleCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    return true;
}

QStringList CrashReporter::reports(const QString &folder)
{
    QDir dir(folder);
    const QStringList names = dir.entryList({QString::fromLatin1(kFilePrefix) + QLatin1Char('*')}, QDir::Files, QDir::Time | QDir::Reversed);
    QStringList paths;
    for (const QString &name : names)
        paths.append(dir.filePath(name));
    return paths;
}

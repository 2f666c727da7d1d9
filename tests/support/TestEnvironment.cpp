#include "support/TestEnvironment.h"

#include "support/ProcScan.h"

#include <QtGlobal>

#include <cstring>
#include <iterator>
#include <unistd.h>

extern char **environ;

namespace {

// Where programs and temporary files are, who runs the program and on what terminal. HOME and
// TMPDIR are replaced by folders of the run once the entry made its folder (in the caller's
// TMPDIR where the tests' sockets fit there).
constexpr const char *kKept[] = {"PATH", "LD_LIBRARY_PATH", "TMPDIR", "HOME", "USER", "LOGNAME", "TERM",
                                 // The sanitizers' settings, for a run under them.
                                 "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"};

// The test runners' own, and what a test tells a test program it starts (OSTREL_TEST and
// OSTREL_TEST_*; the client's own OSTREL_ switches are not the tests').
constexpr const char *kKeptPrefixes[] = {"GTEST_", "CTEST_", "OSTREL_TEST"};

// The display a web-view program started for itself, kept while the program runs under it.
constexpr const char *kOwnDisplay[] = {"DISPLAY", "XAUTHORITY", TestEnvironment::kOwnDisplayVariable};

bool startsWith(const char *name, const char *prefix)
{
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

bool oneOf(const char *name, const char *const *names, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (std::strcmp(name, names[i]) == 0)
            return true;
    }
    return false;
}

// Whether a variable of that name passes from the shell into a test program.
bool keeps(const char *name)
{
    if (oneOf(name, kKept, std::size(kKept)))
        return true;
    for (const char *prefix : kKeptPrefixes) {
        if (startsWith(name, prefix))
            return true;
    }
    return TestEnvironment::underOwnDisplay() && oneOf(name, kOwnDisplay, std::size(kOwnDisplay));
}

} // namespace

namespace TestEnvironment {

std::vector<std::string> markTheRun(const std::string &folder)
{
    ProcScan::Stat self;
    const QByteArray outer = qgetenv(kRunVariable);
    const QByteArray run = (outer.isEmpty() ? QByteArray() : outer + '/') + QByteArray::number(::getpid()) + ':'
                           + QByteArray::number(ProcScan::statOf(::getpid(), &self) ? self.start : 0);
    qputenv(kRunVariable, run);
    return {"HOME=" + folder, std::string(kRunVariable) + '=' + run.toStdString()};
}

bool underOwnDisplay()
{
    const QByteArray own = qgetenv(kOwnDisplayVariable);
    return !own.isEmpty() && own == QByteArray::number(::getpid()) + ' ' + qgetenv("DISPLAY");
}

QStringList ownDisplayCommand(const QString &screen, const QString &program, const QStringList &arguments)
{
    // The shell's pid is the program's once it runs the program in its place.
    const QString script =
        QStringLiteral("export %1=\"$$ $DISPLAY\"; exec \"$0\" \"$@\"").arg(QLatin1String(kOwnDisplayVariable));
    return QStringList{QStringLiteral("xvfb-run"), QStringLiteral("-a"), QStringLiteral("-s"),
                       QStringLiteral("-screen 0 ") + screen, QStringLiteral("sh"), QStringLiteral("-c"), script, program}
        + arguments;
}

void leaveTheSession()
{
    std::vector<std::string> refused;
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *equals = std::strchr(*entry, '=');
        const std::string name = equals ? std::string(*entry, size_t(equals - *entry)) : std::string(*entry);
        if (!keeps(name.c_str()))
            refused.push_back(name);
    }
    for (const std::string &name : refused)
        qunsetenv(name.c_str());
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
    qputenv("QT_QPA_PLATFORM", underOwnDisplay() ? "xcb" : "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Debug lines by hand: the rules of Qt's logging, for the program and the clients it starts
    // (whose console takes them as a user's own), given under a name the allow-list keeps.
    if (qEnvironmentVariableIsSet("OSTREL_TEST_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", qgetenv("OSTREL_TEST_LOGGING_RULES"));
}

} // namespace TestEnvironment

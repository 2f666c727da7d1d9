// Entry of every test executable: a private profile (HOME and XDG folders in a temporary folder)
// and a Qt application object, so that tests touch real files without touching the user's. A
// test program uses only what the build made and its profile. Of the environment it was started
// with it keeps only what runs it (TestEnvironment): no display but its own, no session bus or
// session manager, no proxy, no switch of Qt, Chromium or the GL driver. Run by hand it behaves
// as under ctest, which sets only OSTREL_TEST_RUNS_CHROMIUM, for the check of its label below
// (and, in a sanitizer build, an ASAN_OPTIONS check off for the programs that run Chromium).
// Everything it started ends with it, at its own end (LeftoverProcesses) or when it dies before
// that (LeftoverWarden), and so do the temporary folders its tests made.
#include <QCoreApplication>
#ifdef OSTREL_TEST_WIDGETS
#include <QApplication>
#endif
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include <signal.h>
#include <sys/prctl.h>

#include "LeftoverProcesses.h"
#include "LeftoverWarden.h"
#include "TestEnvironment.h"
#include "WantedSkip.h"
#include "common/AppPaths.h"
#include "common/HelperProtocol.h"
#include "common/ProcessTeardown.h"

namespace {

// Before any static initialiser of the program reads the environment: a web-view program picks
// its display in one. Only a program's move into a network of its own comes earlier (OwnNetwork).
__attribute__((constructor(102))) void leaveTheSessionFirst()
{
    TestEnvironment::leaveTheSession();
}

// The longest the processes the tests started are waited for to end, once the application is
// gone: a daemon puts things back on its end signal, web engine processes follow their browser.
constexpr int kLeftoverEndingBoundMs = 10000;

constexpr char kRunFolderName[] = "ostrel-test-XXXXXX";

// The run's folder holds the profile, private to the user, and the tests' temporary folder, which
// other users may pass as they pass the system's: a test that plays another user's process shares
// a folder of it with that process. A killed program's temporary folders go with the run's folder.
// What could not be made, when it fails.
std::optional<QString> fillRunFolder(const QString &folder)
{
    const QString temporary = folder + QStringLiteral("/tmp");
    const QString path = folder + QStringLiteral("/home");
    const auto owners = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto passable = owners | QFile::ExeGroup | QFile::ExeOther;
    // The failed call's errno, read before anything else can overwrite it.
    const auto failed = [](const char *what, const QString &where) {
        const int error = errno;
        return QLatin1String(what) + where + QStringLiteral(": ") + qt_error_string(error);
    };
    if (!QDir().mkdir(temporary, passable))
        return failed("cannot make ", temporary);
    if (!QDir().mkdir(path, owners))
        return failed("cannot make ", path);
    if (!QFile::setPermissions(folder, passable))
        return failed("cannot set the permissions of ", folder);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    const QByteArray home = QFile::encodeName(path);
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_DOWNLOAD_DIR", home + "/Downloads");
    // A runtime folder of its own too, even inside a desktop session: it holds the record of the
    // engines this client started, which start-up sweeps as leftovers, so test programs run side
    // by side would otherwise stop each other's engines.
    const QString runtime = path + QStringLiteral("/run");
    if (!QDir().mkdir(runtime, owners))
        return failed("cannot make ", runtime);
    qputenv("XDG_RUNTIME_DIR", home + "/run");
    // A session bus address where nothing listens: no signal or notice of a test reaches a bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/run/no-session-bus");
    // The install folder is an empty one of the profile, so no test, nor a client a test starts,
    // meets the engines or the helper a run of the client installed on this machine.
    qputenv("OSTREL_TEST", "1");
    qputenv("OSTREL_INSTALL_FOLDER", home + "/opt/Ostrel_mac_Pelmorath");
    return std::nullopt;
}

// What the tests put below the run's folder on the way to their deepest socket: a test's temporary
// folder, named after the program ("/tmp/<program>-XXXXXX", the longest program name of the build
// given by tests/CMakeLists.txt), made the home of a client the test starts, with the client's
// socket in its runtime folder ("/run/" and HelperProtocol::kSocketName), deeper than the helper's
// socket the other tests make there ("/helper.sock").
constexpr qsizetype kDeepestSocketBelowTheRun = qsizetype(std::string_view("/tmp/").size())
                                                + OSTREL_LONGEST_TEST_PROGRAM_NAME
                                                + qsizetype(std::string_view("-XXXXXX/run/").size())
                                                + qsizetype(std::string_view(HelperProtocol::kSocketName).size());
// Where even the system's temporary folder leaves no room for them, a program's name is too long.
static_assert(qsizetype(std::string_view("/tmp/").size() + std::string_view(kRunFolderName).size()) + kDeepestSocketBelowTheRun
                  <= HelperProtocol::kLongestSocketPath,
              "a test program's name leaves its tests' sockets no room below the run's folder: shorten it");

// Where the run's folder goes: the caller's TMPDIR, unless a socket the tests make there would
// not fit in a socket's path (an engineer's TMPDIR may lie deep in a home folder); then the
// system's, which is short everywhere. A program without a warden, which a test starts in order to
// kill it, keeps to the folder that test gave it: once killed, it removes nothing itself.
QString runFolderRoot()
{
    const QString caller = QDir::tempPath();
    if (!LeftoverWarden::wanted())
        return caller;
    const qsizetype runFolder = QFile::encodeName(caller).size() + qsizetype(std::strlen(kRunFolderName)) + 1;
    return runFolder + kDeepestSocketBelowTheRun <= HelperProtocol::kLongestSocketPath ? caller : QStringLiteral("/tmp");
}

std::unique_ptr<QTemporaryDir> makeRunFolder()
{
    const QString root = runFolderRoot();
    auto folder = std::make_unique<QTemporaryDir>(root + QLatin1Char('/') + QLatin1String(kRunFolderName));
    if (!folder->isValid()) {
        std::fprintf(stderr, "FAILED: cannot make the run's folder in %s: %s\n", qPrintable(root),
                     qPrintable(folder->errorString()));
        return nullptr;
    }
    if (const std::optional<QString> failed = fillRunFolder(folder->path())) {
        std::fprintf(stderr, "FAILED: cannot fill the run's folder %s: %s\n", qPrintable(folder->path()),
                     qPrintable(*failed));
        return nullptr;
    }
    return folder;
}

int runTests(int argc, char **argv)
{
#ifdef OSTREL_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Resources come from the source tree and the build folder, so a test never depends on an
    // install step, nor on where its program sits.
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_TEST_RESOURCES));
    AppPaths::setBuiltResourceFolderForTesting(QStringLiteral(OSTREL_TEST_BUILT_RESOURCES));
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    const bool startedChromium = LeftoverProcesses::startedChromium();
    // Chromium offscreen, with GL off and the program's own display unused, is not how the client
    // runs its pages, and run by hand as root it refuses to start.
    if (!TestEnvironment::underOwnDisplay() && startedChromium) {
        std::fprintf(stderr, "FAILED: the tests started Chromium outside a display of the program's own: a program whose "
                             "cases open web pages calls WebTestDisplay::ensure() (tests/support/WebTestDisplay.h)\n");
        result = 1;
    }
    // The sanitizer runs go by the label; ctest says whether this program carries it.
    if (startedChromium && qgetenv("OSTREL_TEST_RUNS_CHROMIUM") == "0") {
        std::fprintf(stderr, "FAILED: the tests started Chromium, but the program is not labelled \"chromium\": declare it "
                             "with ostrel_runs_chromium() where its test is set up (tests/CMakeLists.txt)\n");
        result = 1;
    }
    ProcessTeardown::run();
    return result;
}

// A program under its own display ends with the xvfb-run that made it (killed by ctest's
// time-out, say); its warden then ends what it left and the display's server.
bool endWithItsDisplay()
{
    return !TestEnvironment::underOwnDisplay() || ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    if (!LeftoverProcesses::adoptDescendants() || !endWithItsDisplay())
        return 2;
    const std::unique_ptr<QTemporaryDir> folder = makeRunFolder();
    if (!folder)
        return 2;
    const std::string path = QFile::encodeName(folder->path()).toStdString();
    const std::vector<std::string> marks = TestEnvironment::markTheRun(path);
    if (!LeftoverWarden::start(path, marks))
        return 2;
    int result = runTests(argc, argv);
    LeftoverWarden::stop();
    const int left = LeftoverProcesses::endAndReport(marks, kLeftoverEndingBoundMs);
    if (left > 0) {
        std::fprintf(stderr, "FAILED: %d process(es) the tests started were still running at exit\n", left);
        result = 1;
    }
    // Only a program that failed nothing reads as skipped: ctest takes this status alone, so no
    // output of a case (nor of a program a case ran) can turn a failure into a skip.
    if (result == 0 && WantedSkip::anySkipped()) {
        std::fprintf(stderr, "SKIPPED: a case could not run here for want of something outside the program "
                             "(its reason is above); exit status %d tells ctest\n", WantedSkip::kSkippedExitCode);
        return WantedSkip::kSkippedExitCode;
    }
    return result;
}

// Entry of every test executable: a private profile (HOME and XDG folders in a temporary folder)
// and a Qt application object, so that tests touch real files without touching the user's. A
// test program uses only what the build made and its profile, and ends everything it started.
// Nothing of the desktop session it was started from reaches it (TestEnvironment): no display but
// its own, no session bus, no proxy.
#include <QCoreApplication>
#ifdef OSTREL_TEST_WIDGETS
#include <QApplication>
#endif
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#include "LeftoverProcesses.h"
#include "TestEnvironment.h"
#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"

namespace {

// Before any static initialiser of the program reads the environment: a web-view program picks
// its display in one.
__attribute__((constructor(101))) void leaveTheSessionFirst()
{
    TestEnvironment::leaveTheSession();
}

// The longest a process the tests started is waited for while it is on its way out, once the
// application is gone: web engine processes follow their browser within a moment.
constexpr int kLeftoverEndingBoundMs = 10000;

bool makePrivateProfile(const QString &path)
{
    const QByteArray home = path.toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_DOWNLOAD_DIR", home + "/Downloads");
    // A runtime folder of its own too, even inside a desktop session: it holds the record of the
    // engines this client started, which start-up sweeps as leftovers, so test programs run side
    // by side would otherwise stop each other's engines.
    const QString runtime = path + QStringLiteral("/run");
    if (!QDir().mkpath(runtime) || !QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return false;
    qputenv("XDG_RUNTIME_DIR", home + "/run");
    // A session bus address where nothing listens: no signal or notice of a test reaches a bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/run/no-session-bus");
    // The install folder is an empty one of the profile, so no test, nor a client a test starts,
    // meets the engines or the helper a run of the client installed on this machine.
    qputenv("OSTREL_TEST", "1");
    qputenv("OSTREL_INSTALL_FOLDER", home + "/opt/Ostrel_mac_Pelmorath");
    return true;
}

int runTests(int argc, char **argv)
{
#ifdef OSTREL_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Resources come from the source tree, so a test never depends on an install step.
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_TEST_RESOURCES));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ProcessTeardown::run();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (!LeftoverProcesses::adoptDescendants())
        return 2;
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-test-XXXXXX"));
    if (!profile.isValid() || !makePrivateProfile(profile.path()))
        return 2;
    int result = runTests(argc, argv);
    const int left = LeftoverProcesses::endAndReport(profile.path().toLocal8Bit(), kLeftoverEndingBoundMs);
    if (left > 0) {
        std::fprintf(stderr, "FAILED: %d process(es) the tests started were still running at exit\n", left);
        result = 1;
    }
    return result;
}

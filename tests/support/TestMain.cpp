// Entry of every test executable: a private profile (HOME and XDG folders in a temporary folder)
// and a Qt application object, so that tests touch real files without touching the user's.
#include <QCoreApplication>
#ifdef OSTREL_TEST_WIDGETS
#include <QApplication>
#endif
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/AppPaths.h"

int main(int argc, char **argv)
{
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-test-XXXXXX"));
    if (!profile.isValid())
        return 2;
    const QByteArray home = profile.path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_DOWNLOAD_DIR", home + "/Downloads");
    // A runtime folder of its own too, even inside a desktop session: it holds the record of the
    // engines this client started, which start-up sweeps as leftovers, so test programs run side
    // by side would otherwise stop each other's engines.
    const QString runtime = profile.path() + QStringLiteral("/run");
    if (!QDir().mkpath(runtime) || !QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return 2;
    qputenv("XDG_RUNTIME_DIR", home + "/run");

#ifdef OSTREL_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Resources come from the source tree, so a test never depends on an install step.
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_TEST_RESOURCES));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

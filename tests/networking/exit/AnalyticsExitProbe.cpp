// Tracks a few analytics events and ends at once, shaped like the client's own main: the
// uploads are still being started on the worker thread when the event loop returns.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"
#include "networking/XSAnalyticsManager.h"

int main(int argc, char **argv)
{
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-exit-probe-XXXXXX"));
    if (!profile.isValid())
        return 2;
    const QByteArray home = profile.path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_RUNTIME_DIR", home);

    QCoreApplication app(argc, argv);
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_TEST_RESOURCES));
    for (int i = 0; i < 4; ++i)
        XSAnalyticsManager::shared().track(QStringLiteral("exit_probe"));
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int status = QCoreApplication::exec();
    ProcessTeardown::run();
    return status;
}

#include <QApplication>

#include "app/AppDelegate.h"
#include "app/uikit/NSFontHelper.h"
#include "common/Logger.h"
#include "upgrade/UpgradeInstallRunner.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Before anything can replace the executable: the relaunch after an upgrade starts this path.
    UpgradeInstallRunner::captureExecutablePath();
    Logger::configureConsole();
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(true);
    NSFontHelper::installFontSubstitutions();

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

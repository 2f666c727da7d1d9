#include "app/AppDelegate.h"
#include "app/SWBApplication.h"
#include "app/StartupOpenOption.h"
#include "uikit/NSFontHelper.h"
#include "uikit/TextFieldKeyEquivalents.h"
#include "common/Logger.h"
#include "common/ProcessTeardown.h"
#include "upgrade/UpgradeInstallRunner.h"

namespace {

// The client from its application object to the object's end.
int runClient(int argc, char **argv)
{
    // Qt::AA_ShareOpenGLContexts is not set here: the web pages' module sets it and makes the
    // shared GL context when the first page is asked for (app/WebModule.cpp), so that a start
    // that shows no page loads no GL driver.
    SWBApplication app(argc, argv);
    // Before anything can replace the executable: the relaunch after an upgrade starts this path.
    UpgradeInstallRunner::captureExecutablePath();
    Logger::configureConsole();
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(true);
    NSFontHelper::installFontSubstitutions();
    TextFieldKeyEquivalents::install(&app);

    AppDelegate delegate;
    delegate.setStartupOpen(StartupOpenOption::fromArguments(QApplication::arguments()));
    delegate.applicationDidFinishLaunching();
    const int status = QApplication::exec();
    // Worker threads end while the application object is still whole.
    ProcessTeardown::run();
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    // The delegate's end (the quit's restore) and the application object's are behind us. A
    // question to the system's proxy that never came back would have the exit handlers wait for
    // it (Qt's libproxy thread): the end then skips them.
    return ProcessTeardown::end(runClient(argc, argv));
}

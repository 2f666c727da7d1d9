#include <QApplication>

#include "app/AppDelegate.h"
#include "common/Logger.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Logger::configureConsole();
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

#include <QApplication>

#include "app/AppDelegate.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

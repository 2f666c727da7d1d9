#include <QApplication>

#include "app/MainWindow.h"
#include "common/FoundationStartup.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));

    FoundationStartup::run();

    MainWindow window;
    window.show();
    return QApplication::exec();
}

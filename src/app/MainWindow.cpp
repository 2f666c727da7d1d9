#include "app/MainWindow.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Ostrel"));
    resize(800, 500);
    setMinimumSize(800, 500);
}

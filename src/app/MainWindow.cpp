#include "app/MainWindow.h"

#include "app/HomeWidget.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Ostrel"));
    resize(800, 500);
    setMinimumSize(800, 500);
    m_home = new HomeWidget(this);
    setCentralWidget(m_home);
}

void MainWindow::reload()
{
    m_home->refresh();
}

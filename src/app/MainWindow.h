#pragma once

#include <QMainWindow>

// The application's single main window; its content is the split view of menu and screens.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};

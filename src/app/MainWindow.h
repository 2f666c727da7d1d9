#pragma once

#include <QMainWindow>

class HomeWidget;

// The application's single main window; its content is the home screen.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    HomeWidget &home() { return *m_home; }
    // Shows the home screen again from the service's current answers (after a sign-out).
    void reload();

private:
    HomeWidget *m_home = nullptr;
};

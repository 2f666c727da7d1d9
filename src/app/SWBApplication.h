#pragma once

#include <QApplication>

// The application object. Cut, copy, paste, undo, redo and select-all reach the focused text
// field through Qt's own key bindings (Ctrl+X/C/V/Z, Ctrl+Shift+Z, Ctrl+A), so nothing is added
// on top of QApplication; the name is where application-wide event handling belongs.
class SWBApplication : public QApplication
{
    Q_OBJECT
public:
    SWBApplication(int &argc, char **argv);
};

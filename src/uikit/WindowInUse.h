#pragma once

class NBBaseViewController;
class QWidget;

// The one window in use (splash, guide and main content all live in one window) as the kit sees
// it: the widget that full-window overlays go into, and the root screen that shows sheets. The
// shell sets both whenever it swaps the window's content; both are weak, so a deleted window or
// root reads as none.
class WindowInUse
{
public:
    static QWidget *contentWidget();
    static void setContentWidget(QWidget *widget);

    static NBBaseViewController *contentController();
    static void setContentController(NBBaseViewController *controller);

private:
    WindowInUse() = delete;
};

#include "uikit/unreached/OOWindow.h"
#include "uikit/UiLog.h"

#include <QDebug>

OOWindow::OOWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    qCDebug(lcUi).noquote() << "OOWindow: content covers the title bar" << this;
}

void OOWindow::relayoutWindowButtons()
{
    const bool wasVisible = isVisible();
    // Only the zoom button goes: asking Qt for close or minimise buttons here would bring the
    // title bar back, and the close and minimise hints the window has stay as they are.
    Qt::WindowFlags flags = windowFlags();
    flags &= ~Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    // Qt hides a window whose flags change; a shown window stays shown.
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

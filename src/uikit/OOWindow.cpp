#include "uikit/OOWindow.h"

#include <QDebug>

OOWindow::OOWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    qDebug().noquote() << "OOWindow: content covers the title bar" << this;
}

void OOWindow::relayoutWindowButtons()
{
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
    flags &= ~Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    // Qt hides a window whose flags change; a shown window stays shown.
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

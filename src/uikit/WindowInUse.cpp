#include "uikit/WindowInUse.h"

#include "uikit/NBBaseViewController.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_content;
QPointer<NBBaseViewController> g_root;
}

QWidget *WindowInUse::contentWidget()
{
    return g_content;
}

void WindowInUse::setContentWidget(QWidget *widget)
{
    g_content = widget;
}

NBBaseViewController *WindowInUse::contentController()
{
    return g_root;
}

void WindowInUse::setContentController(NBBaseViewController *controller)
{
    g_root = controller;
}

#pragma once

#include <QWidget>

#include "uikit/NBBaseViewController.h"

// Small views reach their screen without a delegate: up the parent chain to the nearest screen,
// and through the interface only when that screen offers it. Nothing found: nothing happens.
template <class Interface>
Interface *findAncestorScreen(QWidget *from)
{
    for (QWidget *widget = from; widget; widget = widget->parentWidget()) {
        if (auto *screen = qobject_cast<NBBaseViewController *>(widget))
            return dynamic_cast<Interface *>(screen);
    }
    return nullptr;
}

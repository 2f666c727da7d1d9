#include "app/uikit/NBNibInitTool.h"

#include "app/uikit/NBBaseViewController.h"
#include "app/uikit/ScreenFactory.h"

QWidget *NBNibInitTool::getNibView(const QString &name, QWidget *parent)
{
    if (name.isEmpty() || !ScreenFactory::instance().hasScreen(name))
        return nullptr;
    return ScreenFactory::instance().make(name, parent);
}

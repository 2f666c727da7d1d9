#include "uikit/unreached/NBNibInitTool.h"

#include "uikit/NBBaseViewController.h"
#include "uikit/ScreenFactory.h"

QWidget *NBNibInitTool::getNibView(const QString &name, QWidget *parent)
{
    if (name.isEmpty() || !ScreenFactory::instance().hasScreen(name))
        return nullptr;
    return ScreenFactory::instance().make(name, parent);
}

#include "settings/SplitListPane.h"

#include "uikit/NBBaseViewController.h"

void SplitListPane::attach(NBBaseViewController *host, NBBaseViewController *pane)
{
    if (pane->parentViewController() == host)
        return;
    pane->setParent(host);
    pane->move(kPaneX, 0);
    pane->raise();
    host->embedChildViewController(pane, host);
}

#include "login/unreached/NBAccountPageViewController.h"

#include "uikit/NBControllerView.h"
#include "login/account/NBAccountInfoViewController.h"

NBAccountPageViewController::NBAccountPageViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBAccountPageViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_accountInfo = new NBAccountInfoViewController(this);
    embedChildViewController(m_accountInfo, this);
}

void NBAccountPageViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    if (!m_accountInfo)
        return;
    const QSize size = NBAccountInfoViewController::screenSize();
    m_accountInfo->setGeometry((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
}

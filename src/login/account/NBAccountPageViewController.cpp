#include "login/account/NBAccountPageViewController.h"

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
    addChildViewController(m_accountInfo);
    m_accountInfo->ensureLoaded();
    m_accountInfo->show();
}

void NBAccountPageViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    if (m_accountInfo)
        m_accountInfo->viewWillAppear();
}

void NBAccountPageViewController::viewDidAppear()
{
    NBBaseViewController::viewDidAppear();
    if (m_accountInfo)
        m_accountInfo->viewDidAppear();
}

void NBAccountPageViewController::viewWillDisappear()
{
    NBBaseViewController::viewWillDisappear();
    if (m_accountInfo)
        m_accountInfo->viewWillDisappear();
}

void NBAccountPageViewController::viewDidDisappear()
{
    NBBaseViewController::viewDidDisappear();
    if (m_accountInfo)
        m_accountInfo->viewDidDisappear();
}

void NBAccountPageViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    if (!m_accountInfo)
        return;
    const QSize size = NBAccountInfoViewController::screenSize();
    m_accountInfo->setGeometry((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
}

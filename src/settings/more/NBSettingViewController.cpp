#include "settings/more/NBSettingViewController.h"

#include "uikit/RoundedPanel.h"
#include "login/account/NBAccountInfoViewController.h"

NBSettingViewController::NBSettingViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(800, 500);
}

void NBSettingViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    // A clear panel, drawn by the screen it hosts. It carries no style sheet: one would restyle
    // every field of the binding and password forms opened inside it, which keep their own
    // clear ground and light text by palette.
    m_maskView = new QWidget(this);
    m_maskView->setObjectName(QStringLiteral("settingMask"));
    m_hosted = new NBAccountInfoViewController(m_maskView);
    // A child screen: it appears and disappears with the sheet, which is what fills its rows and
    // asks for the account.
    embedChildViewController(m_hosted, m_maskView);
    layoutMask();
}

void NBSettingViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutMask();
}

void NBSettingViewController::layoutMask()
{
    if (!m_maskView)
        return;
    m_maskView->setGeometry(width() - 14 - 384, 16, 384, height() - 32);
    if (m_hosted)
        m_hosted->setGeometry(m_maskView->rect());
}

#include "settings/more/NBSettingViewController.h"

#include "app/uikit/RoundedPanel.h"
#include "app/uikit/ScreenFactory.h"

const QString NBSettingViewController::kHostedScreenName = QStringLiteral("NBAccountInfoViewController");

NBSettingViewController::NBSettingViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(800, 500);
}

void NBSettingViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_maskView = new QWidget(this);
    m_maskView->setObjectName(QStringLiteral("settingMask"));
    m_maskView->setAttribute(Qt::WA_StyledBackground);
    m_maskView->setStyleSheet(QStringLiteral("#settingMask { background: transparent; border-radius: 20px; }"));
    // By name: the account screen lives in the account layer, which registers it.
    m_hosted = qobject_cast<NBBaseViewController *>(ScreenFactory::instance().make(kHostedScreenName, m_maskView));
    if (m_hosted) {
        addChildViewController(m_hosted);
        m_hosted->ensureLoaded();
    }
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

#include "login/register/NBRetrievePassWordController.h"

#include <QPushButton>

#include "uikit/UiImages.h"
#include "login/register/NBEmailRetriPwdController.h"
#include "login/register/NBPhoneRetriPwdController.h"
#include "networking/XSAnalyticsManager.h"

NBRetrievePassWordController::NBRetrievePassWordController(QWidget *parent)
    : NBFormSwitchViewController(parent)
{
}

void NBRetrievePassWordController::viewDidLoad()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(18, 18, 27));
    setPalette(palette);
    NBFormSwitchViewController::viewDidLoad();
    m_backBtn = new QPushButton(this);
    m_backBtn->setFlat(true);
    m_backBtn->setFocusPolicy(Qt::NoFocus);
    m_backBtn->setCursor(Qt::PointingHandCursor);
    m_backBtn->setIcon(UiImages::icon(QStringLiteral("back")));
    m_backBtn->setIconSize(QSize(35, 35));
    m_backBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; padding: 0; }"));
    m_backBtn->setGeometry(30, 23, 35, 35);
    m_backBtn->raise();
    connect(m_backBtn, &QPushButton::clicked, this, [this] { dismissAction(); });
}

void NBRetrievePassWordController::viewWillAppear()
{
    NBFormSwitchViewController::viewWillAppear();
    XSAnalyticsManager::shared().track(QStringLiteral("forgotPswPage_open"));
}

NBFormSwitchViewController::FormChoice NBRetrievePassWordController::makeForm(int tag)
{
    if (tag == 1)
        return {new NBEmailRetriPwdController, QStringLiteral("forgotPswPage_email_resetAndLogin_click")};
    return {new NBPhoneRetriPwdController, QStringLiteral("forgotPswPage_phone_resetAndLogin_click")};
}

QRect NBRetrievePassWordController::cardFrame() const
{
    return QRect(width() - 11 - 384, 16, 384, height() - 32);
}

QRect NBRetrievePassWordController::switchFrame() const
{
    return QRect((384 - 348) / 2, 69, 348, 48);
}

void NBRetrievePassWordController::resizeEvent(QResizeEvent *event)
{
    NBFormSwitchViewController::resizeEvent(event);
    if (m_backBtn)
        m_backBtn->raise();
}

#include "login/register/NBRegisterViewController.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"
#include "login/register/NBEmailRegisterController.h"
#include "login/register/NBPhoneRegisterController.h"
#include "networking/XSAnalyticsManager.h"
#include "uikit/PlainText.h"

NBRegisterViewController::NBRegisterViewController(QWidget *parent)
    : NBFormSwitchViewController(parent)
{
}

void NBRegisterViewController::viewDidLoad()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(12, 26, 38));
    setPalette(palette);
    m_topLabel = PlainText::label(QStringLiteral("Use email registration to facilitate multi device login and password retrieval"), this);
    m_topLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_topLabel->setStyleSheet(QStringLiteral("color: rgb(179,183,190)"));
    m_topLabel->setWordWrap(true);
    m_topLabel->hide();
    NBFormSwitchViewController::viewDidLoad();
}

void NBRegisterViewController::viewWillAppear()
{
    NBFormSwitchViewController::viewWillAppear();
    XSAnalyticsManager::shared().track(QStringLiteral("registerPage_open"));
}

NBFormSwitchViewController::FormChoice NBRegisterViewController::makeForm(int tag)
{
    if (tag == 1) {
        m_topLabel->setText(localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_HEAD")));
        return {new NBEmailRegisterController, QStringLiteral("registerPage_email_registerAndLogin_click")};
    }
    m_topLabel->setText(localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD")));
    return {new NBPhoneRegisterController, QStringLiteral("registerPage_phone_registerAndLogin_click")};
}

QRect NBRegisterViewController::cardFrame() const
{
    // Flush with the sheet's right edge, 16 from its top and bottom.
    return QRect(width() - 394, 16, 394, height() - 32);
}

QRect NBRegisterViewController::switchFrame() const
{
    return QRect(23, 23, 394 - 46, 48);
}

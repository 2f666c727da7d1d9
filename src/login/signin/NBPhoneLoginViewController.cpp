#include "login/signin/NBPhoneLoginViewController.h"

#include <QPointer>

#include "uikit/NBCustomTextField.h"
#include "login/signin/LoginFormChecks.h"
#include "login/code/NBRegCodeView.h"
#include "login/code/NBVerityCodeViewController.h"

NBPhoneLoginViewController::NBPhoneLoginViewController(QWidget *parent)
    : NBSignInFormController(parent)
{
}

NBRegCodeView *NBPhoneLoginViewController::regcodeView()
{
    if (!m_regcodeView)
        m_regcodeView = new NBRegCodeView(this);
    return m_regcodeView;
}

void NBPhoneLoginViewController::viewDidLoad()
{
    NBSignInFormController::viewDidLoad();
    QPointer<NBPhoneLoginViewController> self(this);
    regcodeView()->selectCoutryBlock = [self](const QString &code) {
        if (self)
            self->countryCode = code;
    };
}

void NBPhoneLoginViewController::viewDidDisappear()
{
    NBSignInFormController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

QWidget *NBPhoneLoginViewController::accountRow()
{
    return regcodeView();
}

QLineEdit *NBPhoneLoginViewController::accountField()
{
    return regcodeView()->textFiled();
}

std::optional<QString> NBPhoneLoginViewController::checkFields() const
{
    return LoginFormChecks::checkPhoneForm(m_regcodeView->textFiled()->text(), textValue());
}

QJsonObject NBPhoneLoginViewController::requestParams() const
{
    return LoginFormChecks::phoneParams(m_regcodeView->textFiled()->text(), textValue(), m_regcodeView->code());
}

void NBPhoneLoginViewController::cancle()
{
    presentViewControllerAsSheet(std::make_unique<NBVerityCodeViewController>(
        VerityCodeType::findPhone, QString(), std::nullopt, countryCode.value_or(QStringLiteral("+86"))));
}

#include "login/register/NBPhoneRegisterController.h"

#include <QPushButton>

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "networking/OONetWorkTool.h"
#include "common/Localization.h"
#include "login/code/NBRegCodeView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"

NBPhoneRegisterController::NBPhoneRegisterController(QWidget *parent)
    : NBAccountFormController(parent)
{
}

void NBPhoneRegisterController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    m_regcodeView = new NBRegCodeView(this);
    AccountFormViews::setPlaceholder(m_regcodeView->textFiled(),
                                     localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD_PLACE")));
    m_rows = AccountFormViews::registrationRows(this);
    connect(m_rows.registerButton, &QAbstractButton::clicked, this, &NBPhoneRegisterController::signUpAction);
    connect(m_rows.haveAccount, &QAbstractButton::clicked, this, &NBAccountFormController::dismissAction);
    setFormFields(AccountFormViews::registrationFields(m_regcodeView->textFiled(), m_rows),
                  AccountFormViews::registrationRequired(m_regcodeView->textFiled(), m_rows), m_rows.registerButton);
    layoutViews();
}

void NBPhoneRegisterController::viewDidDisappear()
{
    NBAccountFormController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

void NBPhoneRegisterController::layoutViews()
{
    if (m_regcodeView)
        AccountFormViews::layoutRegistration(this, m_regcodeView, m_rows);
}

void NBPhoneRegisterController::codeButtonClicked(QAbstractButton *button)
{
    sendRegisterCode(button);
}

void NBPhoneRegisterController::sendRegisterCode(QAbstractButton *button)
{
    requestCode(&OONetWorkTool::sendRegisterCode,
                AccountFormLogic::phoneCodeParams(AccountFormLogic::Registration, m_regcodeView->code(),
                                                  m_regcodeView->textFiled()->text()),
                button, localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_PHONE")), this);
}

void NBPhoneRegisterController::signUpAction()
{
    const QString phone = m_regcodeView->textFiled()->text();
    const QString password = m_rows.password->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkPhoneRegistration(phone, password, m_rows.again->textFiled()->text())) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    sendSignIn(&OONetWorkTool::registerAccount,
               AccountFormLogic::phoneRegisterParams(m_rows.code->textFiled()->text(), m_regcodeView->code(), phone,
                                                     password, m_rows.invitation->textFiled()->text()),
               QStringLiteral("注册成功"), Cover::Shown);
}

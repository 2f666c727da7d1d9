#include "login/register/NBEmailRegisterController.h"

#include <QPushButton>

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "networking/OONetWorkTool.h"
#include "common/Localization.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"

NBEmailRegisterController::NBEmailRegisterController(QWidget *parent)
    : NBAccountFormController(parent)
{
}

void NBEmailRegisterController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    m_emailTextFiled = new NBTextFiledContentView(this);
    m_emailTextFiled->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_SWITCH_TITLE")));
    AccountFormViews::setPlaceholder(m_emailTextFiled->textFiled(),
                                     localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_HEAD_PLACE")));
    m_rows = AccountFormViews::registrationRows(this);
    connect(m_rows.registerButton, &QAbstractButton::clicked, this, &NBEmailRegisterController::signUpAction);
    connect(m_rows.haveAccount, &QAbstractButton::clicked, this, &NBAccountFormController::dismissAction);
    setFormFields(AccountFormViews::registrationFields(m_emailTextFiled->textFiled(), m_rows),
                  AccountFormViews::registrationRequired(m_emailTextFiled->textFiled(), m_rows), m_rows.registerButton);
    layoutViews();
}

void NBEmailRegisterController::layoutViews()
{
    if (m_emailTextFiled)
        AccountFormViews::layoutRegistration(this, m_emailTextFiled, m_rows);
}

void NBEmailRegisterController::codeButtonClicked(QAbstractButton *button)
{
    sendEmailCode(button);
}

void NBEmailRegisterController::sendEmailCode(QAbstractButton *button)
{
    const QString email = m_emailTextFiled->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkEmailForCode(email)) {
        showProblem(*problem);
        return;
    }
    requestCode(&OONetWorkTool::sendEmail, AccountFormLogic::emailCodeParams(AccountFormLogic::Registration, email), button,
                localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_EMAIL")), this);
}

void NBEmailRegisterController::signUpAction()
{
    const QString email = m_emailTextFiled->textFiled()->text();
    const QString password = m_rows.password->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkEmailRegistration(email, password, m_rows.again->textFiled()->text())) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    sendSignIn(&OONetWorkTool::registerAccount,
               AccountFormLogic::emailRegisterParams(m_rows.code->textFiled()->text(), email, password,
                                                     m_rows.invitation->textFiled()->text()),
               QStringLiteral("注册成功"), Cover::Shown);
}

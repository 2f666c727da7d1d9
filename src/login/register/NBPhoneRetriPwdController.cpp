#include "login/register/NBPhoneRetriPwdController.h"

#include <QPointer>

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "networking/OONetWorkTool.h"
#include "common/Localization.h"
#include "login/signin/LoginFormChecks.h"
#include "login/code/NBRegCodeView.h"
#include "login/code/NBVerityCodeContentView.h"

NBPhoneRetriPwdController::NBPhoneRetriPwdController(QWidget *parent)
    : NBAccountFormController(parent)
{
}

ImageTitleButton *NBPhoneRetriPwdController::retrieveButton() const
{
    return m_rows.retrieveButton;
}

void NBPhoneRetriPwdController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    m_regcodeView = new NBRegCodeView(this);
    AccountFormViews::setPlaceholder(m_regcodeView->textFiled(),
                                     localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD_PLACE")));
    QPointer<NBPhoneRetriPwdController> self(this);
    m_regcodeView->selectCoutryBlock = [self](const QString &code) {
        if (self)
            self->countryCode = code;
    };

    m_rows = AccountFormViews::retrievalRows(this, QStringLiteral("请输入新密码"));
    connect(m_rows.retrieveButton, &QAbstractButton::clicked, this, &NBPhoneRetriPwdController::retrieve);
    const QList<QLineEdit *> fields = AccountFormViews::retrievalFields(m_regcodeView->textFiled(), m_rows);
    setFormFields(fields, fields, m_rows.retrieveButton);
    layoutViews();
}

void NBPhoneRetriPwdController::viewDidDisappear()
{
    NBAccountFormController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

void NBPhoneRetriPwdController::layoutViews()
{
    if (m_regcodeView)
        AccountFormViews::layoutRetrieval(this, m_regcodeView, m_rows);
}

void NBPhoneRetriPwdController::codeButtonClicked(QAbstractButton *button)
{
    sendCode(button);
}

void NBPhoneRetriPwdController::sendCode(QAbstractButton *button)
{
    const QString phone = m_regcodeView->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkRetrievalPhoneForCode(phone)) {
        showProblem(*problem);
        return;
    }
    requestCode(&OONetWorkTool::sendRegisterCode,
                AccountFormLogic::phoneCodeParams(AccountFormLogic::Retrieval, m_regcodeView->code(), phone), button,
                localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_PHONE")), parentVC);
}

void NBPhoneRetriPwdController::retrieve()
{
    const QString password = m_rows.password->textFiled()->text();
    const QString again = m_rows.again->textFiled()->text();
    resetPassword(password, again,
                  AccountFormLogic::phoneResetParams(m_rows.code->textFiled()->text(), m_regcodeView->code(),
                                                     m_regcodeView->textFiled()->text(), password, again),
                  [this] { signInAfterReset(); });
}

void NBPhoneRetriPwdController::signInAfterReset()
{
    // The password has changed on the service; a failed sign-in leaves the user on the form.
    // Unlike the e-mail form's, this sign-in runs without a cover: the busy button holds the form.
    sendSignIn(&OONetWorkTool::accountLogin,
               LoginFormChecks::phoneParams(m_regcodeView->textFiled()->text(), m_rows.password->textFiled()->text(),
                                            m_regcodeView->code()),
               localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")), Cover::None);
}

#include "login/NBPhoneRetriPwdController.h"

#include <QPointer>

#include "app/uikit/NBBaseTextField.h"
#include "app/uikit/NBCustomTextField.h"
#include "app/uikit/NBGradColorView.h"
#include "app/uikit/NBSecureTextView.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "login/AccountFormViews.h"
#include "login/AccountReply.h"
#include "login/AccountRequest.h"
#include "login/LoginFormChecks.h"
#include "login/NBRegCodeView.h"
#include "login/NBVerityCodeContentView.h"

NBPhoneRetriPwdController::NBPhoneRetriPwdController(QWidget *parent)
    : NBAccountFormController(parent)
{
    resize(375, 667);
}

void NBPhoneRetriPwdController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    setAttribute(Qt::WA_TranslucentBackground);

    m_regcodeView = new NBRegCodeView(this);
    AccountFormViews::setPlaceholder(m_regcodeView->textFiled(),
                                     localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD_PLACE")));
    QPointer<NBPhoneRetriPwdController> self(this);
    m_regcodeView->selectCoutryBlock = [self](const QString &code) {
        if (self)
            self->countryCode = code;
    };

    m_validCode = new NBVerityCodeContentView(this);
    AccountFormViews::setPlaceholder(m_validCode->textFiled(), localizedByAppLanguage(QStringLiteral("请输入验证码")));

    const QString title = localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PWD"));
    m_passWordTextFiled = AccountFormViews::passwordRow(this, localizedByAppLanguage(QStringLiteral("请输入新密码")), title);
    m_aginPassWordTextFiled = AccountFormViews::passwordRow(
        this, localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_PWD_PLACE")), title);

    m_retrieveButton = AccountFormViews::actionButton(this, localizedByAppLanguage(QStringLiteral("重置密码并登录")));
    connect(m_retrieveButton, &QAbstractButton::clicked, this, &NBPhoneRetriPwdController::retrieve);

    const QList<QLineEdit *> fields{m_regcodeView->textFiled(), m_validCode->textFiled(),
                                    m_passWordTextFiled->textFiled(), m_aginPassWordTextFiled->textFiled()};
    for (QLineEdit *field : fields)
        watchText(field);
    setTabChain(fields);
    layoutViews();
}

void NBPhoneRetriPwdController::viewDidDisappear()
{
    NBAccountFormController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

void NBPhoneRetriPwdController::resizeEvent(QResizeEvent *event)
{
    NBAccountFormController::resizeEvent(event);
    layoutViews();
}

void NBPhoneRetriPwdController::layoutViews()
{
    if (!m_regcodeView)
        return;
    const int w = width() - 36;
    int y = 0;
    for (QWidget *row : {static_cast<QWidget *>(m_regcodeView), static_cast<QWidget *>(m_validCode),
                         static_cast<QWidget *>(m_passWordTextFiled), static_cast<QWidget *>(m_aginPassWordTextFiled)}) {
        row->setGeometry(18, y, w, 40);
        y += 46;
    }
    m_retrieveButton->setGeometry(18, y - 6 + 14, w, 40);
}

void NBPhoneRetriPwdController::updateActionButton()
{
    if (!m_retrieveButton)
        return;
    const bool filled = AccountFormLogic::allFilled({m_regcodeView->textFiled()->text(),
                                                     m_validCode->textFiled()->text(),
                                                     m_passWordTextFiled->textFiled()->text(),
                                                     m_aginPassWordTextFiled->textFiled()->text()});
    AccountFormViews::setActionEnabled(m_retrieveButton, filled && !isRequestRunning());
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
    requestCode(ApiPaths::kSendRegisterCode,
                AccountFormLogic::phoneCodeParams(AccountFormLogic::Retrieval, m_regcodeView->code(), phone), button,
                localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_PHONE")), parentVC);
}

void NBPhoneRetriPwdController::retrieve()
{
    const QString password = m_passWordTextFiled->textFiled()->text();
    const QString again = m_aginPassWordTextFiled->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkRetrieval(password, again)) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    const QJsonObject params = AccountFormLogic::phoneResetParams(
        m_validCode->textFiled()->text(), m_regcodeView->code(), m_regcodeView->textFiled()->text(), password, again);
    AccountRequest::send(QStringLiteral("POST"), ApiPaths::kGetBackPassword, params, this,
                         [this](const std::optional<QJsonObject> &raw) {
        const AccountReply reply = AccountReply::read(raw);
        if (!reply.isSuccess()) {
            endRequest();
            showFailure(reply);
            return;
        }
        signInAfterReset();
    });
}

void NBPhoneRetriPwdController::signInAfterReset()
{
    const QJsonObject params = LoginFormChecks::phoneParams(
        m_regcodeView->textFiled()->text(), m_passWordTextFiled->textFiled()->text(), m_regcodeView->code());
    AccountRequest::send(QStringLiteral("POST"), ApiPaths::kAccountLogin, params, this,
                         [this](const std::optional<QJsonObject> &raw) {
        const AccountReply reply = AccountReply::readSignIn(raw);
        if (!reply.isSuccess()) {
            // The password has changed on the service; the user stays on the form to sign in.
            endRequest();
            showFailure(reply);
            return;
        }
        finishSignedIn(localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")));
    });
}

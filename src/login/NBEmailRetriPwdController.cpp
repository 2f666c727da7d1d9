#include "login/NBEmailRetriPwdController.h"

#include "app/uikit/NBBaseTextField.h"
#include "app/uikit/NBCustomTextField.h"
#include "app/uikit/NBGradColorView.h"
#include "app/uikit/NBSecureTextView.h"
#include "app/uikit/NSFontHelper.h"
#include "app/uikit/RoundedPanel.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "login/AccountFormViews.h"
#include "login/AccountReply.h"
#include "login/AccountRequest.h"
#include "login/LoginFormChecks.h"
#include "login/NBTextFiledContentView.h"
#include "login/NBVerityCodeContentView.h"

NBEmailRetriPwdController::NBEmailRetriPwdController(QWidget *parent)
    : NBAccountFormController(parent)
{
    resize(375, 667);
}

void NBEmailRetriPwdController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    setAttribute(Qt::WA_TranslucentBackground);

    m_emailTextFiled = new NBTextFiledContentView(this);
    m_emailTextFiled->contentView()->setBackgroundColor(QColor(28, 29, 46));
    m_emailTextFiled->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("FORGET_EMAIL_SWITCH_TITLE")));
    QLineEdit *email = m_emailTextFiled->textFiled();
    email->setPlaceholderText(localizedByAppLanguage(QStringLiteral("FORGET_EMAIL_HEAD_PLACE")));
    // This row's placeholder is white at 0.3 instead of the account grey.
    QPalette palette = email->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 77));
    email->setPalette(palette);
    email->setFont(NSFontHelper::getRegularPingFangFont(12));
    email->clear();

    m_validCode = new NBVerityCodeContentView(this);
    AccountFormViews::setPlaceholder(m_validCode->textFiled(), localizedByAppLanguage(QStringLiteral("请输入验证码")));

    const QString placeholder = localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_PWD_PLACE"));
    const QString title = localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PWD"));
    m_passWordTextFiled = AccountFormViews::passwordRow(this, placeholder, title);
    m_aginPassWordTextFiled = AccountFormViews::passwordRow(this, placeholder, title);

    m_retrieveButton = AccountFormViews::actionButton(this, localizedByAppLanguage(QStringLiteral("重置密码并登录")));
    connect(m_retrieveButton, &QAbstractButton::clicked, this, &NBEmailRetriPwdController::retrieve);

    const QList<QLineEdit *> fields{email, m_validCode->textFiled(), m_passWordTextFiled->textFiled(),
                                    m_aginPassWordTextFiled->textFiled()};
    for (QLineEdit *field : fields)
        watchText(field);
    setTabChain(fields);
    layoutViews();
}

void NBEmailRetriPwdController::resizeEvent(QResizeEvent *event)
{
    NBAccountFormController::resizeEvent(event);
    layoutViews();
}

void NBEmailRetriPwdController::layoutViews()
{
    if (!m_emailTextFiled)
        return;
    const int w = width() - 36;
    int y = 0;
    for (QWidget *row : {static_cast<QWidget *>(m_emailTextFiled), static_cast<QWidget *>(m_validCode),
                         static_cast<QWidget *>(m_passWordTextFiled), static_cast<QWidget *>(m_aginPassWordTextFiled)}) {
        row->setGeometry(18, y, w, 40);
        y += 46;
    }
    m_retrieveButton->setGeometry(18, y - 6 + 14, w, 40);
}

void NBEmailRetriPwdController::updateActionButton()
{
    if (!m_retrieveButton)
        return;
    const bool filled = AccountFormLogic::allFilled({m_emailTextFiled->textFiled()->text(),
                                                     m_validCode->textFiled()->text(),
                                                     m_passWordTextFiled->textFiled()->text(),
                                                     m_aginPassWordTextFiled->textFiled()->text()});
    AccountFormViews::setActionEnabled(m_retrieveButton, filled && !isRequestRunning());
}

void NBEmailRetriPwdController::codeButtonClicked(QAbstractButton *button)
{
    sendCode(button);
}

void NBEmailRetriPwdController::sendCode(QAbstractButton *button)
{
    const QString email = m_emailTextFiled->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkRetrievalEmailForCode(email)) {
        showProblem(*problem);
        return;
    }
    // The success toast goes on the retrieval screen; without one, only the countdown starts.
    requestCode(ApiPaths::kSendEmail, AccountFormLogic::emailCodeParams(AccountFormLogic::Retrieval, email), button,
                localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_EMAIL")), parentVC);
}

void NBEmailRetriPwdController::retrieve()
{
    const QString password = m_passWordTextFiled->textFiled()->text();
    const QString again = m_aginPassWordTextFiled->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkRetrieval(password, again)) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    const QJsonObject params = AccountFormLogic::emailResetParams(
        m_validCode->textFiled()->text(), m_emailTextFiled->textFiled()->text(), password, again);
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

void NBEmailRetriPwdController::signInAfterReset()
{
    coverForm();
    const QJsonObject params = LoginFormChecks::emailParams(m_emailTextFiled->textFiled()->text(),
                                                             m_passWordTextFiled->textFiled()->text());
    AccountRequest::send(QStringLiteral("POST"), ApiPaths::kAccountLogin, params, this,
                         [this](const std::optional<QJsonObject> &raw) {
        const AccountReply reply = AccountReply::readSignIn(raw);
        removeCoverLater();
        if (!reply.isSuccess()) {
            // The password has changed on the service; the user stays on the form to sign in.
            endRequest();
            showFailure(reply);
            return;
        }
        finishSignedIn(localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")));
    });
}

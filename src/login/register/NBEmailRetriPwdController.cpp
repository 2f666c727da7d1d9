#include "login/register/NBEmailRetriPwdController.h"

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "networking/OONetWorkTool.h"
#include "common/Localization.h"
#include "login/signin/LoginFormChecks.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"

NBEmailRetriPwdController::NBEmailRetriPwdController(QWidget *parent)
    : NBAccountFormController(parent)
{
}

ImageTitleButton *NBEmailRetriPwdController::retrieveButton() const
{
    return m_rows.retrieveButton;
}

void NBEmailRetriPwdController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
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

    m_rows = AccountFormViews::retrievalRows(this, localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_PWD_PLACE")));
    connect(m_rows.retrieveButton, &QAbstractButton::clicked, this, &NBEmailRetriPwdController::retrieve);
    const QList<QLineEdit *> fields = AccountFormViews::retrievalFields(email, m_rows);
    setFormFields(fields, fields, m_rows.retrieveButton);
    layoutViews();
}

void NBEmailRetriPwdController::layoutViews()
{
    if (m_emailTextFiled)
        AccountFormViews::layoutRetrieval(this, m_emailTextFiled, m_rows);
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
    requestCode(&OONetWorkTool::sendEmail, AccountFormLogic::emailCodeParams(AccountFormLogic::Retrieval, email), button,
                localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_EMAIL")), parentVC);
}

void NBEmailRetriPwdController::retrieve()
{
    const QString password = m_rows.password->textFiled()->text();
    const QString again = m_rows.again->textFiled()->text();
    resetPassword(password, again,
                  AccountFormLogic::emailResetParams(m_rows.code->textFiled()->text(),
                                                     m_emailTextFiled->textFiled()->text(), password, again),
                  [this] { signInAfterReset(); });
}

void NBEmailRetriPwdController::signInAfterReset()
{
    // The password has changed on the service; a failed sign-in leaves the user on the form.
    sendSignIn(&OONetWorkTool::accountLogin,
               LoginFormChecks::emailParams(m_emailTextFiled->textFiled()->text(), m_rows.password->textFiled()->text()),
               localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")), Cover::Shown);
}

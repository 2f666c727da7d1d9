#include "login/signin/NBSignInFormController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/ImageTitleButton.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/ScreenFactory.h"
#include "uikit/TextFieldStyle.h"
#include "common/Localization.h"
#include "login/form/AccountReply.h"
#include "login/form/SignInCompletion.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"

NBSignInFormController::NBSignInFormController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(375, 667);
}

void NBSignInFormController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    accountRow()->setParent(this);
    accountField()->installEventFilter(this);
    connect(accountField(), &QLineEdit::textChanged, this, &NBSignInFormController::textDidChange);

    m_passWordTextFiled = new NBSecureTextView(this);
    NBCustomTextField *password = m_passWordTextFiled->textFiled();
    password->setPlaceholderText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_PWD_PLACE")));
    TextFieldStyle::setPlaceholder(password);
    m_passWordTextFiled->titleLabel()->setText(localizedByAppLanguage(passwordTitleKey()));
    password->installEventFilter(this);
    connect(password, &QLineEdit::textChanged, this, &NBSignInFormController::textDidChange);

    m_accountButton = makeLinkButton(QStringLiteral("注册账号"));
    connect(m_accountButton, &QPushButton::clicked, this, &NBSignInFormController::accountAction);
    m_forgetPwdButton = makeLinkButton(QStringLiteral("忘记密码"));
    connect(m_forgetPwdButton, &QPushButton::clicked, this, &NBSignInFormController::findPwdAction);

    m_signUpButton = new ImageTitleButton(QStringLiteral("登录"), this);
    m_signUpButton->setCornerRadius(20);
    m_signUpButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    ButtonColors::setFontColor(m_signUpButton, signUpTitleColour());
    m_signUpButton->setCursor(Qt::PointingHandCursor);
    connect(m_signUpButton, &QPushButton::clicked, this, &NBSignInFormController::signUpAction);
    updateSignUpButton();
    resizeEvent(nullptr);
}

QPushButton *NBSignInFormController::makeLinkButton(const QString &title)
{
    auto *button = new QPushButton(title, this);
    QFont font = NSFontHelper::getRegularPingFangFont(12);
    font.setUnderline(linksUnderlined());
    button->setFont(font);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: rgb(179, 183, 190); }"));
    button->resize(button->sizeHint());
    return button;
}

void NBSignInFormController::resizeEvent(QResizeEvent *event)
{
    if (event)
        NBBaseViewController::resizeEvent(event);
    if (!m_signUpButton)
        return;
    const int rowWidth = qMax(0, width() - 36);
    accountRow()->setGeometry(18, 15, rowWidth, 40);
    m_passWordTextFiled->setGeometry(18, 15 + 40 + 6, rowWidth, 40);
    m_signUpButton->setGeometry(18, m_passWordTextFiled->geometry().bottom() + 1 + 12, rowWidth, 40);
    const int linksTop = m_signUpButton->geometry().bottom() + 1 + 19;
    m_accountButton->move(23, linksTop);
    m_forgetPwdButton->move(width() - 23 - m_forgetPwdButton->width(), linksTop);
}

void NBSignInFormController::textDidChange()
{
    m_textValue = m_passWordTextFiled->textFiled()->text();
    updateSignUpButton();
}

void NBSignInFormController::updateSignUpButton()
{
    const bool filled = !accountField()->text().isEmpty() && !m_textValue.isEmpty();
    const bool enabled = filled && !m_signingIn && !m_signedIn;
    m_signUpButton->setEnabled(enabled);
    m_signUpButton->setBackgroundImage(filled ? QStringLiteral("confirm_enable_icon") : QStringLiteral("confirm_unenable_icon"));
}

bool NBSignInFormController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab) {
        // Tab goes from the account field to the password and stops there.
        if (watched == accountField())
            m_passWordTextFiled->textFiled()->setFocus(Qt::TabFocusReason);
        return true;
    }
    return NBBaseViewController::eventFilter(watched, event);
}

void NBSignInFormController::signUpAction()
{
    if (m_signingIn || m_signedIn)
        return;
    if (const std::optional<QString> key = checkFields()) {
        showErrorToast(this, localizedByAppLanguage(*key));
        return;
    }
    m_signingIn = true;
    updateSignUpButton();
    QPointer<NBSignInFormController> self(this);
    OONetWorkTool::accountLogin(requestParams(), [self](std::optional<QJsonObject> reply, std::optional<NetError>) {
        // Read even when the form is gone (another tab chosen, back pressed): the reader stores
        // the user the service signed in, and the main window follows.
        const AccountReply result = AccountReply::readSignIn(reply);
        if (result.isSuccess())
            SignInCompletion::showMainWindowLater();
        if (self)
            self->handleSignInReply(result);
    });
}

void NBSignInFormController::handleSignInReply(const AccountReply &result)
{
    m_signingIn = false;
    if (!result.isSuccess()) {
        updateSignUpButton();
        if (!result.isSilent())
            showErrorToast(this, result.message());
        return;
    }
    m_signedIn = true;
    updateSignUpButton();
    if (parentVC)
        showSuccessToast(parentVC, localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")));
}

void NBSignInFormController::presentSheet(const QString &screenName, const QString &event)
{
    presentViewControllerAsSheet(std::unique_ptr<NBBaseViewController>(ScreenFactory::instance().make(screenName, this)));
    XSAnalyticsManager::shared().track(event);
}

void NBSignInFormController::accountAction()
{
    presentSheet(QStringLiteral("NBRegisterViewController"), QStringLiteral("loginPage_register_click"));
}

void NBSignInFormController::findPwdAction()
{
    presentSheet(QStringLiteral("NBRetrievePassWordController"), QStringLiteral("loginPage_forgotPsw_click"));
}

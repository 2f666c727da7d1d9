#include "login/NBPhoneRegisterController.h"

#include <QLabel>
#include <QPushButton>

#include "app/uikit/NBBaseTextField.h"
#include "app/uikit/NBCustomTextField.h"
#include "app/uikit/NBGradColorView.h"
#include "app/uikit/NBSecureTextView.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "login/AccountFormViews.h"
#include "login/AccountReply.h"
#include "login/AccountRequest.h"
#include "login/NBRegCodeView.h"
#include "login/NBTextFiledContentView.h"
#include "login/NBVerityCodeContentView.h"

NBPhoneRegisterController::NBPhoneRegisterController(QWidget *parent)
    : NBAccountFormController(parent)
{
    resize(375, 667);
}

void NBPhoneRegisterController::viewDidLoad()
{
    NBAccountFormController::viewDidLoad();
    setAttribute(Qt::WA_TranslucentBackground);

    m_regcodeView = new NBRegCodeView(this);
    AccountFormViews::setPlaceholder(m_regcodeView->textFiled(),
                                     localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD_PLACE")));

    m_verityCodeView = new NBVerityCodeContentView(this);
    AccountFormViews::setPlaceholder(m_verityCodeView->textFiled(), localizedByAppLanguage(QStringLiteral("请输入验证码")));

    const QString title = localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_PWD_PLACE"));
    m_passWordTextFiled = AccountFormViews::passwordRow(
        this, localizedByAppLanguage(QStringLiteral("设置新密码（8-20位大小写英文+数字组合）")), title);
    m_againPwdTextFiled = AccountFormViews::passwordRow(this, localizedByAppLanguage(QStringLiteral("确认新密码")), title);

    m_recommandTextFiled = new NBTextFiledContentView(this);
    AccountFormViews::setPlaceholder(m_recommandTextFiled->textFiled(), localizedByAppLanguage(QStringLiteral("推荐码（选填）")));

    m_registerBtn = AccountFormViews::actionButton(this, localizedByAppLanguage(QStringLiteral("注册并登录")));
    connect(m_registerBtn, &QAbstractButton::clicked, this, &NBPhoneRegisterController::signUpAction);

    m_havaAccountBtn = AccountFormViews::haveAccountButton(this);
    connect(m_havaAccountBtn, &QAbstractButton::clicked, this, &NBPhoneRegisterController::dismissAction);

    m_permissionLabel = makeConsentLabel(this);

    const QList<QLineEdit *> fields{m_regcodeView->textFiled(), m_verityCodeView->textFiled(),
                                    m_passWordTextFiled->textFiled(), m_againPwdTextFiled->textFiled(),
                                    m_recommandTextFiled->textFiled()};
    for (QLineEdit *field : fields)
        watchText(field);
    setTabChain(fields);
    layoutViews();
}

void NBPhoneRegisterController::viewDidDisappear()
{
    NBAccountFormController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

void NBPhoneRegisterController::resizeEvent(QResizeEvent *event)
{
    NBAccountFormController::resizeEvent(event);
    layoutViews();
}

void NBPhoneRegisterController::layoutViews()
{
    if (!m_regcodeView)
        return;
    const int w = width() - 46;
    int y = 13;
    for (QWidget *row : {static_cast<QWidget *>(m_regcodeView), static_cast<QWidget *>(m_verityCodeView),
                         static_cast<QWidget *>(m_passWordTextFiled), static_cast<QWidget *>(m_againPwdTextFiled),
                         static_cast<QWidget *>(m_recommandTextFiled)}) {
        row->setGeometry(23, y, w, 40);
        y += 46;
    }
    y += 13 - 6;
    m_registerBtn->setGeometry(23, y, w, 40);
    y += 40 + 17;
    m_havaAccountBtn->setGeometry(29, y, qMax(72, m_havaAccountBtn->sizeHint().width()), 14);
    y += 14 + 16;
    m_permissionLabel->setGeometry(29, y, width() - 58, 50);
}

void NBPhoneRegisterController::updateActionButton()
{
    if (!m_registerBtn)
        return;
    const bool filled = AccountFormLogic::allFilled({m_regcodeView->textFiled()->text(),
                                                     m_verityCodeView->textFiled()->text(),
                                                     m_passWordTextFiled->textFiled()->text(),
                                                     m_againPwdTextFiled->textFiled()->text()});
    AccountFormViews::setActionEnabled(m_registerBtn, filled && !isRequestRunning());
}

void NBPhoneRegisterController::codeButtonClicked(QAbstractButton *button)
{
    sendRegisterCode(button);
}

void NBPhoneRegisterController::sendRegisterCode(QAbstractButton *button)
{
    requestCode(ApiPaths::kSendRegisterCode,
                AccountFormLogic::phoneCodeParams(AccountFormLogic::Registration, m_regcodeView->code(),
                                                  m_regcodeView->textFiled()->text()),
                button, localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_PHONE")), this);
}

void NBPhoneRegisterController::signUpAction()
{
    const QString phone = m_regcodeView->textFiled()->text();
    const QString password = m_passWordTextFiled->textFiled()->text();
    if (const auto problem = AccountFormLogic::checkPhoneRegistration(phone, password,
                                                                      m_againPwdTextFiled->textFiled()->text())) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    coverForm();
    const QJsonObject params = AccountFormLogic::phoneRegisterParams(
        m_verityCodeView->textFiled()->text(), m_regcodeView->code(), phone, password,
        m_recommandTextFiled->textFiled()->text());
    AccountRequest::send(QStringLiteral("POST"), ApiPaths::kAccountRegister, params, this,
                         [this](const std::optional<QJsonObject> &raw) {
        const AccountReply reply = AccountReply::readSignIn(raw);
        removeCoverLater();
        if (!reply.isSuccess()) {
            endRequest();
            showFailure(reply);
            return;
        }
        finishSignedIn(localizedByAppLanguage(QStringLiteral("注册成功")));
    });
}

void NBPhoneRegisterController::dismissAction()
{
    QPointer<NBBaseViewController> screen = parentVC;
    removeFromParentViewController();
    if (screen)
        screen->dismissController();
}

#include "login/account/NBBindAccountViewController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/FNHUD.h"
#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/TextFieldStyle.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "login/account/NBAccountSetTimerView.h"
#include "login/code/NBRegCodeView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/LoginLog.h"
#include "uikit/PlainText.h"

namespace {

QLabel *makeNote(const QString &text, QWidget *parent)
{
    auto *label = PlainText::label(text, parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(179, 183, 190));
    label->setPalette(palette);
    return label;
}

} // namespace

NBBindAccountViewController::NBBindAccountViewController(BindAccountType accountType, QWidget *parent)
    : NBBaseViewController(parent)
    , m_accountType(accountType)
{
    resize(375, 468);
    setupData();
}

NBBindAccountViewController::~NBBindAccountViewController() = default;

void NBBindAccountViewController::setupData()
{
    m_isBind = NBBindAccountLogic::isBind(MKUserInfoManager::shared().currentUser());
    const bool email = m_accountType == BindAccountType::email;
    m_header = localizedByAppLanguage(email ? QStringLiteral("SETTING_BINGACCOUNT_EMAIL_HEAD")
                                            : QStringLiteral("SETTING_BINGACCOUNT_PHONE_HEAD"));
    m_footer = localizedByAppLanguage(email ? QStringLiteral("SETTING_BINGACCOUNT_EMAIL_FOOT")
                                            : QStringLiteral("SETTING_BINGACCOUNT_PHONE_FOOT"));
}

void NBBindAccountViewController::watch(QLineEdit *field)
{
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, &NBBindAccountViewController::updateBindButton);
}

void NBBindAccountViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(42, 41, 44));
    setPalette(palette);
    const bool email = m_accountType == BindAccountType::email;

    m_navView = new NBNavView(this);
    m_navView->titleLab()->setText(localizedByAppLanguage(email ? QStringLiteral("SETTING_BINGACCOUNT_EMAIL_TITLE")
                                                                : QStringLiteral("SETTING_BINGACCOUNT_PHONE_TITLE")));
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    connect(m_navView->backBtn(), &QPushButton::clicked, this, &NBBindAccountViewController::dismissAction);

    m_topLabel = makeNote(m_header, this);

    m_userIdContentView = new NBTextFiledContentView(this);
    m_userIdContentView->contentView()->setBackgroundColor(QColor(53, 51, 55));
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    m_userIdContentView->textFiled()->setText(user && user->user ? user->user->username.value_or(QString()) : QString());
    m_userIdContentView->textFiled()->setReadOnly(true);
    m_userIdContentView->textFiled()->setFocusPolicy(Qt::NoFocus);
    m_userIdContentView->textFiled()->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_verityCodeView = new NBVerityCodeContentView(this);
    m_verityCodeView->textFiled()->setPlaceholderText(QStringLiteral("请输入验证码"));
    TextFieldStyle::setPlaceholder(m_verityCodeView->textFiled());
    watch(m_verityCodeView->textFiled());

    if (email) {
        m_contentView = new NBTextFiledContentView(this);
        m_contentView->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("SETTING_BINGACCOUNT_EMAIL_Email")));
        m_contentView->textFiled()->setPlaceholderText(
            localizedByAppLanguage(QStringLiteral("SETTING_BINGACCOUNT_EMAIL_Email_ENTER")));
        TextFieldStyle::setPlaceholder(m_contentView->textFiled());
        watch(m_contentView->textFiled());
    } else {
        m_regcodeView = new NBRegCodeView(this);
        m_regcodeView->textFiled()->setPlaceholderText(
            localizedByAppLanguage(QStringLiteral("SETTING_BINGACCOUNT_PHONE_Email_ENTER")));
        watch(m_regcodeView->textFiled());
        m_regcodeView->selectCoutryBlock = [self = QPointer(this)](const QString &code) {
            if (self)
                self->m_countryCode = code;
        };
    }

    if (!m_isBind) {
        auto makeRow = [this](const QString &placeholderKey) {
            auto *row = new NBSecureTextView(this);
            row->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PWD")));
            row->textFiled()->setPlaceholderText(localizedByAppLanguage(placeholderKey));
            TextFieldStyle::setPlaceholder(row->textFiled());
            watch(row->textFiled());
            return row;
        };
        m_passWordContentView = makeRow(QStringLiteral("SETTING_BINGACCOUNT_EMAIL_PWD_ENTER"));
        m_passWordAgainContentView = makeRow(QStringLiteral("SETTING_BINGACCOUNT_PHONE_PWD_AGAIN_ENTER"));
    }

    m_bottemLabel = makeNote(m_footer, this);
    m_bottemLabel->setVisible(!m_isBind);

    m_bindView = new NBAccountSetTimerView(this);
    ButtonColors::setTitleWithColor(m_bindView->button(), email ? QStringLiteral("设置邮箱地址") : QStringLiteral("设置手机号"),
                                    Qt::white);
    m_bindView->setButtonEnabled(false);
    m_bindView->clickBlock = [self = QPointer(this)] {
        if (self)
            self->bindAccount();
    };
    layoutViews();
}

void NBBindAccountViewController::viewDidAppear()
{
    NBBaseViewController::viewDidAppear();
    if (QLineEdit *field = accountField())
        field->setFocus(Qt::OtherFocusReason);
}

void NBBindAccountViewController::viewDidDisappear()
{
    NBBaseViewController::viewDidDisappear();
    // An open country list never outlives the screen.
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

QLineEdit *NBBindAccountViewController::accountField() const
{
    if (m_contentView)
        return m_contentView->textFiled();
    if (m_regcodeView)
        return m_regcodeView->textFiled();
    return nullptr;
}

QString NBBindAccountViewController::regionCodeShown() const
{
    return m_regcodeView ? m_regcodeView->code() : QString();
}

void NBBindAccountViewController::updateBindButton()
{
    bool filled = accountField() && !accountField()->text().isEmpty() && !m_verityCodeView->textFiled()->text().isEmpty();
    if (!m_isBind)
        filled = filled && !m_passWordContentView->secTextFiled()->text().isEmpty()
              && !m_passWordAgainContentView->secTextFiled()->text().isEmpty();
    m_bindView->setButtonEnabled(filled);
}

void NBBindAccountViewController::codeButtonClicked(QAbstractButton *button)
{
    if (m_accountType == BindAccountType::phone)
        sendPhoneCode(button);
    else
        sendEmailCode(button);
}

void NBBindAccountViewController::sendPhoneCode(QAbstractButton *button)
{
    const QString phone = m_regcodeView->textFiled()->text();
    if (const std::optional<QString> problem = NBBindAccountLogic::checkPhoneForCode(phone)) {
        showErrorToast(this, *problem);
        return;
    }
    sendCode(&OONetWorkTool::sendRegisterCode,
             NBBindAccountLogic::phoneCodeParams(m_countryCode.value_or(QStringLiteral("+86")), phone),
             QStringLiteral("HAS_ENTER_YZM_PHONE"), button);
}

void NBBindAccountViewController::sendEmailCode(QAbstractButton *button)
{
    const QString email = m_contentView->textFiled()->text();
    if (const std::optional<QString> problem = NBBindAccountLogic::checkEmailForCode(email)) {
        showErrorToast(this, *problem);
        return;
    }
    sendCode(&OONetWorkTool::sendEmail, NBBindAccountLogic::emailCodeParams(email), QStringLiteral("HAS_ENTER_YZM_EMAIL"),
             button);
}

void NBBindAccountViewController::sendCode(OONetWorkTool::AccountCall send, const QJsonObject &params, const QString &successKey,
                                           QAbstractButton *button)
{
    FNHUD::showLoading(QString(), this);
    QPointer<NBBindAccountViewController> self(this);
    QPointer<QAbstractButton> sendButton(button);
    // The HUD goes away even when the screen closed meanwhile.
    send(params, [self, sendButton, successKey](std::optional<QJsonObject> reply, std::optional<NetError>) {
        FNHUD::hide();
        if (self)
            self->handleCodeResult(reply, successKey, sendButton);
    });
}

void NBBindAccountViewController::handleCodeResult(const std::optional<QJsonObject> &reply, const QString &successKey,
                                                   QAbstractButton *button)
{
    const AccountReply answer = AccountReply::read(reply);
    if (answer.isSilent())
        return;
    if (!answer.isSuccess()) {
        showErrorToast(this, answer.message());
        return;
    }
    showSuccessToast(this, localizedByAppLanguage(successKey));
    if (button)
        switchAction(button);
}

void NBBindAccountViewController::switchAction(QAbstractButton *button)
{
    NBVerityCodeContentView::startRegisterCountdown(button);
}

void NBBindAccountViewController::bindAccount()
{
    NBBindAccountLogic::BindInput input;
    input.type = m_accountType;
    input.code = m_verityCodeView->textFiled()->text();
    input.account = accountField()->text();
    input.regionCode = regionCodeShown();
    input.isBind = m_isBind;
    if (!m_isBind) {
        input.password = m_passWordContentView->secTextFiled()->text();
        input.again = m_passWordAgainContentView->secTextFiled()->text();
    }
    const auto params = NBBindAccountLogic::bindParams(input);
    if (const QString *problem = std::get_if<QString>(&params)) {
        showErrorToast(this, *problem);
        return;
    }
    QPointer<NBBindAccountViewController> self(this);
    const QString regionCode = input.regionCode;
    const QString account = input.account;
    OONetWorkTool::boundAccount(std::get<QJsonObject>(params), [self, regionCode, account](std::optional<QJsonObject> reply,
                                                                                           std::optional<NetError>) {
        if (self)
            self->handleBindResult(reply, regionCode, account);
    });
}

void NBBindAccountViewController::handleBindResult(const std::optional<QJsonObject> &reply, const QString &regionCode,
                                                   const QString &account)
{
    const AccountReply answer = AccountReply::read(reply);
    if (answer.isSilent())
        return;
    if (!answer.isSuccess()) {
        showErrorToast(this, answer.message());
        return;
    }
    // The account and code the request was sent with, not what the fields hold by now.
    if (!NBBindAccountLogic::storeBoundAccount(m_accountType, regionCode, account))
        qCWarning(lcLogin) << "the binding succeeded, but the stored user could not be updated";
    const QString text = localizedByAppLanguage(m_accountType == BindAccountType::phone ? QStringLiteral("绑定手机号成功")
                                                                                        : QStringLiteral("绑定邮箱地址成功"));
    // Shown on the account screen below, which stays while this one goes.
    QWidget *host = presentingViewController() ? static_cast<QWidget *>(presentingViewController()) : this;
    showSuccessToast(host, text);
    dismissController();
}

bool NBBindAccountViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Tab
        || static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier)
        return NBBaseViewController::eventFilter(watched, event);
    if (m_isBind)
        return true;
    if (watched == accountField())
        m_verityCodeView->textFiled()->setFocus(Qt::TabFocusReason);
    else if (watched == m_verityCodeView->textFiled())
        m_passWordContentView->textFiled()->setFocus(Qt::TabFocusReason);
    else if (watched == m_passWordContentView->textFiled())
        m_passWordAgainContentView->textFiled()->setFocus(Qt::TabFocusReason);
    return true;
}

void NBBindAccountViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBBindAccountViewController::layoutViews()
{
    if (!m_navView)
        return;
    const int w = width();
    m_navView->setGeometry(0, 0, w, 74);
    const int labelWidth = w - 72;
    int y = 74 + 10;
    const int topHeight = m_topLabel->heightForWidth(labelWidth);
    m_topLabel->setGeometry(36, y, labelWidth, topHeight);
    y += topHeight + 19;
    m_userIdContentView->setGeometry(28, y, w - 56, 40);
    y += 40 + 7;
    QWidget *account = m_contentView ? static_cast<QWidget *>(m_contentView) : m_regcodeView;
    account->setGeometry(28, y, w - 56, 40);
    y += 40 + 7;
    m_verityCodeView->setGeometry(28, y, w - 56, 40);
    // Everything after the fields starts under the last field, so the action strip never lies
    // over the code field and takes its clicks.
    int lastBottom = y + 40;
    if (!m_isBind) {
        y += 40 + 7;
        m_passWordContentView->setGeometry(28, y, w - 56, 40);
        y += 40 + 7;
        m_passWordAgainContentView->setGeometry(28, y, w - 56, 40);
        lastBottom = y + 40;
    }
    const int footHeight = m_bottemLabel->heightForWidth(labelWidth);
    m_bottemLabel->setGeometry(36, lastBottom + 9, labelWidth, footHeight);
    m_bindView->setGeometry(0, lastBottom + 9 + footHeight, w, 100);
}

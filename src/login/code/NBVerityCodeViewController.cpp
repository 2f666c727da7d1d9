#include "login/code/NBVerityCodeViewController.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "uikit/FNHUD.h"
#include "uikit/NBMaskView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "common/Localization.h"
#include "login/code/AccountCodeSheetLook.h"
#include "common/OOTimerManager.h"
#include "login/form/AccountReply.h"
#include "login/register/NBConfirmPassWordViewController.h"
#include "login/code/NBVerityCodeView.h"
#include "networking/OONetWorkTool.h"
#include "uikit/PlainText.h"

namespace {

const QColor kBlue(105, 159, 245);

QPushButton *makeButton(QWidget *parent, const QString &style)
{
    auto *button = new QPushButton(parent);
    button->setFont(NSFontHelper::getRegularPingFangFont(14));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(style);
    return button;
}

// The resend button is text only: its colour tells counting (white) from ready (blue).
void setTitle(QPushButton *button, const QString &title, const QColor &colour)
{
    button->setText(title);
    button->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; color: %1; }")
                              .arg(colour.name()));
}

QString buttonStyle(const QColor &background, int radius)
{
    return QStringLiteral("QPushButton { background: %1; border: none; border-radius: %2px; color: white; }")
        .arg(background.alpha() ? background.name() : QStringLiteral("transparent"))
        .arg(radius);
}

} // namespace

const QString &NBVerityCodeViewController::timerName()
{
    static const QString name = QStringLiteral("NBVerityCodeViewControllerTimer");
    return name;
}

NBVerityCodeViewController::NBVerityCodeViewController(std::optional<VerityCodeType> type,
                                                       std::optional<QString> account,
                                                       std::optional<QString> passWord,
                                                       std::optional<QString> regCode, QWidget *parent)
    : NBBaseViewController(parent)
    , m_type(type)
    , m_account(std::move(account))
    , m_passWord(std::move(passWord))
    , m_regCode(std::move(regCode))
{
    resize(375, 667);
}

NBVerityCodeViewController::~NBVerityCodeViewController() = default;

void NBVerityCodeViewController::setupTexts()
{
    m_titleText = localizedByAppLanguage(NBVerityCodeLogic::titleKey(m_type));
    m_contentText = localizedByAppLanguage(NBVerityCodeLogic::contentKey(m_type));
}

void NBVerityCodeViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    AccountCodeSheetLook::paintBackground(this);
    m_backBtn = AccountCodeSheetLook::backButton(this);
    connect(m_backBtn, &QPushButton::clicked, this, &NBVerityCodeViewController::dismissAction);

    m_titleLable = PlainText::label(this);
    m_titleLable->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_titleLable->setAlignment(Qt::AlignCenter);
    m_titleLable->setStyleSheet(QStringLiteral("color: rgb(249, 249, 249);"));

    m_contentLable = PlainText::label(this);
    m_contentLable->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_contentLable->setWordWrap(true);
    m_contentLable->setStyleSheet(QStringLiteral("color: rgb(179, 183, 190);"));

    OOConfig config;
    config.inputBoxNumber = 6;
    config.inputBoxWidth = 42;
    config.inputBoxHeight = 55;
    config.inputBoxBorderWidth = 1;
    config.inputBoxCornerRadius = 10;
    config.inputBoxSpacing = 20;
    config.inputBoxColor = QColor(101, 114, 129);
    config.tintColor = QColor(Qt::white);
    config.secureTextEntry = false;
    config.font = NSFontHelper::getRegularPingFangFont(39);
    config.textColor = QColor(Qt::white);
    config.inputType = OOConfigInputType::number;
    config.showFlickerAnimation = false;
    m_codeView = new NBVerityCodeView(QSize(width() - 40, 56), config, this);
    m_codeView->inputBlock = [this](const QString &text) {
        if (text.size() >= 6)
            codeEntered(text);
    };
    m_codeView->finishBlock = [this](NBVerityCodeView *, const QString &text) { codeEntered(text); };

    m_retrieveButton = makeButton(this, buttonStyle(QColor(74, 85, 100), 10));
    m_retrieveButton->setText(localizedByAppLanguage(QStringLiteral("SETTING_BINGACCOUNT_PHONE_COUTINUE")));
    connect(m_retrieveButton, &QPushButton::clicked, this, &NBVerityCodeViewController::continueAction);

    m_noReceiveButton = makeButton(this, buttonStyle(Qt::transparent, 0));
    m_noReceiveButton->setText(localizedByAppLanguage(QStringLiteral("SETTING_VRITIFYCODE_ONE_MINITE_LATER")));
    connect(m_noReceiveButton, &QPushButton::clicked, this, &NBVerityCodeViewController::noReceiveAction);

    setupTexts();
    m_titleLable->setText(m_titleText);
    m_contentLable->setText(m_contentText);
    layoutViews();
    startCountdown();
}

void NBVerityCodeViewController::codeEntered(const QString &text)
{
    // The code itself stays out of the log.
    m_verityCode = text;
    m_retrieveButton->setEnabled(true);
    m_retrieveButton->setStyleSheet(buttonStyle(kBlue, 10));
}

void NBVerityCodeViewController::startCountdown()
{
    m_counter = std::make_shared<int>(60);
    countdownTick();
    if (UiTiming::delaysHeld())
        return;
    // The tick holds the screen weakly: a countdown whose screen is gone ends instead of
    // keeping it alive.
    QPointer<NBVerityCodeViewController> self(this);
    OOTimerManager::shared().schedule(
        timerName(), std::chrono::milliseconds(UiTiming::ms(1000)), true, false,
        [self] {
            if (!self) {
                OOTimerManager::shared().cancel(timerName());
                return;
            }
            self->countdownTick();
        },
        UiTiming::ms(1000) / 1000.0);
}

int NBVerityCodeViewController::remainingSeconds() const
{
    return m_counter ? *m_counter : 0;
}

bool NBVerityCodeViewController::countdownCovered() const
{
    return m_contentView && !m_contentView->isHidden();
}

void NBVerityCodeViewController::countdownTick()
{
    if (!m_counter || !m_noReceiveButton)
        return;
    if (*m_counter < 1) {
        OOTimerManager::shared().cancel(timerName());
        setTitle(m_noReceiveButton, localizedByAppLanguage(QStringLiteral("SETTING_VRITIFYCODE_HAVE_NOT_RECEIVE")), kBlue);
        m_noReceiveButton->setEnabled(true);
        if (m_contentView)
            m_contentView->hide();
        return;
    }
    --*m_counter;
    setTitle(m_noReceiveButton,
             QString::number(*m_counter) + localizedByAppLanguage(QStringLiteral("SETTING_VRITIFYCODE_ONE_MINITE_LATER"))
                 + localizedByAppLanguage(QStringLiteral("SETTING_VRITIFYCODE_ONE_MINITE_LATER_END")),
             Qt::white);
    if (!m_contentView)
        m_contentView = new NBMaskView(m_noReceiveButton);
    m_contentView->setGeometry(m_noReceiveButton->rect());
    m_contentView->show();
    m_contentView->raise();
}

NBVerityCodeLogic::Known NBVerityCodeViewController::known() const
{
    return {m_account, m_passWord, m_regCode};
}

void NBVerityCodeViewController::sendVerificationCode()
{
    FNHUD::showLoading(QString(), this);
    QPointer<NBVerityCodeViewController> self(this);
    const OONetWorkTool::AccountCall send = NBVerityCodeLogic::codeRequest(m_type);
    send(NBVerityCodeLogic::codeParams(m_type, known()), [self](std::optional<QJsonObject> reply, std::optional<NetError>) {
        UiTiming::singleShot(500, qApp, [] { FNHUD::hide(); });
        if (self)
            self->handleCodeResult(reply);
    });
}

void NBVerityCodeViewController::handleCodeResult(const std::optional<QJsonObject> &reply)
{
    const AccountReply answer = AccountReply::read(reply);
    if (answer.isSilent())
        return;
    if (!answer.isSuccess()) {
        showErrorToast(this, answer.message());
        return;
    }
    startCountdown();
    showSuccessToast(this, localizedByAppLanguage(NBVerityCodeLogic::isPhone(m_type) ? QStringLiteral("HAS_ENTER_YZM_PHONE")
                                                                                    : QStringLiteral("HAS_ENTER_YZM_EMAIL")));
}

void NBVerityCodeViewController::continueFlow()
{
    switch (NBVerityCodeLogic::continuation(m_type)) {
    case NBVerityCodeLogic::Continue::Bind:
        bindAccount();
        break;
    case NBVerityCodeLogic::Continue::NewPassword:
        openNewPassword();
        break;
    case NBVerityCodeLogic::Continue::Register:
        registerAccount();
        break;
    }
}

void NBVerityCodeViewController::bindAccount()
{
    const VerityCodeType type = *m_type;
    const NBVerityCodeLogic::Outcome outcome = NBVerityCodeLogic::bindParams(type, m_verityCode, known());
    if (const QString *problem = std::get_if<QString>(&outcome)) {
        showErrorToast(this, *problem);
        return;
    }
    const QJsonObject *params = std::get_if<QJsonObject>(&outcome);
    if (!params)
        return;
    FNHUD::showLoading(QString(), this);
    QPointer<NBVerityCodeViewController> self(this);
    // The bind only tells the user; the stored user stays as it is until the account is read again.
    OONetWorkTool::boundAccount(*params, [self](std::optional<QJsonObject> reply, std::optional<NetError>) {
        UiTiming::singleShot(500, qApp, [] { FNHUD::hide(); });
        const AccountReply answer = AccountReply::read(reply);
        if (!self || answer.isSilent())
            return;
        if (answer.isSuccess())
            showSuccessToast(self, localizedByAppLanguage(QStringLiteral("BAIND_PHONE_SUCCESS")));
        else
            showErrorToast(self, answer.message());
    });
}

void NBVerityCodeViewController::registerAccount()
{
    const auto outcome = NBVerityCodeLogic::registerParams(m_type, m_verityCode, known());
    if (const QString *problem = std::get_if<QString>(&outcome)) {
        showErrorToast(this, *problem);
        return;
    }
    const auto *request = std::get_if<NBVerityCodeLogic::RegisterRequest>(&outcome);
    if (!request)
        return;
    FNHUD::showLoading(QString(), this);
    QPointer<NBVerityCodeViewController> self(this);
    const QJsonObject signIn = request->signIn;
    // The registered user is stored even when the screen closed meanwhile.
    OONetWorkTool::registerAccount(request->registration, [self, signIn](std::optional<QJsonObject> reply,
                                                                         std::optional<NetError>) {
        UiTiming::singleShot(500, qApp, [] { FNHUD::hide(); });
        const AccountReply answer = AccountReply::readSignIn(reply);
        if (!self || answer.isSilent())
            return;
        if (!answer.isSuccess()) {
            showErrorToast(self, answer.message());
            return;
        }
        showSuccessToast(self, localizedByAppLanguage(QStringLiteral("REGISTER_SUSSESS")));
        UiTiming::singleShot(500, self, [signIn] { OONetWorkTool::accountLoginAfterRegister(signIn); });
    });
}

void NBVerityCodeViewController::openNewPassword()
{
    const VerityCodeType type = m_type.value_or(VerityCodeType::findPhone);
    presentViewControllerAsSheet(std::make_unique<NBConfirmPassWordViewController>(
        type, m_verityCode, m_account.value_or(QString()), m_regCode.value_or(QStringLiteral("+86"))));
}

void NBVerityCodeViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBVerityCodeViewController::layoutViews()
{
    if (!m_backBtn)
        return;
    const int w = width();
    m_backBtn->setGeometry(23, 30, 35, 35);
    m_titleLable->adjustSize();
    m_titleLable->move((w - m_titleLable->width()) / 2, 30 + (35 - m_titleLable->height()) / 2);
    const int contentTop = 30 + 35 + 35;
    const int contentHeight = m_contentLable->heightForWidth(w - 40);
    m_contentLable->setGeometry(20, contentTop, w - 40, contentHeight);
    const int codeTop = contentTop + contentHeight + 40;
    m_codeView->setGeometry(20, codeTop, w - 40, 56);
    const int codeBottom = codeTop + 56;
    m_noReceiveButton->adjustSize();
    const int noReceiveWidth = qMax(m_noReceiveButton->sizeHint().width() + 20, 120);
    m_noReceiveButton->setGeometry((w - noReceiveWidth) / 2, codeBottom + 22, noReceiveWidth, 40);
    if (m_contentView)
        m_contentView->setGeometry(m_noReceiveButton->rect());
    m_retrieveButton->setGeometry(15, codeBottom + 161, w - 30, 40);
}

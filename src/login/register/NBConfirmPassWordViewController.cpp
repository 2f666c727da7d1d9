#include "login/register/NBConfirmPassWordViewController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBMaskView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/TextFieldStyle.h"
#include "common/Localization.h"
#include "login/code/AccountCodeSheetLook.h"
#include "login/code/NBRegCodeView.h"
#include "login/form/NBTextFiledContentView.h"
#include "uikit/PlainText.h"

namespace {

QString doneStyle(const QColor &background)
{
    return QStringLiteral("QPushButton { background: %1; border: none; border-radius: 10px; color: white; }")
        .arg(background.name());
}

QLabel *makeNote(const QString &text, Qt::Alignment alignment, QWidget *parent)
{
    auto *label = PlainText::label(text, parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    label->setWordWrap(true);
    label->setAlignment(alignment);
    label->setStyleSheet(QStringLiteral("color: rgb(179, 183, 190);"));
    return label;
}

} // namespace

NBConfirmPassWordViewController::NBConfirmPassWordViewController(VerityCodeType type, const QString &verityCode,
                                                                 const QString &account, const QString &regCode,
                                                                 QWidget *parent)
    : NBBaseViewController(parent)
    , m_type(type)
    , m_verityCode(verityCode)
    , m_account(account)
    , m_regCode(regCode)
{
    resize(375, 667);
    setWindowTitle(QStringLiteral("Retrieve Password"));
}

QWidget *NBConfirmPassWordViewController::accountRow() const
{
    return m_regcodeView ? static_cast<QWidget *>(m_regcodeView) : m_contentView;
}

void NBConfirmPassWordViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    AccountCodeSheetLook::paintBackground(this);
    m_backBtn = AccountCodeSheetLook::backButton(this);
    connect(m_backBtn, &QPushButton::clicked, this, &NBConfirmPassWordViewController::dismissAction);

    m_titleLable = PlainText::label(localizedByAppLanguage(QStringLiteral("RECEIVE_VRITIFYCODE_RE_EMAIL_TITLE")), this);
    m_titleLable->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_titleLable->setStyleSheet(QStringLiteral("color: rgb(249, 249, 249);"));
    m_topLabel = makeNote(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_HEADER")),
                          Qt::AlignLeft | Qt::AlignTop, this);

    if (m_type == VerityCodeType::findPhone) {
        m_regcodeView = new NBRegCodeView(this);
        m_regcodeView->applyChosenCode(m_regCode.value_or(QStringLiteral("+86")));
        m_regcodeView->textFiled()->setText(m_account.value_or(QString()));
    } else {
        m_contentView = new NBTextFiledContentView(this);
        m_contentView->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_SWITCH_TITLE")));
        m_contentView->textFiled()->setPlaceholderText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PLACE")));
        m_contentView->textFiled()->setText(m_account.value_or(QString()));
    }
    // The account the code went to is shown, not edited.
    m_maskView = new NBMaskView(accountRow());
    accountRow()->setFocusPolicy(Qt::NoFocus);

    auto makeRow = [this](const QString &titleKey, const QString &placeholderKey) {
        auto *row = new NBSecureTextView(this);
        row->titleLabel()->setText(localizedByAppLanguage(titleKey));
        row->textFiled()->setPlaceholderText(localizedByAppLanguage(placeholderKey));
        TextFieldStyle::setPlaceholder(row->textFiled());
        row->textFiled()->installEventFilter(this);
        connect(row->textFiled(), &QLineEdit::textChanged, this, &NBConfirmPassWordViewController::controlTextDidChange);
        return row;
    };
    m_passWordContentView = makeRow(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_PASSWORD"),
                                    QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_ENTERPWD"));
    m_passWordAgainContentView = makeRow(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_CONFIRM"),
                                         QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_ENTERPWD_AGAIN"));
    m_bottemLabel = makeNote(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_FOOTER")),
                             Qt::AlignHCenter | Qt::AlignTop, this);

    m_doneButton = new QPushButton(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_BINDEMAIL_SURE")), this);
    m_doneButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_doneButton->setFlat(true);
    m_doneButton->setFocusPolicy(Qt::NoFocus);
    m_doneButton->setStyleSheet(doneStyle(QColor(74, 85, 100)));
    connect(m_doneButton, &QPushButton::clicked, this, &NBConfirmPassWordViewController::doneAction);
    layoutViews();
}

void NBConfirmPassWordViewController::viewDidDisappear()
{
    NBBaseViewController::viewDidDisappear();
    if (m_regcodeView)
        m_regcodeView->dismissPopup();
}

void NBConfirmPassWordViewController::controlTextDidChange()
{
    m_passWordText = m_passWordContentView->textFiled()->text();
    m_passWordAgainText = m_passWordAgainContentView->textFiled()->text();
    m_pwdHasFill = !m_passWordText.isEmpty();
    m_pwdAgainFill = !m_passWordAgainText.isEmpty();
    const bool both = m_pwdHasFill && m_pwdAgainFill;
    m_doneButton->setEnabled(both);
    m_doneButton->setStyleSheet(doneStyle(both ? QColor(105, 159, 245) : QColor(74, 85, 100)));
}

bool NBConfirmPassWordViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Tab
        || static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier)
        return NBBaseViewController::eventFilter(watched, event);
    if (watched == m_passWordContentView->textFiled())
        m_passWordAgainContentView->textFiled()->setFocus(Qt::TabFocusReason);
    return true;
}

void NBConfirmPassWordViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBConfirmPassWordViewController::layoutViews()
{
    if (!m_backBtn)
        return;
    const int w = width();
    m_backBtn->setGeometry(30, 23, 35, 35);
    m_titleLable->adjustSize();
    m_titleLable->move((w - m_titleLable->width()) / 2, 23 + (35 - m_titleLable->height()) / 2);
    int y = 23 + 35 + 28;
    const int topHeight = m_topLabel->heightForWidth(w - 48);
    m_topLabel->setGeometry(24, y, w - 48, topHeight);
    y += topHeight + 11;
    accountRow()->setGeometry(14, y, w - 28, 45);
    m_maskView->setGeometry(accountRow()->rect());
    m_maskView->raise();
    y += 45 + 8;
    m_passWordContentView->setGeometry(14, y, w - 28, 45);
    y += 45 + 8;
    m_passWordAgainContentView->setGeometry(14, y, w - 28, 45);
    y += 45 + 9;
    const int bottomHeight = m_bottemLabel->heightForWidth(w - 48);
    m_bottemLabel->setGeometry(24, y, w - 48, bottomHeight);
    y += bottomHeight + 31;
    m_doneButton->setGeometry(15, y, w - 30, 40);
}

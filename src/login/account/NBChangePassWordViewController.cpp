#include "login/account/NBChangePassWordViewController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/TextFieldStyle.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "common/Localization.h"
#include "login/form/AccountPasswordRules.h"
#include "login/account/NBAccountSetTimerView.h"
#include "networking/OONetWorkTool.h"
#include "uikit/PlainText.h"

NBChangePassWordViewController::NBChangePassWordViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_footer(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_FOOTER")))
{
    resize(375, 468);
}

NBSecureTextView *NBChangePassWordViewController::makeRow(const QString &titleKey, const QString &placeholderKey)
{
    auto *row = new NBSecureTextView(this);
    row->titleLabel()->setText(localizedByAppLanguage(titleKey));
    row->textFiled()->setPlaceholderText(localizedByAppLanguage(placeholderKey));
    TextFieldStyle::setPlaceholder(row->textFiled());
    row->textFiled()->installEventFilter(this);
    connect(row->textFiled(), &QLineEdit::textChanged, this, &NBChangePassWordViewController::controlTextDidChange);
    return row;
}

void NBChangePassWordViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(42, 41, 44));
    setPalette(palette);

    m_navView = new NBNavView(this);
    m_navView->titleLab()->setText(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_CHANGE_PWD_TITLE")));
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    connect(m_navView->backBtn(), &QPushButton::clicked, this, &NBChangePassWordViewController::dismissAction);

    m_oldPassWordContentView = makeRow(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_OLDPWD"),
                                       QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_ENTEROLDPWD"));
    m_passWordContentView = makeRow(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_NEWPWD"),
                                    QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_ENTERNEWPWD"));
    m_passWordAgainContentView = makeRow(QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_CONFIRM"),
                                         QStringLiteral("SETTING_ACCOUNT_SETPASSWORD_ENTERPWD_AGAIN"));

    m_topLabel = PlainText::label(m_footer, this);
    m_topLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_topLabel->setWordWrap(true);
    QPalette labelPalette = m_topLabel->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(179, 183, 190));
    m_topLabel->setPalette(labelPalette);

    m_bindView = new NBAccountSetTimerView(this);
    ButtonColors::setTitleWithColor(m_bindView->button(), QStringLiteral("修改密码"), Qt::white);
    m_bindView->setButtonEnabled(false);
    m_bindView->clickBlock = [this] { changePwdWith(m_oldPassWordText, m_passWordText, m_passWordAgainText); };
    layoutViews();
}

void NBChangePassWordViewController::controlTextDidChange()
{
    m_oldPassWordText = m_oldPassWordContentView->textFiled()->text();
    m_passWordText = m_passWordContentView->textFiled()->text();
    m_passWordAgainText = m_passWordAgainContentView->textFiled()->text();
    m_newPwdHasFill = !m_oldPassWordText.isEmpty();
    m_pwdHasFill = !m_passWordText.isEmpty();
    m_pwdAgainFill = !m_passWordAgainText.isEmpty();
    m_bindView->setButtonEnabled(m_newPwdHasFill && m_pwdHasFill && m_pwdAgainFill);
}

QJsonObject NBChangePassWordViewController::changeParams(const QString &oldPassword, const QString &newPassword,
                                                         const QString &confirmPassword)
{
    return QJsonObject{{QStringLiteral("new_password"), newPassword},
                       {QStringLiteral("new_password_again"), confirmPassword},
                       {QStringLiteral("old_password"), oldPassword}};
}

QWidget *NBChangePassWordViewController::toastHost()
{
    return presentingViewController();
}

void NBChangePassWordViewController::changePwdWith(const QString &oldPassword, const QString &newPassword,
                                                   const QString &confirmPassword)
{
    if (const std::optional<QString> problem = AccountPasswordRules::checkNewPassword(newPassword, confirmPassword)) {
        if (QWidget *host = toastHost())
            showErrorToast(host, *problem);
        return;
    }
    QPointer<NBChangePassWordViewController> self(this);
    OONetWorkTool::updatePassword(changeParams(oldPassword, newPassword, confirmPassword),
                                  [self](std::optional<QJsonObject> response, std::optional<QString> message) {
                                      if (self)
                                          self->handleAnswer(response, message);
                                  });
}

void NBChangePassWordViewController::handleAnswer(const std::optional<QJsonObject> &response,
                                                  const std::optional<QString> &message)
{
    QWidget *host = toastHost();
    if (message) {
        if (host)
            showErrorToast(host, *message);
        return;
    }
    if (!response) {
        if (host)
            showErrorToast(host, localizedByAppLanguage(QStringLiteral("CHANGE_PWD_FAILED")));
        return;
    }
    if (host)
        showSuccessToast(host, localizedByAppLanguage(QStringLiteral("CHANGE_PWD_SUCCESS")));
    UiTiming::singleShot(1000, this, [this] { dismissController(); });
}

bool NBChangePassWordViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Tab
        || static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier)
        return NBBaseViewController::eventFilter(watched, event);
    // Current -> new -> confirmation; Tab in the confirmation stays put.
    if (watched == m_oldPassWordContentView->textFiled())
        m_passWordContentView->textFiled()->setFocus(Qt::TabFocusReason);
    else if (watched == m_passWordContentView->textFiled())
        m_passWordAgainContentView->textFiled()->setFocus(Qt::TabFocusReason);
    return true;
}

void NBChangePassWordViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBChangePassWordViewController::layoutViews()
{
    if (!m_navView)
        return;
    const int w = width();
    m_navView->setGeometry(0, 0, w, 74);
    int y = 74 + 32;
    for (NBSecureTextView *row : {m_oldPassWordContentView, m_passWordContentView, m_passWordAgainContentView}) {
        row->setGeometry(15, y, w - 30, 45);
        y += 45 + 10;
    }
    y += 24 - 10;
    const int labelHeight = m_topLabel->heightForWidth(w - 30);
    m_topLabel->setGeometry(15, y, w - 30, qMax(labelHeight, 0));
    m_bindView->setGeometry(0, y + qMax(labelHeight, 0) + 10, w, 100);
}

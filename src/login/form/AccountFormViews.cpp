#include "login/form/AccountFormViews.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/TextFieldStyle.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "login/signin/NBLoginViewController.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"

namespace AccountFormViews {

void setPlaceholder(QLineEdit *field, const QString &placeholder)
{
    field->setPlaceholderText(placeholder);
    TextFieldStyle::setPlaceholder(field);
}

NBSecureTextView *passwordRow(QWidget *parent, const QString &placeholder, const QString &title)
{
    auto *row = new NBSecureTextView(parent);
    row->titleLabel()->setText(title);
    setPlaceholder(row->textFiled(), placeholder);
    return row;
}

NBVerityCodeContentView *codeRow(QWidget *parent)
{
    auto *row = new NBVerityCodeContentView(parent);
    setPlaceholder(row->textFiled(), QStringLiteral("请输入验证码"));
    return row;
}

NBGradColorView *actionButton(QWidget *parent, const QString &title)
{
    auto *button = new NBGradColorView(parent);
    button->setText(title);
    button->setAttributedTitle();
    button->setCornerRadius(20);
    setActionEnabled(button, false);
    return button;
}

void setActionEnabled(ImageTitleButton *button, bool enabled)
{
    button->setEnabled(enabled);
    button->setBackgroundImage(enabled ? QStringLiteral("confirm_enable_icon") : QStringLiteral("confirm_unenable_icon"));
}

QPushButton *haveAccountButton(QWidget *parent)
{
    // The picture is the arrow; the words stay a text so they follow the language.
    auto *button = new QPushButton(localizedByAppLanguage(QStringLiteral("已有账号，去登录")), parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(UiImages::icon(QStringLiteral("havaAcc")));
    button->setIconSize(QSize(14, 14));
    button->setFont(NSFontHelper::getRegularPingFangFont(12));
    button->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; background: transparent; padding: 0; color: rgb(222,180,132); text-align: left; }"));
    return button;
}

int layoutRows(const QList<QWidget *> &rows, int left, int top, int width)
{
    int y = top;
    for (QWidget *row : rows) {
        row->setGeometry(left, y, width, 40);
        y += 46;
    }
    return y;
}

RegistrationRows registrationRows(QWidget *parent)
{
    RegistrationRows rows;
    rows.code = codeRow(parent);
    const QString title = localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_PWD_PLACE"));
    rows.password = passwordRow(parent, QStringLiteral("设置新密码（8-16位大小写英文+数字组合）"),
                                title);
    rows.again = passwordRow(parent, QStringLiteral("确认新密码"), title);
    rows.invitation = new NBTextFiledContentView(parent);
    setPlaceholder(rows.invitation->textFiled(), QStringLiteral("推荐码（选填）"));
    rows.registerButton = actionButton(parent, QStringLiteral("注册并登录"));
    rows.haveAccount = haveAccountButton(parent);
    // The same line, links and site as the login screen's.
    rows.consent = NBLoginViewController::consentLabel(parent);
    return rows;
}

void layoutRegistration(QWidget *form, QWidget *accountRow, const RegistrationRows &rows)
{
    const int w = form->width() - 46;
    int y = layoutRows({accountRow, rows.code, rows.password, rows.again, rows.invitation}, 23, 13, w);
    y += 13 - 6;
    rows.registerButton->setGeometry(23, y, w, 40);
    y += 40 + 17;
    rows.haveAccount->setGeometry(29, y, qMax(72, rows.haveAccount->sizeHint().width()), 14);
    y += 14 + 16;
    rows.consent->setGeometry(29, y, form->width() - 58, 50);
}

QList<QLineEdit *> registrationFields(QLineEdit *accountField, const RegistrationRows &rows)
{
    return {accountField, rows.code->textFiled(), rows.password->textFiled(), rows.again->textFiled(),
            rows.invitation->textFiled()};
}

QList<QLineEdit *> registrationRequired(QLineEdit *accountField, const RegistrationRows &rows)
{
    return {accountField, rows.code->textFiled(), rows.password->textFiled(), rows.again->textFiled()};
}

RetrievalRows retrievalRows(QWidget *parent, const QString &passwordPlaceholder)
{
    RetrievalRows rows;
    rows.code = codeRow(parent);
    const QString title = localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PWD"));
    rows.password = passwordRow(parent, passwordPlaceholder, title);
    rows.again = passwordRow(parent, localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_PWD_PLACE")), title);
    rows.retrieveButton = actionButton(parent, QStringLiteral("重置密码并登录"));
    // Unlike the registration button's, this title is white.
    ButtonColors::setFontColor(rows.retrieveButton, Qt::white);
    return rows;
}

void layoutRetrieval(QWidget *form, QWidget *accountRow, const RetrievalRows &rows)
{
    const int w = form->width() - 36;
    const int y = layoutRows({accountRow, rows.code, rows.password, rows.again}, 18, 0, w);
    rows.retrieveButton->setGeometry(18, y - 6 + 14, w, 40);
}

QList<QLineEdit *> retrievalFields(QLineEdit *accountField, const RetrievalRows &rows)
{
    return {accountField, rows.code->textFiled(), rows.password->textFiled(), rows.again->textFiled()};
}

} // namespace AccountFormViews

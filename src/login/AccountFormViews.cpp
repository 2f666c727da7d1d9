#include "login/AccountFormViews.h"

#include <QLabel>
#include <QPushButton>

#include "app/uikit/NBCustomTextField.h"
#include "app/uikit/NBGradColorView.h"
#include "app/uikit/NBSecureTextView.h"
#include "app/uikit/NSFontHelper.h"
#include "app/uikit/TextFieldStyle.h"
#include "app/uikit/UiImages.h"
#include "common/Localization.h"

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

} // namespace AccountFormViews

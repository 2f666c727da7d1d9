#include "uikit/ButtonColors.h"

#include <QAbstractButton>

void ButtonColors::setTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour)
{
    if (!button)
        return;
    button->setText(title);
    setFontColor(button, colour);
}

void ButtonColors::setAttributedTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour)
{
    setTitleWithColor(button, title, colour);
}

void ButtonColors::setFontColor(QAbstractButton *button, const QColor &colour)
{
    if (!button || !colour.isValid())
        return;
    QPalette palette = button->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::ButtonText, colour);
    button->setPalette(palette);
}

QColor ButtonColors::fontColor(const QAbstractButton *button)
{
    return button ? button->palette().color(QPalette::Active, QPalette::ButtonText) : QColor();
}

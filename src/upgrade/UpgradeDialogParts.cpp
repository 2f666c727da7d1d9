#include "upgrade/UpgradeDialogParts.h"

#include <QLabel>

#include "uikit/ButtonColors.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "common/ClickableFlag.h"

NBDisableButton *UpgradeDialogParts::imageButton(const QString &image, const QString &title, const QColor &titleColour,
                                                 QWidget *parent)
{
    auto *button = new NBDisableButton(title, parent);
    button->setBackgroundImage(image);
    button->setCornerRadius(15);
    button->setFont(NSFontHelper::getRegularPingFangFont(12));
    button->setFocusPolicy(Qt::NoFocus);
    ButtonColors::setTitleWithColor(button, title, titleColour);
    ClickableFlag::setIsClickable(button, true);
    return button;
}

QLabel *UpgradeDialogParts::label(const QString &text, int size, const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    // Titles, versions and reasons come from the service or a page: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setFont(NSFontHelper::getRegularPingFangFont(size));
    label->setStyleSheet(QStringLiteral("color: rgb(%1, %2, %3); background: transparent;")
                             .arg(colour.red())
                             .arg(colour.green())
                             .arg(colour.blue()));
    return label;
}

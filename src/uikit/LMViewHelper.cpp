#include "uikit/LMViewHelper.h"

#include "uikit/UiImages.h"

#include <QPushButton>

QPushButton *LMViewHelper::createImageButton(QWidget *parent, const QString &image, const QSize &iconSize)
{
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!image.isEmpty())
        button->setIcon(UiImages::icon(image));
    button->setIconSize(iconSize);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    return button;
}

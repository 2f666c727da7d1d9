#include "login/AccountCodeSheetLook.h"

#include <QPushButton>

#include "app/uikit/UiImages.h"

void AccountCodeSheetLook::paintBackground(QWidget *sheet)
{
    sheet->setAutoFillBackground(true);
    QPalette palette = sheet->palette();
    palette.setColor(QPalette::Window, QColor(12, 26, 38));
    sheet->setPalette(palette);
}

QPushButton *AccountCodeSheetLook::backButton(QWidget *sheet)
{
    auto *button = new QPushButton(sheet);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(UiImages::icon(QStringLiteral("back")));
    button->setIconSize(QSize(35, 35));
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    return button;
}

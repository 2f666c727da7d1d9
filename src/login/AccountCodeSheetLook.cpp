#include "login/AccountCodeSheetLook.h"

#include <QPushButton>

#include "app/uikit/LMViewHelper.h"
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
    return LMViewHelper::createImageButton(sheet, QStringLiteral("back"), QSize(35, 35));
}

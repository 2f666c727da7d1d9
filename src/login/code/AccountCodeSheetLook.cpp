#include "login/code/AccountCodeSheetLook.h"

#include <QPushButton>

#include "uikit/LMViewHelper.h"
#include "uikit/UiImages.h"

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

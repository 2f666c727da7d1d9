#include "uikit/LMRectangleButton.h"

#include "uikit/ColorHelpers.h"
#include "uikit/LMAppThemeHelper.h"
#include "uikit/NSFontHelper.h"

LMRectangleButton::LMRectangleButton(const QString &title, QWidget *parent)
    : LMGradientTitleButton(title, parent)
{
    LMRectangleButton::setDefault();
}

void LMRectangleButton::setDefault()
{
    setIsGradient(true);
    setRadius(2);
    titleNormalColor = Qt::white;
    titleHoverColor = QColor();
    titleDownColor = QColor();
    normalColorArray = {ColorHelpers::colorWithHex(0x64DFA7), ColorHelpers::colorWithHex(0x00D899)};
    hoverColorArray = {ColorHelpers::colorWithHex(0x69E8AE), ColorHelpers::colorWithHex(0x00E9A5)};
    downColorArray = {ColorHelpers::colorWithHex(0x61CE9C), ColorHelpers::colorWithHex(0x00D093)};
    const QColor disabled = LMAppThemeHelper::getRectangleBtnDisabledBgColor();
    disableColorArray = {disabled, disabled};
    titleDisableColor = LMAppThemeHelper::getRectangleBtnDisabledTextColor();
    const int size = font().pixelSize() > 0 ? font().pixelSize() : 13;
    setFont(NSFontHelper::getLightSystemFont(size));
}

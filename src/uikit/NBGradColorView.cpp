#include "uikit/NBGradColorView.h"

#include "uikit/ButtonColors.h"
#include "uikit/NSFontHelper.h"

NBGradColorView::NBGradColorView(QWidget *parent)
    : ImageTitleButton(QStringLiteral("发送验证码"), parent)
{
    setBackgroundImage(QStringLiteral("rebackgroup"));
    setCornerRadius(15);
}

void NBGradColorView::setAttributedTitle()
{
    setFont(NSFontHelper::getRegularPingFangFont(14));
    ButtonColors::setFontColor(this, QColor(222, 228, 244));
}

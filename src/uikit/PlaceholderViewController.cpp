#include "uikit/PlaceholderViewController.h"

#include "uikit/LMAppThemeHelper.h"
#include "uikit/NSFontHelper.h"

#include <QPainter>

PlaceholderViewController::PlaceholderViewController(const QString &screenName, QWidget *parent)
    : NBBaseViewController(parent)
    , m_screenName(screenName)
{
    setObjectName(screenName);
}

void PlaceholderViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    if (size().isEmpty())
        resize(728, 500);
}

void PlaceholderViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), LMAppThemeHelper::getMainBgColor());
    painter.setPen(QColor(123, 123, 123));
    painter.setFont(NSFontHelper::getRegularPingFangFont(14));
    painter.drawText(rect(), Qt::AlignCenter, m_screenName);
}

#include "app/HHSplashButton.h"

#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"

HHSplashButton::HHSplashButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFont(NSFontHelper::getRegularPingFangFont(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void HHSplashButton::setImageName(const QString &name)
{
    m_imageName = name;
    update();
}

void HHSplashButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPixmap image = UiImages::pixmap(m_imageName, size(), devicePixelRatioF());
    if (!image.isNull())
        painter.drawPixmap(rect(), image);
    painter.setPen(Qt::white);
    painter.setFont(font());
    // Leading 12, trailing 30: the right part of the picture carries the close mark.
    painter.drawText(rect().adjusted(12, 0, -30, 0), Qt::AlignCenter, text());
}

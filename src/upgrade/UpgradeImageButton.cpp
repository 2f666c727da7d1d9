#include "upgrade/UpgradeImageButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "app/uikit/NSFontHelper.h"
#include "app/uikit/UiImages.h"
#include "common/ClickableFlag.h"

UpgradeImageButton::UpgradeImageButton(const QString &image, const QString &title, const QColor &titleColor, QWidget *parent)
    : QPushButton(title, parent)
    , m_image(image)
    , m_titleColor(titleColor)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(NSFontHelper::getRegularPingFangFont(12));
    ClickableFlag::setIsClickable(this, true);
}

bool UpgradeImageButton::clickable() const
{
    return ClickableFlag::isClickable(this).value_or(true);
}

void UpgradeImageButton::mousePressEvent(QMouseEvent *event)
{
    if (!clickable()) {
        event->accept();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void UpgradeImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!clickable()) {
        event->accept();
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void UpgradeImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 15, 15);
    painter.setClipPath(clip);
    painter.drawPixmap(rect(), UiImages::pixmap(m_image, size(), devicePixelRatioF()));
    if (isDown())
        painter.fillRect(rect(), QColor(0, 0, 0, 50));
    if (!isEnabled())
        painter.fillRect(rect(), QColor(0, 0, 0, 90));
    painter.setPen(m_titleColor);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

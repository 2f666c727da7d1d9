#include "uikit/unreached/LMTitleButton.h"

#include "uikit/ButtonColors.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

LMTitleButton::LMTitleButton(const QString &title, QWidget *parent)
    : QPushButton(title, parent)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    applyState();
}

void LMTitleButton::setDefaultTitleColor(const QColor &colour)
{
    m_defaultTitleColor = colour;
    applyState();
}

void LMTitleButton::setHoverTitleColor(const QColor &colour)
{
    m_hoverTitleColor = colour;
    applyState();
}

void LMTitleButton::setDownTitleColor(const QColor &colour)
{
    m_downTitleColor = colour;
    applyState();
}

void LMTitleButton::applyTitleColor()
{
    if (!isEnabled())
        return;
    QColor colour;
    if (isDown())
        colour = m_downTitleColor;
    else if (m_hover && m_hoverTitleColor.isValid())
        colour = m_hoverTitleColor;
    else
        colour = m_defaultTitleColor;
    if (!colour.isValid())
        return;
    m_current = colour;
    ButtonColors::setFontColor(this, colour);
}

void LMTitleButton::applyState()
{
    applyTitleColor();
    update();
}

void LMTitleButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    m_hover = true;
    applyState();
}

void LMTitleButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    m_hover = false;
    applyState();
}

void LMTitleButton::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
    applyState();
}

void LMTitleButton::mouseReleaseEvent(QMouseEvent *event)
{
    // QAbstractButton clicks only when released inside; the hover follows where it was let go.
    m_hover = rect().contains(event->position().toPoint());
    QPushButton::mouseReleaseEvent(event);
    applyState();
}

void LMTitleButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyState();
}

void LMTitleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRect area = rect();
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const QPixmap pixmap = icon().pixmap(size, devicePixelRatioF(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
        if (text().isEmpty()) {
            painter.drawPixmap(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size), pixmap);
            return;
        }
        painter.drawPixmap(QRect(QPoint(0, (height() - size.height()) / 2), size), pixmap);
        area.setLeft(size.width() + 4);
    }
    ButtonColors::drawTitle(painter, this, area);
}

#include "home/unreached/OOKillSwitchTipView.h"

#include <QLabel>
#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

OOKillSwitchTipView::OOKillSwitchTipView(QWidget *parent)
    : QWidget(parent)
{
    m_textLabel = PlainText::label(QStringLiteral("加速异常，安全锁保护已开启 \n如需关闭保护请长按[断开连接"), this);
    m_textLabel->setFont(NSFontHelper::getRegularPingFangFont(11));
    m_textLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_textLabel->setAlignment(Qt::AlignCenter);
}

void OOKillSwitchTipView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 27.5, 27.5);
}

void OOKillSwitchTipView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_textLabel->setGeometry(rect());
}

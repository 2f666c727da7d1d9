#include "home/markConnerView.h"

#include <QLabel>
#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

markConnerView::markConnerView(QWidget *parent)
    : QWidget(parent)
{
    m_markText = PlainText::label(QStringLiteral("全局模式"), this);
    m_markText->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_markText->setAlignment(Qt::AlignCenter);
    m_markText->setStyleSheet(QStringLiteral("color: rgb(234, 179, 68); background: transparent;"));
    resize(53, 19);
}

void markConnerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 51, 68));
    painter.drawRoundedRect(QRectF(rect()), 9.5, 9.5);
}

void markConnerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_markText->setGeometry((width() - 53) / 2, 0, 53, height());
}

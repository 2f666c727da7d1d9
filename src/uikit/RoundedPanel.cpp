#include "uikit/RoundedPanel.h"

#include <QPainter>
#include <QPainterPath>

RoundedPanel::RoundedPanel(const QColor &colour, qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_colour(colour)
    , m_radius(radius)
{
}

void RoundedPanel::setBackgroundColor(const QColor &colour)
{
    m_colour = colour;
    update();
}

void RoundedPanel::setCornerRadius(qreal radius)
{
    m_radius = radius;
    update();
}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    if (m_colour.alpha() == 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_colour);
    const qreal radius = qMin(m_radius, qMin(width(), height()) / 2.0);
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
}

#include "uikit/unreached/NBLoadingView.h"

#include <QPainter>
#include <QPainterPath>

NBLoadingView::NBLoadingView(QWidget *parent)
    : QWidget(parent)
{
}

void NBLoadingView::setRingVisible(bool visible)
{
    m_ringVisible = visible;
    update();
}

void NBLoadingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(38, 47, 56));
    if (!m_ringVisible)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = width() * 0.9 * 0.5;
    const QRectF circle(width() / 2.0 - radius, height() / 2.0 - radius, 2 * radius, 2 * radius);
    QPen pen(QColor::fromRgbF(0.2f, 0.85f, 0.99f), 5);
    painter.setPen(pen);
    // The stroke ends at a fifth of the circle, which starts at angle 0 and runs counter-clockwise.
    painter.drawArc(circle, 0, int(360 * 16 * 0.2));
}

#include "home/unreached/OOHomeCircleView.h"

#include <QPainter>
#include <QPainterPath>

OOHomeCircleView::OOHomeCircleView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OOHomeCircleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(11, 189, 245), 2);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    const QPointF centre = rect().center();
    const QRectF box(centre.x() - kRadius, centre.y() - kRadius, 2 * kRadius, 2 * kRadius);
    // 45 to 90 degrees clockwise in the original's y-up frame is 45 degrees of arc ending at the
    // top, drawn counter-clockwise in Qt's y-down one.
    painter.drawArc(box, 45 * 16, 45 * 16);
}

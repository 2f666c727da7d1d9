#include "upgrade/CircularArcImageView.h"

#include <QPainter>
#include <QPainterPath>

CircularArcImageView::CircularArcImageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void CircularArcImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 2.5;
    // An arc of 353.7 degrees closed into a whole ring.
    QPainterPath path;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    path.arcMoveTo(box, 45.0);
    path.arcTo(box, 45.0, -(360.0 - (51.283185307179586 - 45.0)));
    path.closeSubpath();
    painter.setPen(QPen(QColor(96, 96, 96), 5.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

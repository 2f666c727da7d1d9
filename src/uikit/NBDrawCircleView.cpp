#include "uikit/NBDrawCircleView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QtMath>

NBDrawCircleView::NBDrawCircleView(const NBCircleViewConfig &config, QWidget *parent)
    : QWidget(parent)
    , m_config(config)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NBDrawCircleView::setProgress(double progress)
{
    m_progress = qBound(0.0, progress, 1.0);
    update();
}

double NBDrawCircleView::sweepDegrees() const
{
    const double sweep = 2.0 + 357.75 * m_progress;
    return m_config.isCloseWise ? sweep : -sweep;
}

QPainterPath NBDrawCircleView::arcPath() const
{
    const QPointF centre(width() / 2.0, width() / 2.0);
    const double radius = qMin(width() / 2.0, height() / 2.0) - m_config.circleLineWidth / 2.0;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const double start = qRadiansToDegrees(m_config.startAngle);
    QPainterPath path;
    path.arcMoveTo(circle, start);
    // Qt's arc angles turn counter-clockwise on screen, as the program's y-up angles do.
    path.arcTo(circle, start, sweepDegrees());
    return path;
}

void NBDrawCircleView::paintEvent(QPaintEvent *)
{
    const int n = int(m_config.colorArray.size());
    if (n == 0)
        return;
    m_config.colorSizeArray.clear();
    for (int i = 0; i < n; ++i)
        m_config.colorSizeArray.append(double(i) / n);

    QPainterPathStroker stroker;
    stroker.setWidth(m_config.circleLineWidth);
    stroker.setCapStyle(Qt::RoundCap);
    const QPainterPath outline = stroker.createStroke(arcPath());

    // The program's points are y-up: flip them into the widget.
    const QPointF from = m_config.starPoint.value_or(QPointF(0, 0));
    const QPointF to = m_config.endPoint.value_or(QPointF(width() / 2.0, width() / 2.0));
    QLinearGradient gradient(QPointF(from.x(), height() - from.y()), QPointF(to.x(), height() - to.y()));
    for (int i = 0; i < n; ++i)
        gradient.setColorAt(m_config.colorSizeArray.at(i), m_config.colorArray.at(i));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline, gradient);
}

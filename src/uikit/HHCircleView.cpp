#include "uikit/HHCircleView.h"

#include "uikit/NBDrawCircleView.h"

#include <QPainter>

HHCircleView::HHCircleView(const QRect &frame, const NBCircleViewConfig &config, QWidget *parent)
    : QWidget(parent)
    , m_config(config)
{
    setGeometry(frame);
    m_drawCicleView = new NBDrawCircleView(config, this);
    m_drawCicleView->setGeometry(rect());
}

void HHCircleView::setProgress(double progress)
{
    m_progress = progress;
    m_drawCicleView->setProgress(progress);
}

void HHCircleView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_drawCicleView->setGeometry(rect());
}

void HHCircleView::paintEvent(QPaintEvent *)
{
    if (!m_config.lineColor.isValid() || m_config.circleLineWidth <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_config.lineColor, m_config.circleLineWidth));
    painter.setBrush(Qt::NoBrush);
    const double radius = width() / 2.0 - m_config.circleLineWidth / 2.0;
    painter.drawEllipse(QPointF(width() / 2.0, height() / 2.0), radius, radius);
}

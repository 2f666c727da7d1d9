#include "uikit/NBControllerView.h"

#include <QMouseEvent>

NBControllerView::NBControllerView(const QSize &size, QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setFixedSize(size);
}

void NBControllerView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

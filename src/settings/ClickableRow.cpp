#include "settings/ClickableRow.h"

#include <QMouseEvent>

ClickableRow::ClickableRow(QWidget *parent)
    : QWidget(parent)
{
}

void ClickableRow::mouseReleaseEvent(QMouseEvent *event)
{
    // A press dragged off the row before its release is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

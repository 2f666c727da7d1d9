#include "settings/ClickableRow.h"

#include <QMouseEvent>

ClickableRow::ClickableRow(QWidget *parent)
    : QWidget(parent)
{
}

void ClickableRow::mousePressEvent(QMouseEvent *event)
{
    m_click.press(event);
    // Kept: the press is the row's, not the window background's.
    event->accept();
}

void ClickableRow::mouseMoveEvent(QMouseEvent *event)
{
    m_click.move(event);
    event->accept();
}

void ClickableRow::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (m_click.release(event, rect()))
        Q_EMIT clicked();
}

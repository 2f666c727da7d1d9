#include "uikit/PressClick.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

bool beyondDragDistance(const QPointF &from, const QPointF &to)
{
    return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

} // namespace

void PressClick::press(const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The pointer's travel is measured on the screen, whatever the control does meanwhile.
    m_pressedAt = event->globalPosition();
    m_dragged = false;
}

void PressClick::move(const QMouseEvent *event)
{
    if (m_pressedAt && beyondDragDistance(*m_pressedAt, event->globalPosition()))
        m_dragged = true;
}

bool PressClick::release(const QMouseEvent *event, const QRect &area)
{
    if (event->button() != Qt::LeftButton || !m_pressedAt)
        return false;
    const bool dragged = m_dragged || beyondDragDistance(*m_pressedAt, event->globalPosition());
    m_pressedAt.reset();
    m_dragged = false;
    return !dragged && area.contains(event->position().toPoint());
}

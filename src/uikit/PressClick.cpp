#include "uikit/PressClick.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

bool beyondDragDistance(const QPointF &from, const QPointF &to)
{
    return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

} // namespace

PressClick::PressClick(QWidget *control, ActsOn actsOn, std::function<void()> action)
    : QObject(control)
    , m_actsOn(actsOn)
    , m_action(std::move(action))
{
    control->installEventFilter(this);
}

void PressClick::attach(QWidget *control, ActsOn actsOn, std::function<void()> action)
{
    new PressClick(control, actsOn, std::move(action));
}

bool PressClick::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != parent())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    // A widget gets the second press of a double click as a double click only.
    case QEvent::MouseButtonDblClick:
        event->accept();
        press(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove:
        event->accept();
        move(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        event->accept();
        release(static_cast<QMouseEvent *>(event));
        return true;
    default:
        return false;
    }
}

void PressClick::press(const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_actsOn == ActsOn::Press) {
        act();
        return;
    }
    // The pointer's travel is measured on the screen, whatever the control does meanwhile.
    m_pressedAt = event->globalPosition();
    m_dragged = false;
}

void PressClick::move(const QMouseEvent *event)
{
    if (m_pressedAt && beyondDragDistance(*m_pressedAt, event->globalPosition()))
        m_dragged = true;
}

void PressClick::release(const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressedAt)
        return;
    const bool dragged = m_dragged || beyondDragDistance(*m_pressedAt, event->globalPosition());
    m_pressedAt.reset();
    m_dragged = false;
    const auto *control = static_cast<const QWidget *>(parent());
    if (!dragged && control->rect().contains(event->position().toPoint()))
        act();
}

void PressClick::act()
{
    // The action may open a screen over the control or delete it, and this with it.
    const std::function<void()> action = m_action;
    action();
}

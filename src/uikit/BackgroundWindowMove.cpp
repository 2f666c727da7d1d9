#include "uikit/BackgroundWindowMove.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

void BackgroundWindowMove::press(const QPoint &globalPos, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        m_pressAt = globalPos;
    else
        m_pressAt.reset();
}

bool BackgroundWindowMove::shouldStartMove(const QPoint &globalPos, Qt::MouseButtons buttons)
{
    if (!m_pressAt)
        return false;
    if (!(buttons & Qt::LeftButton)) {
        m_pressAt.reset();
        return false;
    }
    if ((globalPos - *m_pressAt).manhattanLength() < QApplication::startDragDistance())
        return false;
    // The window manager owns the pointer from here on: no release comes back for this press.
    m_pressAt.reset();
    return true;
}

void BackgroundWindowMove::release()
{
    m_pressAt.reset();
}

namespace {
BackgroundWindowMove::Starter &starter()
{
    static BackgroundWindowMove::Starter s_starter;
    return s_starter;
}
} // namespace

bool BackgroundWindowMove::startMove(QWidget *widget)
{
    if (!widget)
        return false;
    QWidget *top = widget->window();
    if (starter())
        return starter()(top);
    QWindow *handle = top ? top->windowHandle() : nullptr;
    return handle && handle->startSystemMove();
}

void BackgroundWindowMove::setStarterForTesting(Starter starter)
{
    ::starter() = std::move(starter);
}

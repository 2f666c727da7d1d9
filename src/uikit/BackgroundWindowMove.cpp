#include "uikit/BackgroundWindowMove.h"

#include "uikit/RoundedPanel.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QWidget>
#include <QWindow>

#include <typeinfo>

namespace {

constexpr auto kSurfaceProperty = "ostrelBackgroundSurface";

// Exactly these types, not their subclasses: a subclass may be a control that ignores presses.
// A scroll area's page is a bare widget too; its scroll bars are controls.
bool isPlainSurface(const QWidget *widget)
{
    if (widget->property(kSurfaceProperty).toBool())
        return true;
    const std::type_info &type = typeid(*widget);
    if (type == typeid(QWidget) || type == typeid(QFrame) || type == typeid(RoundedPanel) || type == typeid(QScrollArea))
        return true;
    if (type != typeid(QLabel))
        return false;
    // A label is background unless it selects text or may hold links (rich text only).
    const auto *label = static_cast<const QLabel *>(widget);
    const Qt::TextInteractionFlags flags = label->textInteractionFlags();
    if (flags & Qt::TextSelectableByMouse)
        return false;
    return label->textFormat() == Qt::PlainText || !(flags & Qt::LinksAccessibleByMouse);
}

} // namespace

bool BackgroundWindowMove::isBackground(const QWidget *screen, const QPoint &pos)
{
    if (!screen)
        return false;
    for (const QWidget *hit = screen->childAt(pos); hit && hit != screen; hit = hit->parentWidget()) {
        if (!isPlainSurface(hit))
            return false;
    }
    return true;
}

void BackgroundWindowMove::markAsSurface(QWidget *container)
{
    if (container)
        container->setProperty(kSurfaceProperty, true);
}

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

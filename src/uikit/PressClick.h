#pragma once

#include <QPointF>
#include <QRect>

#include <optional>

class QMouseEvent;

// Whether a left press on a control ends in a click: it is released over the control and the
// pointer never went further than the desktop's drag distance from where it was pressed. A press
// that becomes a drag (the pointer taken away to scroll, to select, to move the window) or that
// is released outside is no click. The control feeds it its press, move and release events.
class PressClick
{
public:
    void press(const QMouseEvent *event);
    void move(const QMouseEvent *event);
    // True when this release ends a click within `area`, the control's own rectangle.
    bool release(const QMouseEvent *event, const QRect &area);

    bool isPressed() const { return m_pressedAt.has_value(); }

private:
    std::optional<QPointF> m_pressedAt;
    bool m_dragged = false;
};

#pragma once

#include <QObject>
#include <QPointF>

#include <functional>
#include <optional>

class QMouseEvent;
class QWidget;

// What makes a control drawn as one big button act on the pointer. Attached to the control (which
// owns it), it takes every mouse button event the control gets, so none reaches the window's
// background behind it (a row never moves the window), and runs the control's action:
// - `ActsOn::Press`: at each left press, at once;
// - `ActsOn::Release`: when a left press comes up over the control and the pointer never went the
//   desktop's drag distance from where it was pressed. A press that becomes a drag (the pointer
//   taken away to scroll, to select, to move the window) or that ends outside is no click.
// The second press of a double click is a press like the first.
class PressClick : public QObject
{
    Q_OBJECT
public:
    enum class ActsOn { Press, Release };

    static void attach(QWidget *control, ActsOn actsOn, std::function<void()> action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PressClick(QWidget *control, ActsOn actsOn, std::function<void()> action);

    void press(const QMouseEvent *event);
    void move(const QMouseEvent *event);
    void release(const QMouseEvent *event);
    void act();

    const ActsOn m_actsOn;
    const std::function<void()> m_action;
    std::optional<QPointF> m_pressedAt;
    bool m_dragged = false;
};

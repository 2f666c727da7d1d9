#pragma once

#include <QPoint>

#include <functional>
#include <optional>

class QWidget;

// The window is movable by its background, as by a title bar: a left press on a screen's bare
// background that turns into a drag hands the window to the window manager
// (QWindow::startSystemMove). A press that does not move stays a click. The background is the
// screen itself and the plain surfaces on it (bare widgets, frames, panels, labels that take no
// text selection, a scroll area's bare page, and the containers a screen marks as surfaces); a
// press on anything else, a row or a list that ignores presses as well, is that thing's, so a
// drag across it never moves the window.
class BackgroundWindowMove
{
public:
    // Whether the point (in the screen's coordinates) lies on the screen's background.
    static bool isBackground(const QWidget *screen, const QPoint &pos);
    // A container of the screen's own class (a stage, a header) whose bare parts are background:
    // its controls and rows still keep their presses.
    static void markAsSurface(QWidget *container);

    void press(const QPoint &globalPos, Qt::MouseButton button);
    // True once per press: when the left button, held since a background press, has moved the
    // desktop's drag distance.
    bool shouldStartMove(const QPoint &globalPos, Qt::MouseButtons buttons);
    void release();

    // Asks the window manager to move the widget's window; false where it cannot (offscreen,
    // no native window).
    static bool startMove(QWidget *widget);

    // Replaces the window manager's move (which the offscreen platform lacks) while tests run;
    // an empty function puts it back.
    using Starter = std::function<bool(QWidget *window)>;
    static void setStarterForTesting(Starter starter);

private:
    std::optional<QPoint> m_pressAt;
};

#pragma once

#include <QPointer>
#include <QWidget>

// Base of everything laid over other widgets (alerts, popups, masks, loading covers): presses,
// releases, double clicks, wheel turns and keys that reach it stop here, so nothing under it
// reacts. Qt delivers a click to the top-most widget already; what Qt adds over AppKit is that an
// unaccepted event climbs to the parent, and that a focused field under the overlay still takes
// Enter. So the overlay accepts what reaches it and, when shown with takeFocus(), pulls the
// keyboard focus to itself and keeps Tab inside; closeOverlay() gives the focus back.
class OverlayWidget : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayWidget(QWidget *parent = nullptr);
    ~OverlayWidget() override;

    // Keeps the overlay's geometry equal to its parent's rectangle, now and on every resize.
    void setFillsParent(bool fills);
    bool fillsParent() const { return m_fillsParent; }

    // Lays the overlay over the whole of host, on top of its other children, shown and holding
    // the focus: the one way a popup or tip is put over a screen.
    void showOver(QWidget *host);

    // Remembers who had the focus and takes it. The first focusable child gets it when there is
    // one, else the overlay itself.
    void takeFocus();

    // Hides the overlay, gives the focus back to who had it, and deletes the overlay later: a
    // hidden or transparent overlay left in place would still sit in the focus chain or the
    // widget tree. Safe to call twice.
    void closeOverlay();
    bool isClosing() const { return m_closing; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void followParent();
    void restoreFocus();

    QPointer<QWidget> m_previousFocus;
    QPointer<QWidget> m_watchedParent;
    bool m_fillsParent = false;
    bool m_closing = false;
};

#pragma once

#include <QColor>
#include <QObject>

class QWidget;

// A page presented over another screen lies on top of it, and wherever the page draws nothing the
// screen beneath shows through: a page made for the split view's pane (a web page on a
// transparent view, say) relies on the split view's fill and would show its text over the list it
// covers. ensure() paints the window's page colour under whatever the page paints itself. A page
// that fills its own background (autoFillBackground) keeps its colour.
class PresentedBackground : public QObject
{
    Q_OBJECT
public:
    // The colour under the pages of the main window.
    static QColor pageColor();
    // Idempotent; the painter lives as long as the page.
    static void ensure(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PresentedBackground(QWidget *page);
};

#include "home/unreached/NBHomeLineScrollView.h"
#include "home/HomeLog.h"

#include <QDebug>
#include <QScrollBar>
#include <QWheelEvent>

NBHomeLineScrollView::NBHomeLineScrollView(QWidget *parent)
    : NBLineTableView(parent)
{
    setFirstRowIsBestLocation(false);
    setRowHeights(kRowHeight, kRowHeight);
    setBackgroundColour(QColor(21, 13, 38));
}

double NBHomeLineScrollView::nextIndex(double index, int deltaY, int documentHeight, int frameHeight)
{
    if (deltaY > 0) {
        const double next = index + 1;
        return documentHeight - frameHeight < next * kRowHeight ? index : next;
    }
    if (deltaY < 0) {
        const double next = index - 1;
        return next < 0 ? index : next;
    }
    return index;
}

NBHomeLineScrollType NBHomeLineScrollView::placeOf(int selectIndex, int firstVisibleRow)
{
    if (firstVisibleRow <= selectIndex && selectIndex <= firstVisibleRow + kVisibleRows - 1)
        return NBHomeLineScrollType::line(selectIndex - firstVisibleRow);
    return NBHomeLineScrollType::none();
}

void NBHomeLineScrollView::scrollStep(int deltaY)
{
    if (deltaY != 0)
        qCDebug(lcHome) << (deltaY > 0 ? "向上滚动" : "向下滚动");
    const double next = nextIndex(index, deltaY, contentHeight(), viewport()->height());
    if (next != index) {
        index = next;
        verticalScrollBar()->setValue(int(next * kRowHeight));
    }
    locateSelectedRow();
}

void NBHomeLineScrollView::locateSelectedRow()
{
    const int first = verticalScrollBar()->value() / kRowHeight;
    const NBHomeLineScrollType place = placeOf(selectIndex, first);
    if (place.kind == NBHomeLineScrollType::Kind::none)
        qCDebug(lcHome) << "已超出";
    if (changeBlock)
        changeBlock(place);
}

void NBHomeLineScrollView::wheelEvent(QWheelEvent *event)
{
    // One row per notch (120 units), however finely a touchpad splits the turn.
    event->accept();
    m_wheelRemainder += event->angleDelta().y();
    bool stepped = false;
    while (m_wheelRemainder >= 120) {
        m_wheelRemainder -= 120;
        scrollStep(1);
        stepped = true;
    }
    while (m_wheelRemainder <= -120) {
        m_wheelRemainder += 120;
        scrollStep(-1);
        stepped = true;
    }
    // A wheel event that moves no row (a sideways turn, part of a notch) still reports where
    // the selected row is.
    if (!stepped)
        scrollStep(0);
}

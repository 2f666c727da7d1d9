#pragma once

#include <functional>

#include "home/unreached/NBHomeLineScrollType.h"
#include "home/NBLineTableView.h"

// The home screen's own line table: rows of 55 points on RGB (21, 13, 38), scrolled by whole rows
// with the wheel, telling changeBlock after each step where the selected row is (in the seven
// rows in view, or out of view). Nothing in the running home screen shows it.
class NBHomeLineScrollView : public NBLineTableView
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 55;
    static constexpr int kVisibleRows = 7;

    explicit NBHomeLineScrollView(QWidget *parent = nullptr);

    double index = 0;     // rows scrolled from the top
    int selectIndex = 0;  // the selected row
    std::function<void(NBHomeLineScrollType)> changeBlock;

    // One wheel step: up (> 0) scrolls a row down the list, down (< 0) back; 0 does not scroll.
    // Either way the selected row's place is reported.
    void scrollStep(int deltaY);
    void locateSelectedRow();

    // The next index after a step, or the same when the step is refused.
    static double nextIndex(double index, int deltaY, int documentHeight, int frameHeight);
    static NBHomeLineScrollType placeOf(int selectIndex, int firstVisibleRow);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_wheelRemainder = 0;
};

#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QHash>
#include <QList>

#include <functional>
#include <optional>

#include "vpn/OOHomeNodeModel.h"

class NBNewLineCell;

// The line table of the line popup and of the home screen: one column of line cells over a list
// of lines owned by the caller. Only the rows in view have cells; they are recycled as the list
// scrolls, so a list of thousands of lines opens and scrolls as fast as one of ten.
//
// A row is chosen by a click: press and release on the same row without dragging in between. The
// keyboard chooses nothing (arrow keys moving the choice would reconnect on every step).
class NBLineTableView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit NBLineTableView(QWidget *parent = nullptr);

    // Row 0 as the best-location cell (the popup) or as a plain cell (the home table).
    void setFirstRowIsBestLocation(bool best);
    void setRowHeights(int firstRow, int otherRows);
    void setBackgroundColour(const QColor &colour);

    // The rows; the list must outlive the table or be replaced before it goes.
    void setLines(const QList<OOHomeNodeModel> *lines);
    // Configures the rows in view again from the list (and reads the user's level once).
    void reloadData();

    // Asked on every click of a row: true when the row was chosen.
    std::function<bool(int row)> shouldSelectRow;
    // Handed to each cell as its clickBlock, with the row and the cell.
    std::function<void(int row, NBNewLineCell *cell)> cellClickBlock;

    int rowCount() const;
    int rowTop(int row) const;
    int rowHeight(int row) const;
    int rowAt(int y) const; // content coordinates; -1 outside the rows
    // The cell showing the row, or null when the row is out of view.
    NBNewLineCell *cellForRow(int row) const;
    QList<int> visibleRows() const;
    int contentHeight() const;

protected:
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateScrollRange();
    void layoutRows(bool reconfigure);
    NBNewLineCell *takeCell(int row);
    void releaseCell(int row);
    void configureCell(int row, NBNewLineCell *cell);

    const QList<OOHomeNodeModel> *m_lines = nullptr;
    bool m_bestFirst = true;
    int m_firstHeight = 84;
    int m_otherHeight = 56;
    std::optional<int> m_userLevel;
    QColor m_background;
    QHash<int, NBNewLineCell *> m_visible;
    QList<NBNewLineCell *> m_spareCells;
    NBNewLineCell *m_spareBest = nullptr;
    int m_pressRow = -1;
    QPoint m_pressPos;
    bool m_dragged = false;
};

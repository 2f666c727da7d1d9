#include "home/NBLineTableView.h"

#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include "home/BandedFill.h"
#include "home/LineCellLook.h"
#include "home/NBNewLineBestLocationCell.h"
#include "home/NBNewLineCell.h"

NBLineTableView::NBLineTableView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there (thin and dark), so a long list shown the first time lays out once, not twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 6px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 60); border-radius: 3px; min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    // The background is painted here in bands (see BandedFill).
    setBackgroundColour(QColor(42, 41, 44));
}

void NBLineTableView::setFirstRowIsBestLocation(bool best)
{
    m_bestFirst = best;
    layoutRows(true);
}

void NBLineTableView::setRowHeights(int firstRow, int otherRows)
{
    m_firstHeight = firstRow;
    m_otherHeight = otherRows;
    updateScrollRange();
    layoutRows(false);
}

void NBLineTableView::setBackgroundColour(const QColor &colour)
{
    m_background = colour;
    // An opaque background covers the viewport: Qt need not paint what lies beneath.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, colour.alpha() == 255);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    viewport()->setPalette(palette);
    viewport()->update();
}

void NBLineTableView::setLines(const QList<OOHomeNodeModel> *lines)
{
    m_lines = lines;
    reloadData();
}

void NBLineTableView::reloadData()
{
    // A database read: not for a table with no rows (the popup is built before its lines come).
    if (rowCount() > 0)
        m_userLevel = LineCellLook::currentUserLevel();
    // Rows may have gone: give every cell back and lay out afresh.
    const QList<int> rows = m_visible.keys();
    for (int row : rows)
        releaseCell(row);
    updateScrollRange();
    layoutRows(true);
}

int NBLineTableView::rowCount() const
{
    return m_lines ? int(m_lines->size()) : 0;
}

int NBLineTableView::rowHeight(int row) const
{
    return row == 0 ? m_firstHeight : m_otherHeight;
}

int NBLineTableView::rowTop(int row) const
{
    if (row <= 0)
        return 0;
    return m_firstHeight + (row - 1) * m_otherHeight;
}

int NBLineTableView::rowAt(int y) const
{
    const int count = rowCount();
    if (y < 0 || count == 0)
        return -1;
    if (y < m_firstHeight)
        return 0;
    const int row = 1 + (y - m_firstHeight) / qMax(1, m_otherHeight);
    return row < count ? row : -1;
}

int NBLineTableView::contentHeight() const
{
    const int count = rowCount();
    return count == 0 ? 0 : rowTop(count - 1) + rowHeight(count - 1);
}

NBNewLineCell *NBLineTableView::cellForRow(int row) const
{
    return m_visible.value(row, nullptr);
}

QList<int> NBLineTableView::visibleRows() const
{
    QList<int> rows = m_visible.keys();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void NBLineTableView::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(m_otherHeight);
    bar->setRange(0, qMax(0, contentHeight() - viewport()->height()));
}

void NBLineTableView::layoutRows(bool reconfigure)
{
    const int offset = verticalScrollBar()->value();
    const int first = rowAt(offset);
    // The row at the bottom edge, or the last row when the rows end above it.
    const int bottom = rowAt(offset + viewport()->height() - 1);
    const int lastRow = bottom < 0 ? rowCount() - 1 : bottom;
    // Cells of rows that left the view go back to the spares first, so they can be reused now.
    const QList<int> shown = m_visible.keys();
    for (int row : shown) {
        if (first < 0 || row < first || row > lastRow)
            releaseCell(row);
    }
    if (first < 0)
        return;
    const int width = viewport()->width();
    for (int row = first; row <= lastRow; ++row) {
        NBNewLineCell *cell = m_visible.value(row, nullptr);
        const bool fresh = cell == nullptr;
        if (fresh)
            cell = takeCell(row);
        if (fresh || reconfigure)
            configureCell(row, cell);
        cell->setGeometry(0, rowTop(row) - offset, width, rowHeight(row));
        cell->show();
    }
}

NBNewLineCell *NBLineTableView::takeCell(int row)
{
    NBNewLineCell *cell = nullptr;
    if (row == 0 && m_bestFirst) {
        cell = m_spareBest ? m_spareBest : new NBNewLineBestLocationCell(viewport());
        m_spareBest = nullptr;
    } else if (!m_spareCells.isEmpty()) {
        cell = m_spareCells.takeLast();
    } else {
        cell = new NBNewLineCell(viewport());
    }
    // Clicks belong to the table, which tells a click from a drag.
    cell->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_visible.insert(row, cell);
    return cell;
}

void NBLineTableView::releaseCell(int row)
{
    NBNewLineCell *cell = m_visible.take(row);
    if (!cell)
        return;
    cell->hide();
    cell->clickBlock = nullptr;
    if (qobject_cast<NBNewLineBestLocationCell *>(cell)) {
        if (m_spareBest)
            cell->deleteLater();
        else
            m_spareBest = cell;
        return;
    }
    m_spareCells.append(cell);
}

void NBLineTableView::configureCell(int row, NBNewLineCell *cell)
{
    if (!m_lines || row >= m_lines->size())
        return;
    cell->configure(m_lines->at(row), m_userLevel);
    cell->clickBlock = nullptr;
    if (cellClickBlock) {
        cell->clickBlock = [this, row, cell] {
            if (cellClickBlock)
                cellClickBlock(row, cell);
        };
    }
}

bool NBLineTableView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter painter(viewport());
        BandedFill::fill(painter, static_cast<QPaintEvent *>(event)->rect(), m_background);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_dragged = false;
        m_pressPos = mouse->position().toPoint();
        m_pressRow = mouse->button() == Qt::LeftButton
                         ? rowAt(m_pressPos.y() + verticalScrollBar()->value())
                         : -1;
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if ((mouse->buttons() & Qt::LeftButton)
            && (mouse->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            m_dragged = true;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int row = rowAt(mouse->position().toPoint().y() + verticalScrollBar()->value());
        const bool click = mouse->button() == Qt::LeftButton && !m_dragged && row >= 0 && row == m_pressRow;
        m_pressRow = -1;
        if (click && shouldSelectRow)
            shouldSelectRow(row);
        return true;
    }
    default:
        return QAbstractScrollArea::viewportEvent(event);
    }
}

void NBLineTableView::scrollContentsBy(int dx, int dy)
{
    // The pixels in view move by blitting, cells included; only the rows that come into view are
    // configured and drawn.
    viewport()->scroll(dx, dy);
    layoutRows(false);
}

void NBLineTableView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    layoutRows(false);
}

void NBLineTableView::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}

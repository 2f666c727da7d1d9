#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

#include "home/OOHomeItemListType.h"
#include "vpn/OOHomeNodeModel.h"

// Only the line page, which nothing in the client opens yet, creates this; it obeys the line order.
// The line page's rows without drawing: the lines filed into groups by the first part of their
// names, groups that open to show their child lines, the stored line marked, and the order by
// measured latency when the user chose it ("kLineOrderType" 1).
class NBLinesListModel
{
public:
    QList<OOHomeNodeModel> showList;          // the rows: lines, groups and open groups' children
    QMap<QString, QList<OOHomeNodeModel>> listMap;
    std::optional<int> selectIndex;           // the row of the stored line as found
    OOHomeItemListType selectItemType = OOHomeItemListType::all;

    // The line list reply (JSON text): the decoded lines in the order received, or nothing when
    // the reply is not an object with an array of records under "page_datas".
    static std::optional<QList<OOHomeNodeModel>> handleNodeList(const QString &text);
    // The name a line is listed under: the second "_" part, or the only part when there is one.
    static QString listedName(const QString &name);
    // The group key: the first "_" part of a name of several parts, else the empty key; nothing
    // for a name without any part.
    static std::optional<QString> groupKey(const QString &name);
    static bool isLatencyOrder();

    // Rebuilds the rows from `lines` (the reply's lines).
    void setLines(const QList<OOHomeNodeModel> &lines);
    void buildRows();
    std::optional<OOHomeNodeModel> cachedLine() const;
    QStringList headerItems() const { return listMap.keys(); }

    // The header's choice. Latencies stay those the service measured: this only orders again.
    void switchListType(bool isAll);
    // Opens or closes the group at `row` (its state flipped already by the cell's arrow).
    void toggleGroup(int row);
    // A click on a row: a group opens or closes, a line is marked chosen and returned.
    std::optional<OOHomeNodeModel> selectRow(int row);

private:
    void sortByLatency();
    int openChildrenAfter(int row) const;
};

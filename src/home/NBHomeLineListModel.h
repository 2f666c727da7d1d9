#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "vpn/OOHomeNodeModel.h"

// The line popup's decisions without drawing: which row is chosen, what a click on a row or a
// mode button stores under "kProxyLineInfo", and the flag addresses made absolute.
class NBHomeLineListModel
{
public:
    QList<OOHomeNodeModel> showList;
    // The popup switched the mode: the chosen row may then be chosen again.
    bool changeMode = false;

    // The row shown as chosen, if any.
    std::optional<int> selectIndex() const { return m_selectIndex; }
    const OOHomeNodeModel *selectLineMode() const;

    // "kProxyLineInfo" decoded; without a stored text the first row; with no rows nothing.
    std::optional<OOHomeNodeModel> cachedLine() const;

    // Marks the stored line's row as the only chosen one, makes relative flag addresses absolute
    // against `baseUrl`, and forgets a stored line that is not in a non-empty list. An empty list
    // (the lines not loaded yet, or a failed load) says nothing about the stored line, so it stays.
    void reloadLines(const QString &baseUrl);

    // A click on a row: the row to report when it was chosen (and stored), else nothing.
    std::optional<OOHomeNodeModel> selectRow(int row, bool dragged);
    // A press of a mode button (the mode already stored): the line to report, stored with the new
    // mode; nothing when there is no line at all.
    std::optional<OOHomeNodeModel> switchMode(int index);
    // The cells' click: the row becomes the chosen one.
    void markRow(int row);

    // True for a text that starts with a scheme and "://".
    static bool isAbsoluteAddress(const QString &text);
    // `base` and `path` joined with exactly one "/".
    static QString joinAddress(const QString &base, const QString &path);

private:
    void choose(int row);
    static void store(const OOHomeNodeModel &line);

    std::optional<int> m_selectIndex;
};

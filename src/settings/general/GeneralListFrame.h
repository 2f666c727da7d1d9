#pragma once

#include <QColor>
#include <QString>

class NBNavView;
class QScrollArea;
class QSize;
class QWidget;

// What the general settings and their pickers share: a 74-high title bar over a list that
// scrolls, its rows stacked from the top, all on the settings' dark blue. The widgets are the
// screen's children; this keeps them together and lays them out.
class GeneralListFrame
{
public:
    static constexpr int kNavHeight = 74;
    static QColor background() { return QColor(13, 25, 37); }

    // `tableName` names the list for its style sheet.
    GeneralListFrame(QWidget *screen, const QString &tableName);

    NBNavView *navView() const { return m_navView; }
    QScrollArea *scrollView() const { return m_scrollView; }
    QWidget *tableView() const { return m_tableView; }

    // Puts a row at that position, above the stretch that keeps the rows at the top.
    void insertRow(int position, QWidget *row);
    void layout(const QSize &size);

private:
    NBNavView *m_navView = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableView = nullptr;
};

#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <memory>

#include "uikit/NBAlertView.h"
#include "uikit/NBBaseViewController.h"
#include "settings/general/OOGeneralModel.h"

class GeneralListFrame;
class NBNavView;
class QScrollArea;

// The general settings: automatic connection and notifications (switches), line order and
// language (rows that open their pickers) and the reset of every general setting. The rows are
// built again from the stored settings on every appearance, so a change made in a picker or
// elsewhere shows the next time the screen comes up.
class NBGeneralViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBGeneralViewController(QWidget *parent = nullptr);
    ~NBGeneralViewController() override;

    // The row descriptions of the last build, and the rows decoded from them.
    QList<QJsonObject> rawData;
    QList<OOGeneralModel> datas;

    void viewDidLoad() override;
    void viewWillAppear() override;

    void buildRows();
    void restoreDefaults();
    void clearAllCache();

    int numberOfRows() const { return int(datas.size()); }
    int rowHeight(int row) const;
    // The row view at that position (switch, picker or reset row), or nothing.
    QWidget *rowView(int row) const { return m_rows.value(row); }
    // Does what the row's type asks for and answers no, so no row stays selected.
    bool shouldSelectRow(int row);
    void selectRow(int row);

    void switchAutoConnection(bool on);
    void switchNotification(bool on);

    NBNavView *navView() const { return m_navView; }
    QScrollArea *scrollView() const { return m_scrollView; }
    QWidget *tableView() const { return m_tableView; }
    // The reset or clear-cache question while it is up.
    NBAlertView *alertView() const { return m_alert; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void reloadData();
    QWidget *makeRowView(int row);
    void layoutViews();
    void presentPicker(std::unique_ptr<NBBaseViewController> picker);
    void showResetAlert();
    void showClearCacheAlert();

    std::unique_ptr<GeneralListFrame> m_frame;
    NBNavView *m_navView = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableView = nullptr;
    QList<QWidget *> m_rows;
    QPointer<NBAlertView> m_alert;
};

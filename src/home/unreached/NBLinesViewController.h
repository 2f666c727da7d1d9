#pragma once

#include <QPointer>

#include <functional>

#include "uikit/NBBaseViewController.h"
#include "home/unreached/NBLinesListModel.h"
#include "home/unreached/OOSelectLineType.h"

class NBLinesHeaderView;
class NBNavView;
class QScrollArea;
class QVBoxLayout;

// The line page: the lines filed into groups, groups that open to show their lines, a header of
// group buttons, and the order by measured latency when the user chose it. It loads the lines
// each time it appears and hands the chosen line to didSelectBlock. No screen opens it today; an
// owner sets presentVC and didSelectBlock and presents it.
class NBLinesViewController : public NBBaseViewController
{
    Q_OBJECT

public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 667;
    static constexpr int kRowHeight = 50;

    explicit NBLinesViewController(QWidget *parent = nullptr);

    QPointer<NBBaseViewController> presentVC;
    std::function<void(const OOSelectLineType &)> didSelectBlock;

    NBLinesListModel &model() { return m_model; }
    NBNavView *navView() const { return m_navView; }
    NBLinesHeaderView *headerView() const { return m_headerView; }
    QScrollArea *scrollView() const { return m_scrollView; }
    QWidget *rowAt(int row) const;
    bool headerShown() const;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The line list reply: rows rebuilt, or nothing changed for a failed or malformed reply.
    void handleNodeList(const std::optional<QString> &text, bool failed);
    // Shows `lines` as the reply's lines (the gallery, tests).
    void setLines(const QList<OOHomeNodeModel> &lines);
    void switchListType(bool isAll);
    // Answers yes at once; the choice takes effect a moment later, while the page exists.
    bool selectRow(int row);
    void dismissAction();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reloadTable();
    void layoutTable();

    NBLinesListModel m_model;
    NBNavView *m_navView = nullptr;
    NBLinesHeaderView *m_headerView = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableView = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QList<QWidget *> m_rowWidgets;
};

#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <optional>

#include "common/LatestAnswer.h"
#include "uikit/NBBaseViewController.h"
#include "networking/NBFeedbackListModel.h"
#include "settings/NBMessageDefaultViewProtocol.h"
#include "settings/feedback/NBFeedbackListToolViewProtocol.h"

class NBContactViewController;
class NBFeedbackDetailViewController;
class NBFeedbackItem;
class NBFeedbackListToolView;
class OOLoadingView;
class QPushButton;
class QScrollArea;

// The feedback screen: the user's feedbacks on the left and, on the right, either the chosen
// one's conversation or the form for a new one. The two panes are made once and swapped.
class NBFeedbackListViewController : public NBBaseViewController,
                                     public NBMessageDefaultViewProtocol,
                                     public NBFeedbackListToolViewProtocol
{
    Q_OBJECT

public:
    explicit NBFeedbackListViewController(QWidget *parent = nullptr);

    int page = 1;
    QList<NBFeedbackListModel> datas;
    std::optional<NBFeedbackListModel> selectModel;

    // Off for pictures made from fake data: the list then comes only through handleList.
    bool requestsOnLoad = true;

    void requestFeedbackList();
    // A list reply ("data"."page_datas") to the request numbered `request` (0: one made from
    // fake data, taken as the newest). Anything malformed changes nothing, and neither does a
    // late reply to an earlier request than the one whose list is shown.
    void handleList(const std::optional<QJsonObject> &reply, quint64 request = 0);
    // The answer to a click on a row: false when the row is the one shown already.
    bool selectFeedback(int row);
    void showFeedbackForm();
    void showEmptyState();
    void removeEmptyState();

    void defaultViewDidConfirm() override { showFeedbackForm(); }
    void toolViewDidConfirm() override { showFeedbackForm(); }

    NBFeedbackDetailViewController *detailVC();
    NBContactViewController *feedbackVc();
    NBFeedbackListToolView *toolView() const { return m_toolView; }
    QPushButton *backBtn() const { return m_backBtn; }
    QList<NBFeedbackItem *> rows() const { return m_rows; }
    bool isLoading() const { return !m_loading.isNull(); }

protected:
    void viewDidLoad() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setupViews();
    void showSelectedFeedback();
    void reloadData();
    void detach(NBBaseViewController *pane);
    QRect listFrame() const;

    QPushButton *m_backBtn = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableview = nullptr;
    QList<NBFeedbackItem *> m_rows;
    NBFeedbackListToolView *m_toolView = nullptr;
    QPointer<NBFeedbackDetailViewController> m_detailVC;
    QPointer<NBContactViewController> m_feedbackVc;
    QPointer<OOLoadingView> m_loading;
    // Answers can overtake one another: a late one to an earlier request would put back the list
    // from before, without the feedback just sent.
    LatestAnswer m_lists;
};

#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <optional>

#include "uikit/NBBaseViewController.h"
#include "networking/NBMessageListModel.h"

class NBMessageDefaultView;
class NBMessageDetailViewController;
class NBMessageItem;
class QPushButton;
class QScrollArea;

// The message centre ("消息中心"), presented over the screen that opens it: the user's messages on
// the left, the chosen one on the right. Choosing an unread message marks it read on the
// service; once the service has the mark, "kRefreshMessageData" is posted so the unread dots
// count again.
class NBMessageViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBMessageViewController(QWidget *parent = nullptr);

    int page = 1;
    QList<NBMessageListModel> datas;
    std::optional<NBMessageListModel> selectModel;

    // Off for pictures made from fake data: the list then comes only through handleMessages.
    bool requestsOnLoad = true;

    void requestMessages();
    // A list reply; one without a "data" array changes nothing. Records that do not decode are
    // left out.
    void handleMessages(const std::optional<QJsonObject> &reply);
    // The answer to a click on a row: false when the row cannot be chosen (no id, or the
    // message shown already).
    bool selectMessage(int row);
    void showEmptyState();
    void removeEmptyState();
    // Rebuilds the rows from `datas` (new rows; the selected one by `selectModel`).
    void reloadData();
    // Puts the pane at the right (x 363) on the first choice; it stays for later ones.
    void attachDetail();

    NBMessageDetailViewController *detailVC();
    QPushButton *backBtn() const { return m_backBtn; }
    QList<NBMessageItem *> rows() const { return m_rows; }
    NBMessageDefaultView *emptyState() const;

Q_SIGNALS:
    // The service answered a read mark (stored or not); the dots have been asked to count again
    // when it was stored.
    void readMarkAnswered(qint64 messageId, bool stored);

protected:
    void viewDidLoad() override;
    void viewWillAppear() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setupViews();
    void showSelectedMessage();
    bool isShown(const NBMessageListModel &record) const;
    int shownRow() const;
    void refreshRow(int row);
    void sendReadMark(qint64 messageId);

    QPushButton *m_backBtn = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableview = nullptr;
    QList<NBMessageItem *> m_rows;
    QPointer<NBMessageDetailViewController> m_detailVC;
};

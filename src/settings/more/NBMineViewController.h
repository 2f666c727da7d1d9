#pragma once

#include <QJsonObject>
#include <QList>

#include <optional>

#include "common/LatestAnswer.h"
#include "uikit/NBBaseViewController.h"
#include "settings/more/NBAdViewProtocol.h"
#include "settings/more/NBInfoViewProtocol.h"
#include "settings/more/NBMineModel.h"

class NBMineHeaderView;
class NBMineItemView;
class NBMineSwitchItemView;
class QScrollArea;

// The more page: the account header with its banner and nine rows that open the message
// centre, the web pages, the download page, feedback and about, plus the kill-switch and TUN
// switches. Every appearance refreshes the account, the unread dots and the banner.
//
// Rows are found by their type, never by their place in the list, and both switches are set
// from the stored values on every appearance, so a TUN change made elsewhere shows here too.
class NBMineViewController : public NBBaseViewController, public NBAdViewProtocol, public NBInfoViewProtocol
{
    Q_OBJECT
public:
    // Row types, as the row definitions carry them.
    enum RowType : qint64 {
        messageRow = 0, discoverRow = 1, inviteRow = 2, freeRow = 3, killSwitchRow = 4,
        retrieveRow = 5, feedbackRow = 6, aboutRow = 7, tunRow = 8,
    };
    static const QString kNewMessageText;  // "您有一个新的消息"

    explicit NBMineViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;

    // The nine row definitions with the stored switch positions.
    static QList<QJsonObject> itemDefinitions();

    void openItem(NBMineItemView *row);
    void requestAccountInfo();
    void requestUnreadMessages();
    void requestAdvertisements();
    // The answers to the requests above, numbered by the request they answer (0: one made
    // elsewhere, taken as the newest). A late answer to an earlier request than the one whose
    // answer is shown changes nothing: it would put back an old account, red dot or banner.
    void handleAccountInfo(const std::optional<QJsonObject> &data, bool failed, quint64 request = 0);
    void handleUnreadMessages(const std::optional<QJsonObject> &response, quint64 request = 0);
    void handleAdvertisements(const std::optional<QJsonObject> &response, quint64 request = 0);
    void killSwitchChanged(bool on);
    void tunSwitchChanged(bool on);

    void handleAdClick(const HHAdModel &model) override;
    void handleInfoClick() override;

    const QList<NBMineItemView *> &items() const { return m_items; }
    const QList<NBMineModel> &models() const { return m_models; }
    NBMineItemView *itemOfType(qint64 type) const;
    NBMineHeaderView *headerView() const { return m_headerView; }
    QWidget *contentView() const { return m_contentView; }
    QScrollArea *scrollView() const { return m_scrollView; }

    // The screen a row type opens, by the name the screen factory knows it under; empty for the
    // switch rows.
    static QString screenNameForType(qint64 type);

private:
    void setupItems();
    void readSwitches();
    void setRowDot(qint64 type, bool dot);
    NBBaseViewController *presentByName(const QString &name);
    void switchSplit(bool toUpgrade);

    QList<NBMineItemView *> m_items;
    QList<NBMineModel> m_models;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_contentView = nullptr;
    NBMineHeaderView *m_headerView = nullptr;
    LatestAnswer m_accounts;
    LatestAnswer m_unreadCounts;
    LatestAnswer m_banners;
};

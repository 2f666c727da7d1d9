#pragma once

#include <QJsonObject>
#include <QPointer>

#include <functional>
#include <optional>

#include "app/NBLeftMenuType.h"
#include "app/NBLeftSideView.h"
#include "app/NBTunStateView.h"
#include "common/LatestAnswer.h"
#include "uikit/NBBaseViewController.h"

class QLabel;

// The left menu of the main window: the icon, the rows home, membership and account (with the
// unread dot), the TUN indicator and the version label. Selecting another row highlights it and
// tells the split view through selectBlock; other screens move the highlight with selectItem
// before they switch the content themselves.
class NBLeftSideViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    static constexpr int kWidth = 72;

    using SelectBlock = std::function<void(NBLeftMenuType)>;
    using Tracker = std::function<void(const QString &event)>;
    // Asks for the unread counts; the completion gets the reply body or nothing.
    using UnreadRequester = std::function<void(std::function<void(std::optional<QJsonObject>)>)>;

    explicit NBLeftSideViewController(QWidget *parent = nullptr);
    ~NBLeftSideViewController() override;

    void viewDidLoad() override;

    SelectBlock selectBlock;

    // Moves the highlight; nothing when the row is highlighted already.
    void selectItem(NBLeftSideView *item);
    // No row highlighted, for a page that no row stands for; the next row chosen switches to its
    // page, home included.
    void clearHighlight();
    NBLeftMenuType menuType(const NBLeftSideView *item) const;

    NBLeftSideView *homeItem();
    NBLeftSideView *accountItem();
    NBLeftSideView *upgradeItem();
    // Built on demand; the menu does not place them (their pages stay reachable by switchContent).
    NBLeftSideView *contactUsItem();
    NBLeftSideView *aboutItem();
    NBTunStateView *tunItem();
    QLabel *versionLabel() const { return m_versionLabel; }
    NBLeftSideView *preButton() const { return m_preButton; }

    void homeActioon();
    void selectHomeAction() { homeActioon(); }
    void accountAction();
    void upgradeAction();
    void cantactAction();
    void aboutAction();
    // Paints home as selected without moving the highlight.
    void homeNewAction();

    void requestUnreadMessage();
    // Whether the unread dot shows for a reply: nothing when the reply does not say (then the
    // dot stays as it is).
    static std::optional<bool> unreadDotVisible(const std::optional<QJsonObject> &reply);
    // The unread counts' answer to the request numbered `request` (0: one made elsewhere, taken
    // as the newest). A late answer to an earlier request than the one whose counts are shown
    // changes nothing: it would bring back a dot the user has read away.
    void applyUnreadReply(const std::optional<QJsonObject> &reply, quint64 request = 0);
    void refreshTunState();

    void setTracker(Tracker tracker) { m_tracker = std::move(tracker); }
    void setUnreadRequester(UnreadRequester requester) { m_unreadRequester = std::move(requester); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildView();
    void layoutRows();
    void observeNotifications();
    NBLeftSideView *makeRow(const QString &title, const QString &image, const QColor &normal, const QColor &selected,
                            void (NBLeftSideViewController::*action)());

    QLabel *m_iconImageView = nullptr;
    QPointer<NBLeftSideView> m_homeItem;
    QPointer<NBLeftSideView> m_accountItem;
    QPointer<NBLeftSideView> m_upgradeItem;
    QPointer<NBLeftSideView> m_contactUsItem;
    QPointer<NBLeftSideView> m_aboutItem;
    QPointer<NBTunStateView> m_tunItem;
    QLabel *m_versionLabel = nullptr;
    QPointer<NBLeftSideView> m_preButton;
    Tracker m_tracker;
    UnreadRequester m_unreadRequester;
    LatestAnswer m_unreadCounts;
};

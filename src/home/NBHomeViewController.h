#pragma once

#include <QList>
#include <QPointer>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

#include "uikit/NBBaseViewController.h"
#include "home/NBHomeLineListViewDelegate.h"
#include "home/NBNewHomeContentViewProtocol.h"
#include "home/NoticeChain.h"
#include "networking/NetError.h"
#include "vpn/HomeConnectView.h"
#include "vpn/OOHomeNodeModel.h"

class HomeAppearanceChain;
class HomeConnectController;
class HomeUpgradeCheck;
class NBHomeLineListView;
class NBNewHomeContentView;
class NBSelectLineView;
class NBTimeScheduView;
class Notification;

// The home screen: the connect area with the line selector under it. It draws what the connect
// roads (HomeConnectController) ask for and forwards clicks to them; each appearance asks the
// service for the lines, the account and the notices (HomeAppearanceChain); the engine's
// commands raise the kill-switch look. Everything it observes is bound to its own lifetime.
class NBHomeViewController : public NBBaseViewController,
                             public HomeConnectView,
                             public NBNewHomeContentViewProtocol,
                             public NBHomeLineListViewDelegate
{
    Q_OBJECT
public:
    static constexpr double kKillSwitchAlertIntervalSeconds = 180.0;

    explicit NBHomeViewController(QWidget *parent = nullptr);
    ~NBHomeViewController() override;

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;

    HomeConnectController *connectController() const { return m_connectController; }
    HomeAppearanceChain *appearanceChain() const { return m_appearanceChain; }
    NoticeChain *noticeChain() const { return m_noticeChain; }
    NBNewHomeContentView *homeBackView() const { return m_homeBackView; }
    NBSelectLineView *selectView() const { return m_selectView; }
    // The line popup while it is open.
    NBHomeLineListView *lineListView() const;
    // The connected-time clock: kept hidden and in no window; the stop road resets it.
    NBTimeScheduView *timeScheduView() const { return m_timeScheduView.get(); }
    const QList<OOHomeNodeModel> &showList() const { return m_showList; }
    HomeUpgradeCheck *upgradeCheck() const { return m_upgradeCheck; }

    // The line list's answer: "page_datas" as lines, names cut to their region part. False when
    // the answer held no lines to take (a failure or a malformed list): nothing changed.
    bool handleNodeList(const std::optional<QString> &text, const std::optional<NetError> &error);
    static QString displayName(const QString &serverName);
    void showLineList();
    void lineDidChange(const OOHomeNodeModel &line) override;
    void handleJumpAction(const QString &action);
    // The earlier connect area's line change: the loading look.
    void changeLine();

    // "ServerCMD" and the alert it may raise.
    void serverCommandReceived(const QVariantMap &userInfo);
    void killSwitchAlert();
    // Seconds of a monotonic clock for the alert's throttle; tests replace it.
    void setMonotonicSeconds(std::function<double()> clock) { m_monotonicSeconds = std::move(clock); }
    // How notice pages are shown; the default lays the popup web view over the window.
    void setNoticePresenter(NoticeChain::Presenter presenter);

    // NBNewHomeContentViewProtocol
    void startConnect() override;
    void stopConnect() override;
    void stopProxy(bool toast, std::function<void()> completion) override;

    // HomeConnectView
    void showLoading() override;
    void showPausing() override;
    void showRunning() override;
    void showStopped() override;
    void showKillSwitch() override;
    void showErrorToast(const QString &text) override;
    void showSuccessToast(const QString &text) override;
    void openUpgradePage() override;
    void presentFreePage() override;
    void updateConnectedTime(bool running) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupViews();
    void addObservers();
    void updateSelector(const std::optional<OOHomeNodeModel> &line);
    // Shows the line the next connect uses, in the current mode (at start, for a first line
    // list with nothing stored, and when the road puts the connected line back after a refusal).
    void chosenLineChanged();
    void switchSplitContent(int menuType);
    void presentByName(const QString &name);

    HomeConnectController *m_connectController = nullptr;
    NoticeChain *m_noticeChain = nullptr;
    HomeAppearanceChain *m_appearanceChain = nullptr;
    HomeUpgradeCheck *m_upgradeCheck = nullptr;
    NBNewHomeContentView *m_homeBackView = nullptr;
    NBSelectLineView *m_selectView = nullptr;
    QPointer<NBHomeLineListView> m_lineListView;
    std::unique_ptr<NBTimeScheduView> m_timeScheduView;
    QList<OOHomeNodeModel> m_showList;
    std::optional<double> m_lastAlert;
    std::function<double()> m_monotonicSeconds;
};

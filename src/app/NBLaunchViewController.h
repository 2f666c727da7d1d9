#pragma once

#include <QPointer>

#include <functional>

#include "uikit/NBBaseViewController.h"

#include "app/OONoNetworkPopupView.h"
#include "uikit/OOLoadingView.h"
#include "networking/OOReachability.h"

// A waiting screen for the moment before the program can reach its service: the no-network
// popup while there is no network; once there is, a loading cover and a search for a working
// API host. Nothing in the start-up shows it; it is kept for a caller that needs it, and says
// when a search has ended (hostFound) so that such a caller can move on.
class NBLaunchViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBLaunchViewController(QWidget *parent = nullptr);
    ~NBLaunchViewController() override;

    void viewDidLoad() override;

    // A reachability report: true when the network is not reachable.
    void onReachability(bool notReachable);
    void showNoNetwork(const QString &text);

    OOLoadingView *hud() const { return m_hud; }
    OONoNetworkPopupView *noNetworkView() const { return m_noNetworkView; }

    // Starts a polling round unless one runs; true when it did. Tests count rounds here.
    void setPollingStarter(std::function<bool(std::function<void()> done)> starter) { m_pollingStarter = std::move(starter); }

Q_SIGNALS:
    // The host search this screen started has ended.
    void hostFound();

private:
    void startReachability();
    void reachabilityReport(OOReachability::Status status);

    QPointer<OOLoadingView> m_hud;
    QPointer<OONoNetworkPopupView> m_noNetworkView;
    std::function<bool(std::function<void()> done)> m_pollingStarter;
};

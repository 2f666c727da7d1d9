#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "networking/NetworkUiHooks.h"

class AccountAlertPresenter;

// The application's answer to what the network layer needs shown: the no-network hint and the
// account alerts. The no-network hint is the no-network popup over the window in use; the
// account alerts are the application's own alert, one at a time, after the reply has completed.
class AppUiHooks : public NetworkUiHooks
{
public:
    explicit AppUiHooks(std::function<void()> signOut);
    ~AppUiHooks() override;

    void setWindow(QWidget *window) { m_window = window; }

    void showNetworkHint(const QString &text) override;
    void showAccountException(AccountExceptionKind kind) override;
    void onAccountExceptionAcknowledged() override;
    void showPollingFailure() override;

    AccountAlertPresenter *accountAlerts() const { return m_accountAlerts.get(); }

private:
    std::unique_ptr<AccountAlertPresenter> m_accountAlerts;
    QPointer<QWidget> m_window;
    std::function<void()> m_signOut;
};

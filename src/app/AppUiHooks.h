#pragma once

#include <QPointer>
#include <QWidget>

#include "networking/NetworkUiHooks.h"

// The application's answer to what the network layer needs shown: the no-network hint and the
// account alerts. The no-network hint is the no-network popup over the window in use.
class AppUiHooks : public NetworkUiHooks
{
public:
    explicit AppUiHooks(std::function<void()> signOut);

    void setWindow(QWidget *window) { m_window = window; }

    void showNetworkHint(const QString &text) override;
    void showAccountException(AccountExceptionKind kind) override;
    void onAccountExceptionAcknowledged() override;
    void showPollingFailure() override;

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_signOut;
};

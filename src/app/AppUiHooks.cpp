#include "app/AppUiHooks.h"

#include "app/AccountAlertPresenter.h"
#include "app/OONoNetworkPopupView.h"
#include "common/Localization.h"

AppUiHooks::AppUiHooks(std::function<void()> signOut)
    : m_accountAlerts(std::make_unique<AccountAlertPresenter>())
    , m_signOut(std::move(signOut))
{
}

AppUiHooks::~AppUiHooks() = default;

void AppUiHooks::showNetworkHint(const QString &text)
{
    // One popup at a time (the popup keeps that itself): a burst of failed requests shows the
    // first failure's text once.
    OONoNetworkPopupView::showNoNetwork(text);
}

void AppUiHooks::showAccountException(AccountExceptionKind kind)
{
    m_accountAlerts->enqueue(kind);
}

void AppUiHooks::onAccountExceptionAcknowledged()
{
    if (m_signOut)
        m_signOut();
}

void AppUiHooks::showPollingFailure()
{
    showNetworkHint(localizedByAppLanguage(QStringLiteral("NET_SOMETHING_WRONG_TIP")));
}

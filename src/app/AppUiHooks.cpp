#include "app/AppUiHooks.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/OONoNetworkPopupView.h"
#include "common/Localization.h"
#include "networking/OONetWork.h"

AppUiHooks::AppUiHooks(std::function<void()> signOut)
    : m_signOut(std::move(signOut))
{
}

void AppUiHooks::showNetworkHint(const QString &text)
{
    // One popup at a time (the popup keeps that itself): a burst of failed requests shows the
    // first failure's text once.
    OONoNetworkPopupView::showNoNetwork(text);
}

void AppUiHooks::showAccountException(AccountExceptionKind kind)
{
    QMessageBox box(m_window);
    box.setIcon(QMessageBox::Warning);
    if (kind == AccountExceptionKind::DeviceLimit) {
        box.setText(localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TITLE")));
        box.setInformativeText(localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TIP")));
        box.addButton(QMessageBox::Ok);
        box.exec();
        return;
    }
    box.setText(localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TITLE")));
    box.setInformativeText(localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TIP")));
    box.addButton(localizedByAppLanguage(QStringLiteral("GOT_IT")), QMessageBox::AcceptRole);
    box.exec();
    OONetWork::shared().accountExceptionGotIt();
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

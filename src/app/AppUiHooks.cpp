#include "app/AppUiHooks.h"

#include <QMessageBox>
#include <QPushButton>

#include "common/Localization.h"
#include "networking/OONetWork.h"

AppUiHooks::AppUiHooks(std::function<void()> signOut)
    : m_signOut(std::move(signOut))
{
}

void AppUiHooks::showNetworkHint(const QString &text)
{
    // One hint at a time: a burst of failed requests must not stack popups.
    if (m_networkHintShown)
        return;
    m_networkHintShown = true;
    QMessageBox::warning(m_window, localizedByAppLanguage(QStringLiteral("NO_NET_TITLE")), text);
    m_networkHintShown = false;
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

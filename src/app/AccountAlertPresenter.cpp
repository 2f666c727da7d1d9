#include "app/AccountAlertPresenter.h"

#include <QLabel>
#include <QTimer>

#include "common/Localization.h"
#include "networking/OONetWork.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/RoundedPanel.h"

AccountAlertPresenter::AccountAlertPresenter(QObject *parent)
    : QObject(parent)
{
}

void AccountAlertPresenter::enqueue(Kind kind)
{
    if ((m_shown && m_shownKind == kind) || m_waiting.contains(kind))
        return;
    m_waiting.append(kind);
    scheduleNext();
}

void AccountAlertPresenter::scheduleNext()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    // Queued: the reply being handled finishes before anything is put on the screen.
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        showNext();
    });
}

void AccountAlertPresenter::showNext()
{
    if (m_shown || m_waiting.isEmpty())
        return;
    const Kind kind = m_waiting.takeFirst();
    auto answered = std::make_shared<bool>(false);
    NBAlertView *alert = NBBaseView::show(makeAlert(kind, answered));
    if (!alert) {
        // No window to lay it over (start-up or shutdown): the alert goes unseen. The account
        // exception is still acted on, since the service has already signed the user out.
        if (kind == Kind::AccountException)
            OONetWork::shared().accountExceptionGotIt();
        scheduleNext();
        return;
    }
    // Shown, it belongs to the content it lies over.
    m_shown = alert;
    m_shownKind = kind;
    connect(m_shown, &QObject::destroyed, this, [this, kind, answered] { onAlertGone(kind, *answered); });
}

std::unique_ptr<NBAlertView> AccountAlertPresenter::makeAlert(Kind kind, const std::shared_ptr<bool> &answered)
{
    auto alert = std::make_unique<NBAlertView>();
    alert->contentView()->setCornerRadius(8);
    alert->cancleButton()->hide();
    if (kind == Kind::DeviceLimit) {
        alert->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TITLE")));
        alert->tipsLabel()->setText(localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TIP")));
        alert->confirmBlock = [answered] { *answered = true; };
        return alert;
    }
    alert->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TITLE")));
    alert->tipsLabel()->setText(localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TIP")));
    alert->confirmButton()->setText(localizedByAppLanguage(QStringLiteral("GOT_IT")));
    alert->confirmBlock = [answered] {
        *answered = true;
        OONetWork::shared().accountExceptionGotIt();
    };
    return alert;
}

void AccountAlertPresenter::onAlertGone(Kind kind, bool answered)
{
    if (kind == Kind::AccountException && !answered && !m_waiting.contains(kind))
        m_waiting.prepend(kind);
    scheduleNext();
}

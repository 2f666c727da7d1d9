#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>

#include "networking/NetworkUiHooks.h"
#include "uikit/NBAlertView.h"

// Shows the request layer's account warnings (account exception, device limit) as the
// application's own alert over the window in use, one at a time and never inside the reply that
// asked for it: the reply's completion runs first, the alert follows from the event loop. A
// warning of a kind already shown or waiting is not queued again, so a burst of refused replies
// leaves one alert, not a stack.
//
// Pressing the account-exception alert's button acknowledges it (the proxy stops, the user is
// signed out). An account-exception alert that goes away unanswered, with the content it sat
// on, is shown again over the new content: the account stays refused until the user has seen it.
class AccountAlertPresenter : public QObject
{
    Q_OBJECT
public:
    using Kind = NetworkUiHooks::AccountExceptionKind;

    explicit AccountAlertPresenter(QObject *parent = nullptr);

    void enqueue(Kind kind);

    int waitingCount() const { return int(m_waiting.size()); }

private:
    void scheduleNext();
    void showNext();
    static std::unique_ptr<NBAlertView> makeAlert(Kind kind, const std::shared_ptr<bool> &answered);
    void onAlertGone(Kind kind, bool answered);

    QList<Kind> m_waiting;
    QPointer<NBAlertView> m_shown;
    Kind m_shownKind = Kind::AccountException;
    bool m_scheduled = false;
};

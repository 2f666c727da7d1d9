#include "helper/RestoreRetry.h"

#include "helper/HelperLog.h"
#include "helper/ProxyConfigService.h"

#include <QDebug>

RestoreRetry::RestoreRetry(ProxyConfigService &service, int intervalMs, int mostTries, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_mostTries(mostTries)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RestoreRetry::tryAgain);
    service.setRestorePendingHandler([this](const QString &reason) { start(reason); });
}

void RestoreRetry::start(const QString &reason)
{
    if (m_timer.isActive())
        return;
    m_tries = 0;
    qCWarning(lcHelper).noquote() << reason + QStringLiteral("; trying again every %1 s, up to %2 times")
                                                  .arg(m_timer.interval() / 1000.0)
                                                  .arg(m_mostTries);
    m_timer.start();
}

void RestoreRetry::tryAgain()
{
    // An enable took over, or a client named the settings to keep: nothing waits any more.
    if (!m_service.restorePending()) {
        m_timer.stop();
        return;
    }
    ++m_tries;
    const QString error = m_service.retryRestore();
    if (!m_service.restorePending()) {
        m_timer.stop();
        if (!error.isEmpty())
            qCWarning(lcHelper).noquote() << "the restore that did not land stopped waiting:" << error;
        return;
    }
    if (m_tries < m_mostTries)
        return;
    m_timer.stop();
    qCWarning(lcHelper).noquote() << "the restore still does not land (" + error
                                         + "); its record waits for the next start or request";
}

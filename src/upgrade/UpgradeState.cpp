#include "upgrade/UpgradeState.h"

#include <QTimer>

#include <memory>

UpgradeState::UpgradeState(QObject *parent)
    : QObject(parent)
{
}

void UpgradeState::setPhase(Phase phase)
{
    m_phase = phase;
    Q_EMIT changed();
}

void UpgradeState::downloadStarted(const QString &url)
{
    m_url = url;
    m_startedAt = QDateTime::currentDateTimeUtc();
    m_progress = DownloadProgress{};
    m_failure.clear();
    setPhase(Phase::Downloading);
}

void UpgradeState::downloadProgressed(const DownloadProgress &progress)
{
    if (m_phase != Phase::Downloading)
        return;
    m_progress = progress;
    Q_EMIT changed();
}

void UpgradeState::downloadFinished()
{
    if (m_progress.total <= 0)
        m_progress.total = m_progress.received;
    setPhase(Phase::Ready);
}

void UpgradeState::installStarted()
{
    m_failure.clear();
    setPhase(Phase::Installing);
}

void UpgradeState::installed()
{
    setPhase(Phase::Idle);
}

void UpgradeState::downloadFailed(const QString &reason)
{
    failed(QStringLiteral("下载失败，请稍后重试") + (reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason)));
}

void UpgradeState::failed(const QString &message)
{
    m_failure = message.isEmpty() ? QStringLiteral("更新失败，请稍后重试") : message;
    setPhase(Phase::Failed);
}

void UpgradeState::installSkipped()
{
    if (m_phase == Phase::Installing)
        setPhase(Phase::Ready);
}

void UpgradeState::whenDownloadReady(QObject *context, std::function<void()> then)
{
    if (!then)
        return;
    whenDownloadEnds(context, [then](bool ready) {
        if (ready)
            then();
    });
}

void UpgradeState::whenDownloadEnds(QObject *context, std::function<void(bool ready)> then)
{
    if (m_phase != Phase::Downloading || !context || !then)
        return;
    auto watch = std::make_shared<QMetaObject::Connection>();
    *watch = connect(this, &UpgradeState::changed, context, [this, watch, context, then] {
        if (m_phase == Phase::Downloading)
            return;
        QObject::disconnect(*watch);
        const bool ready = m_phase == Phase::Ready;
        QTimer::singleShot(0, context, [then, ready] { then(ready); });
    });
}

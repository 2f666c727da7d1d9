#include "upgrade/UpgradeWindowModel.h"

#include <QUrl>

#include <charconv>
#include <memory>

#include "common/Logger.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/UpgradeState.h"
#include "vpn/HLLPACUtilWrapper.h"

UpgradeWindowModel::UpgradeWindowModel(QObject *parent)
    : QObject(parent)
    // The desktop proxy goes back to the user's settings, the connection stays: an upgrade that
    // goes nowhere puts the proxy back as it was.
    , m_stopProxy([] { HLLPACUtilWrapper::suspendSystemProxy({}); })
    , m_restoreProxy([] { HLLPACUtilWrapper::resumeSystemProxy({}); })
{
}

MupleUpgradeManager *UpgradeWindowModel::manager() const
{
    return m_manager ? m_manager.data() : &MupleUpgradeManager::shared();
}

QString UpgradeWindowModel::formatPercent(double fraction)
{
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, fraction * 100.0);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) && !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text + QLatin1Char('%');
}

void UpgradeWindowModel::startDownload(QObject *relaunchTarget)
{
    if (m_started)
        return;
    m_started = true;
    m_relaunchTarget = relaunchTarget;
    MupleUpgradeManager *upgrades = manager();
    if (upgrades->state().phase() == UpgradeState::Phase::Installing) {
        // Another road's install runs: downloading now would replace the package it installs.
        m_failureText = QStringLiteral("正在安装，请稍候");
        Q_EMIT changed();
        return;
    }
    // Not awaited: an unreachable helper must not keep the upgrade from going ahead.
    if (m_stopProxy)
        m_stopProxy();
    // Held by each ending rather than by the window: a window closed meanwhile still gets the
    // desktop proxy back when no install or relaunch follows.
    const std::function<void()> restore = m_restoreProxy;
    const QUrl url(downloadUrl.value_or(QString()), QUrl::StrictMode);
    if (!MupleUpgradeManager::isInstallerUrl(url)) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("upgrade window: the installer address is not one to download from"));
        if (restore)
            restore();
        Q_EMIT changed();
        return;
    }
    // A download already running (a silent one, a dialog's) is followed rather than refused.
    upgrades->downloadInstaller(url);
    UpgradeState &state = upgrades->state();
    connect(&state, &UpgradeState::changed, this, &UpgradeWindowModel::applyState);
    restoreIfDownloadFails(state, restore);
    // Held by the manager rather than by the window: a window closed meanwhile does not stop the
    // install, only the relaunch.
    QPointer<MupleUpgradeManager> manager(upgrades);
    state.whenDownloadReady(upgrades, [manager, target = m_relaunchTarget, restore] {
        install(manager, target, restore);
    });
    // Followed while it runs: what it has reached so far, without waiting for its next report.
    applyState();
}

void UpgradeWindowModel::restoreIfDownloadFails(UpgradeState &state, std::function<void()> restore)
{
    // Watched from the state, which outlives the window; once the download has ended either way.
    auto watch = std::make_shared<QMetaObject::Connection>();
    *watch = connect(&state, &UpgradeState::changed, &state, [&state, watch, restore] {
        const UpgradeState::Phase phase = state.phase();
        if (phase == UpgradeState::Phase::Downloading)
            return;
        QObject::disconnect(*watch);
        if (phase == UpgradeState::Phase::Failed && restore)
            restore();
    });
}

void UpgradeWindowModel::applyState()
{
    const UpgradeState &state = manager()->state();
    const DownloadProgress progress = state.progress();
    // The ring comes with the first report; once the download is complete it reads "0.0%" again.
    if (state.phase() == UpgradeState::Phase::Downloading && (progress.received > 0 || progress.total >= 0))
        show(progress);
    else if (state.phase() == UpgradeState::Phase::Ready)
        show(std::nullopt);
    const bool installing = state.phase() == UpgradeState::Phase::Installing;
    if (state.phase() == UpgradeState::Phase::Failed)
        m_failureText = state.failure();   // the last percentage stays
    else if (installing)
        m_failureText.clear();
    m_installing = installing;
    Q_EMIT changed();
}

void UpgradeWindowModel::install(QPointer<MupleUpgradeManager> upgrades, QPointer<QObject> relaunchTarget,
                                 std::function<void()> restore)
{
    if (!upgrades)
        return;
    // A failed install and a success with no relaunch put the proxy back in the install step; a
    // missing script runs no install step at all.
    upgrades->install(relaunchTarget, [restore](const UpgradeInstallRunner::Result &result) {
        if (result.outcome == UpgradeInstallRunner::Outcome::ScriptMissing && restore)
            restore();
    });
}

void UpgradeWindowModel::show(const std::optional<DownloadProgress> &progress)
{
    const double fraction = progress ? progress->fraction() : 0.0;
    m_ringVisible = true;
    m_percentText = formatPercent(fraction);
    m_ringProgress = fraction;
    Q_EMIT changed();
}

#include "upgrade/UpgradeWindowModel.h"

#include <QUrl>

#include <charconv>

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
    const QUrl url(downloadUrl.value_or(QString()), QUrl::StrictMode);
    if (!MupleUpgradeManager::isInstallerUrl(url)) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("upgrade window: the installer address is not one to download from"));
        if (m_restoreProxy)
            m_restoreProxy();
        Q_EMIT changed();
        return;
    }
    QPointer<UpgradeWindowModel> self(this);
    // A download already running (a silent one, a dialog's) is followed rather than refused.
    upgrades->downloadInstaller(
        url,
        [self](const DownloadProgress &progress) {
            if (self)
                self->show(progress);
        },
        [self, upgrades = QPointer<MupleUpgradeManager>(upgrades), target = m_relaunchTarget](qint64) {
            // A window closed meanwhile does not stop the install, only the relaunch.
            install(upgrades, target, self);
            if (self)
                self->show(std::nullopt);
        },
        [self](const NetError &error) {
            // The last percentage stays; the window says why it stopped.
            OSTREL_LOG(Logger::Warning, QStringLiteral("upgrade window download failed (%1)").arg(error.code));
            if (!self)
                return;
            if (self->m_restoreProxy)
                self->m_restoreProxy();
            self->m_failureText = QStringLiteral("下载失败，请稍后重试");
            Q_EMIT self->changed();
        });
}

void UpgradeWindowModel::install(QPointer<MupleUpgradeManager> upgrades, QPointer<QObject> relaunchTarget,
                                 QPointer<UpgradeWindowModel> self)
{
    if (!upgrades)
        return;
    if (self) {
        self->m_installing = true;
        Q_EMIT self->changed();
    }
    upgrades->install(relaunchTarget, [self](const UpgradeInstallRunner::Result &result) {
        if (!self)
            return;
        self->m_installing = false;
        if (!result.ok() && result.outcome != UpgradeInstallRunner::Outcome::ScriptMissing)
            self->m_failureText = result.message;
        Q_EMIT self->changed();
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

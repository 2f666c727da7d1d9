#include "upgrade/NBMutipUpgradeModel.h"

#include <QPointer>

#include <algorithm>

#include "uikit/UiTiming.h"
#include "upgrade/UpgradeState.h"

NBMutipUpgradeModel::NBMutipUpgradeModel(QObject *parent)
    : QObject(parent)
{
}

QDateTime NBMutipUpgradeModel::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
}

void NBMutipUpgradeModel::applyConfig()
{
    if (!config)
        return;
    if (config->update_title)
        m_look.titleText = *config->update_title;
    if (config->update_content)
        m_look.notesText = *config->update_content;
    if (config->version)
        m_look.tipsText = QStringLiteral("找到最新的版本：") + *config->version;
    Q_EMIT changed();
}

QString NBMutipUpgradeModel::speedLine(qint64 megabytes, double speed)
{
    return QStringLiteral("正在下载安装包 ") + QString::number(megabytes) + QStringLiteral("M - ")
        + QString::asprintf("%.2f", speed) + QStringLiteral("M/s");
}

void NBMutipUpgradeModel::updateProgress(const std::optional<DownloadProgress> &progress)
{
    // An install running owns the dialog's look until it ends.
    if (!progress || !downloadStartTime || m_removed || m_installing)
        return;
    const double elapsed = double(downloadStartTime->msecsTo(now())) / 1000.0;
    // Whole megabytes, and the speed from them, as the line writes them.
    const qint64 megabytes = progress->received / 1048576;
    bytesDownloaded = elapsed > 0.0 ? double(megabytes) / elapsed : 0.0;
    const double fraction = progress->fraction();

    m_look.progressValue = fraction;
    m_look.downloadRateText = QString::asprintf("%.2f", fraction * 100.0) + QLatin1Char('%');
    // No line before the first whole megabyte: "0M - 0.00M/s" would say the download stands still.
    const bool measured = elapsed > 0.0 && megabytes >= 1;
    m_look.indicatorSpeedText = measured ? speedLine(megabytes, bytesDownloaded) : QString();
    m_look.busy = fraction < 1.0;
    m_look.cancelVisible = false;
    m_look.closeVisible = false;
    m_look.failureShown = false;
    if (fraction < 1.0) {
        m_look.phase = Phase::Downloading;
        m_look.confirmEnabled = false;
        attrButedTitle = QStringLiteral("正在下载请稍后");
        m_look.progressVisible = true;
        m_look.warnVisible = false;
    } else {
        m_look.phase = Phase::Install;
        m_look.confirmEnabled = true;
        attrButedTitle = QStringLiteral("准备就绪，请安装");
        m_look.progressVisible = false;
        m_look.warnVisible = true;
        m_look.warnText = QStringLiteral("安装过程中请勿退出应用，以免发生错误");
        m_confirmInstalls = true;
    }
    m_look.confirmTitle = *attrButedTitle;
    Q_EMIT changed();
}

void NBMutipUpgradeModel::relayoutAfterDelay()
{
    // The dialog is kept until then by its parent; a removed one needs no layout.
    QPointer<NBMutipUpgradeModel> self(this);
    UiTiming::singleShot(500, this, [self] {
        if (self)
            self->applyReadyToInstallLayout();
    });
}

void NBMutipUpgradeModel::applyReadyToInstallLayout()
{
    if (m_removed)
        return;
    m_look.phase = Phase::ReadyToInstall;
    m_look.cancelVisible = false;
    m_look.warnVisible = true;
    m_look.warnText = QStringLiteral("更新过程中请勿退出应用，以免发生错误");
    Q_EMIT changed();
}

void NBMutipUpgradeModel::showFailure(const QString &text)
{
    if (m_removed)
        return;
    m_look.phase = Phase::Offer;
    m_confirmInstalls = false;
    m_installing = false;
    m_following = false;
    m_look.busy = false;
    m_look.closeVisible = true;
    m_look.cancelVisible = true;
    m_look.progressVisible = false;
    m_look.confirmEnabled = true;
    m_look.confirmTitle = QStringLiteral("立即更新");
    attrButedTitle.reset();
    m_look.warnVisible = true;
    m_look.failureShown = true;
    m_look.warnText = text;
    Q_EMIT changed();
}

void NBMutipUpgradeModel::follow(UpgradeState *state)
{
    if (m_state)
        disconnect(m_state, nullptr, this, nullptr);
    m_state = state;
    if (!state)
        return;
    connect(state, &UpgradeState::changed, this, &NBMutipUpgradeModel::applyState);
    applyState();
}

void NBMutipUpgradeModel::applyState()
{
    if (m_removed || !m_state)
        return;
    switch (m_state->phase()) {
    case UpgradeState::Phase::Idle:
        return;
    case UpgradeState::Phase::Downloading:
        if (downloadStartTime && m_look.phase != Phase::Install)
            updateProgress(m_state->progress());
        else if (m_following && !m_look.busy)
            showBusy(QStringLiteral("正在下载请稍后"));   // a dialog that shows no progress (state 4)
        return;
    case UpgradeState::Phase::Ready:
        // Without a size from the server no report says "complete": the end of the transfer does.
        if (downloadStartTime && m_look.phase != Phase::Install) {
            const qint64 size = std::max<qint64>(m_state->progress().received, 1);
            updateProgress(DownloadProgress{size, size});
        }
        return;
    case UpgradeState::Phase::Installing:
        showInstalling();
        return;
    case UpgradeState::Phase::Failed:
        // Only a dialog that waited for the download or the install has something to take back.
        if (m_following || m_installing || m_look.phase == Phase::Downloading)
            showFailure(m_state->failure());
        return;
    }
}

void NBMutipUpgradeModel::showBusy(const QString &title)
{
    m_look.busy = true;
    m_look.confirmEnabled = false;
    m_look.confirmTitle = title;
    Q_EMIT changed();
}

void NBMutipUpgradeModel::showInstalling()
{
    m_installing = true;
    m_look.busy = true;
    m_look.confirmEnabled = false;
    m_look.confirmTitle = QStringLiteral("正在安装请稍后");
    m_look.progressVisible = false;
    m_look.failureShown = false;
    m_look.warnVisible = true;
    m_look.warnText = QStringLiteral("安装过程中请勿退出应用，以免发生错误");
    Q_EMIT changed();
}

void NBMutipUpgradeModel::remove()
{
    if (m_removed)
        return;
    m_removed = true;
    Q_EMIT removeRequested();
}

void NBMutipUpgradeModel::cancelAction()
{
    if (m_removed)
        return;
    if (cancelBlock)
        cancelBlock();
    remove();
}

void NBMutipUpgradeModel::closeAction()
{
    if (m_removed)
        return;
    if (closeBlock)
        closeBlock();
    remove();
}

void NBMutipUpgradeModel::installAction()
{
    if (m_removed)
        return;
    if (installBlock)
        installBlock();
    remove();
}

void NBMutipUpgradeModel::confirmAction()
{
    if (m_removed)
        return;
    // From here the dialog waits for what its confirm started, and shows how that goes.
    m_following = true;
    if (confirmBlock)
        confirmBlock();
}

void NBMutipUpgradeModel::confirmPressed()
{
    if (!m_look.confirmEnabled)
        return;
    if (m_confirmInstalls)
        installAction();
    else
        confirmAction();
}

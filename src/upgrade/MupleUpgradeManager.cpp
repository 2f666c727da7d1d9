#include "upgrade/MupleUpgradeManager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonObject>

#include <memory>

#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBMutipUpgradeView.h"
#include "upgrade/UpgradeLog.h"

namespace {

MupleUpgradeManager::Presenter &presenterSlot()
{
    static MupleUpgradeManager::Presenter presenter;
    return presenter;
}

void printLog(const QString &text)
{
    qCDebug(lcUpgrade).noquote() << text;
}

} // namespace

MupleUpgradeManager &MupleUpgradeManager::shared()
{
    static MupleUpgradeManager *instance = new MupleUpgradeManager(qApp);
    return *instance;
}

MupleUpgradeManager::MupleUpgradeManager(QObject *parent)
    : QObject(parent)
    , m_downloader([](const QString &url, OONetWork::DownloadHandler handler) {
        OONetWork::shared().download(url, std::move(handler));
    })
{
    setInstallRunner(&UpgradeInstallRunner::shared());
    // The dialog is gone when an install fails: the failure is said over the window.
    connect(this, &MupleUpgradeManager::installFailed, this, &NBMutipUpgradeView::showInstallFailure);
}

MupleUpgradeManager::Presenter MupleUpgradeManager::defaultPresenter()
{
    return presenterSlot();
}

void MupleUpgradeManager::setDefaultPresenter(Presenter presenter)
{
    presenterSlot() = std::move(presenter);
}

void MupleUpgradeManager::setInstallRunner(UpgradeInstallRunner *runner)
{
    disconnect(m_runnerFailure);
    m_runner = runner;
    if (runner)
        m_runnerFailure = connect(runner, &UpgradeInstallRunner::installFailed, this, &MupleUpgradeManager::installFailed);
}

std::optional<QUrl> MupleUpgradeManager::installerUrl(const std::optional<upgradeSetting> &setting)
{
    if (!setting || !setting->update_url || setting->update_url->isEmpty())
        return std::nullopt;
    const QUrl url(*setting->update_url, QUrl::StrictMode);
    if (!isInstallerUrl(url))
        return std::nullopt;
    return url;
}

bool MupleUpgradeManager::isInstallerUrl(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() && OONetWork::isAllowedUrl(url);
}

NBMutipUpgradeModel *MupleUpgradeManager::makeDialog(const upgradeSetting &setting)
{
    auto *dialog = new NBMutipUpgradeModel();
    dialog->config = setting;
    dialog->applyConfig();
    auto closed = [] { NotificationCenter::defaultCenter().post(NotificationNames::updateCloseTaped); };
    dialog->closeBlock = closed;
    dialog->cancelBlock = closed;
    return dialog;
}

bool MupleUpgradeManager::present(NBMutipUpgradeModel *dialog)
{
    Presenter presenter = m_presenter ? m_presenter : presenterSlot();
    if (!presenter)
        presenter = &NBMutipUpgradeView::present;
    if (presenter && presenter(dialog))
        return true;
    delete dialog;   // no window to show it in: as if it had been shown and left alone
    return false;
}

void MupleUpgradeManager::showUpgrade()
{
    m_closeWillFollow = false;
    if (!settings)
        return;
    const upgradeSetting setting = *settings;
    const qint64 state = setting.update_state;
    if (state == 1 || state == 2) {
        NBMutipUpgradeModel *dialog = makeDialog(setting);
        QPointer<NBMutipUpgradeModel> weakDialog(dialog);
        QPointer<MupleUpgradeManager> self(this);
        dialog->confirmBlock = [self, weakDialog] {
            if (self)
                self->progressDownload(weakDialog);
        };
        dialog->installBlock = [self] {
            if (self)
                self->installDownloadedPackage();
        };
        m_closeWillFollow = present(dialog);
        return;
    }
    if (state == 4) {
        NBMutipUpgradeModel *dialog = makeDialog(setting);
        QPointer<NBMutipUpgradeModel> weakDialog(dialog);
        QPointer<MupleUpgradeManager> self(this);
        dialog->confirmBlock = [self, weakDialog] {
            if (self)
                self->downloadAndInstall(weakDialog);
        };
        m_closeWillFollow = present(dialog);
        return;
    }
    if (state == 3) {
        silentDownload();
        return;
    }
    m_closeWillFollow = true;
    NotificationCenter::defaultCenter().post(NotificationNames::updateCloseTaped);
}

bool MupleUpgradeManager::handleUpdateReply(const QJsonObject &reply)
{
    const QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    qCDebug(lcUpgrade).noquote() << "检查更新 " << data;
    const QJsonValue value = data.value(QStringLiteral("settings"));
    if (!value.isObject())
        return false;
    settings = upgradeSetting::fromJson(value.toObject());
    showUpgrade();
    return true;
}

bool MupleUpgradeManager::startDownload(Progress onProgress, Finished onFinished, Failed onFailed)
{
    const std::optional<QUrl> url = installerUrl(settings);
    if (!url)
        return false;
    return downloadInstaller(*url, std::move(onProgress), std::move(onFinished), std::move(onFailed));
}

bool MupleUpgradeManager::downloadInstaller(const QUrl &url, Progress onProgress, Finished onFinished, Failed onFailed)
{
    if (!isInstallerUrl(url))
        return false;
    if (m_downloading) {
        qCDebug(lcUpgrade) << "upgrade: a download is already running; this one is not started";
        return false;
    }
    m_downloading = true;
    QPointer<MupleUpgradeManager> self(this);
    auto received = std::make_shared<qint64>(0);
    m_downloader(url.toString(), [self, received, onProgress, onFinished, onFailed](
                     std::optional<DownloadProgress> progress, bool finished, std::optional<NetError> error) {
        if (!self)
            return;
        if (error) {
            self->m_downloading = false;
            OSTREL_LOG(Logger::Warning, QStringLiteral("upgrade download failed (%1): %2").arg(error->code).arg(error->message));
            Q_EMIT self->downloadFailed(error->message);
            if (onFailed)
                onFailed(*error);
            return;
        }
        if (progress) {
            *received = progress->received;
            if (onProgress)
                onProgress(*progress);
            return;
        }
        if (finished) {
            self->m_downloading = false;
            if (onFinished)
                onFinished(*received);
        }
    });
    return true;
}

void MupleUpgradeManager::progressDownload(QPointer<NBMutipUpgradeModel> dialog)
{
    if (m_downloading)
        return;   // the dialog that started it keeps showing it; the speed keeps its start
    if (dialog)
        dialog->downloadStartTime = dialog->now();
    startDownload(
        [dialog](const DownloadProgress &progress) {
            if (dialog)
                dialog->updateProgress(progress);
        },
        [dialog](qint64 receivedBytes) {
            // Without a size from the server no report says "complete": the end of the transfer does.
            if (dialog && dialog->look().phase != NBMutipUpgradeModel::Phase::Install) {
                const qint64 size = std::max<qint64>(receivedBytes, 1);
                dialog->updateProgress(DownloadProgress{size, size});
            }
        },
        [dialog](const NetError &error) {
            if (dialog)
                dialog->downloadFailed(error.message);
        });
}

void MupleUpgradeManager::downloadAndInstall(QPointer<NBMutipUpgradeModel> dialog)
{
    QPointer<MupleUpgradeManager> self(this);
    startDownload({},
        [self](qint64) {
            if (self)
                self->installDownloadedPackage();
        },
        [dialog](const NetError &error) {
            if (dialog)
                dialog->downloadFailed(error.message);
        });
}

void MupleUpgradeManager::silentDownload()
{
    QPointer<MupleUpgradeManager> self(this);
    startDownload({},
        [self](qint64) {
            // The offer as it stands now: the home screen builds its install dialog from it.
            const QVariantMap userInfo = self && self->settings ? self->settings->toDictionary() : QVariantMap();
            NotificationCenter::defaultCenter().post(NotificationNames::preUpgradeDownloadSucceed, userInfo);
        },
        {});
}

void MupleUpgradeManager::presentReadyToInstall(const QVariantMap &updateConfig)
{
    auto *dialog = new NBMutipUpgradeModel();
    auto closed = [] { NotificationCenter::defaultCenter().post(NotificationNames::updateCloseTaped); };
    dialog->closeBlock = closed;
    dialog->cancelBlock = closed;
    dialog->relayoutAfterDelay();
    dialog->config = upgradeSetting::fromDictionary(updateConfig).value_or(upgradeSetting{});
    dialog->applyConfig();
    QPointer<MupleUpgradeManager> self(this);
    dialog->confirmBlock = [self] {
        if (self)
            self->installDownloadedPackage();
    };
    present(dialog);
}

void MupleUpgradeManager::installDownloadedPackage()
{
    if (!m_runner)
        return;
    const std::optional<QString> script = m_runner->scriptPath();
    if (!script)
        return;
    runInstallScript(script, printLog, this);
}

void MupleUpgradeManager::runInstallScript(const std::optional<QString> &scriptPath, UpgradeInstallRunner::Log log,
                                           QPointer<QObject> relaunchTarget)
{
    if (m_runner)
        m_runner->runInstallScript(scriptPath, std::move(log), relaunchTarget);
}

void MupleUpgradeManager::relaunch()
{
    if (m_runner)
        m_runner->relaunch();
}

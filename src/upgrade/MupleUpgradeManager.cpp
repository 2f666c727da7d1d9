#include "upgrade/MupleUpgradeManager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonObject>
#include <QTimer>

#include <memory>
#include <utility>

#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBMutipUpgradeView.h"
#include "upgrade/UpgradeLog.h"

namespace {

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
    m_state = new UpgradeState(this);
    setInstallRunner(&UpgradeInstallRunner::shared());
    connect(m_state, &UpgradeState::changed, this, &MupleUpgradeManager::stateChanged);
    connect(this, &MupleUpgradeManager::notice, this, &NBMutipUpgradeView::toastOverWindow);
}

void MupleUpgradeManager::setInstallRunner(UpgradeInstallRunner *runner)
{
    disconnect(m_runnerFailure);
    m_runner = runner;
    if (!runner)
        return;
    m_runnerFailure = connect(runner, &UpgradeInstallRunner::installFailed, this, [this](const QString &message) {
        m_state->failed(message);
    });
}

void MupleUpgradeManager::stateChanged()
{
    const UpgradeState::Phase previous = std::exchange(m_lastPhase, m_state->phase());
    // The dialog that asked for an install may be gone when it fails: that failure is said over
    // the window too. A failed download is said by the screens that wait for it.
    if (m_lastPhase == UpgradeState::Phase::Failed && previous != UpgradeState::Phase::Downloading)
        NBMutipUpgradeView::toastOverWindow(m_state->failure());
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

std::unique_ptr<NBMutipUpgradeModel> MupleUpgradeManager::makeDialog(const upgradeSetting &setting)
{
    auto dialog = std::make_unique<NBMutipUpgradeModel>();
    dialog->config = setting;
    dialog->applyConfig();
    auto closed = [] { NotificationCenter::defaultCenter().post(NotificationNames::updateCloseTaped); };
    dialog->closeBlock = closed;
    dialog->cancelBlock = closed;
    dialog->follow(m_state);
    return dialog;
}

bool MupleUpgradeManager::present(std::unique_ptr<NBMutipUpgradeModel> dialog)
{
    // No window to show it in: the dialog goes, as if it had been shown and left alone.
    if (m_presenter)
        return m_presenter(std::move(dialog));
    return NBMutipUpgradeView::present(std::move(dialog)) != nullptr;
}

void MupleUpgradeManager::showUpgrade()
{
    m_closeWillFollow = false;
    if (!settings)
        return;
    const upgradeSetting setting = *settings;
    const qint64 state = setting.update_state;
    if (state == 1 || state == 2) {
        std::unique_ptr<NBMutipUpgradeModel> dialog = makeDialog(setting);
        QPointer<NBMutipUpgradeModel> weakDialog(dialog.get());
        QPointer<MupleUpgradeManager> self(this);
        dialog->confirmBlock = [self, weakDialog] {
            if (self)
                self->progressDownload(weakDialog);
        };
        dialog->installBlock = [self] {
            if (self)
                self->installDownloadedPackage();
        };
        m_closeWillFollow = present(std::move(dialog));
        return;
    }
    if (state == 4) {
        std::unique_ptr<NBMutipUpgradeModel> dialog = makeDialog(setting);
        QPointer<MupleUpgradeManager> self(this);
        dialog->confirmBlock = [self] {
            if (self)
                self->downloadAndInstall();
        };
        m_closeWillFollow = present(std::move(dialog));
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

bool MupleUpgradeManager::startDownload()
{
    const std::optional<QUrl> url = installerUrl(settings);
    if (!url)
        return false;
    return downloadInstaller(*url);
}

bool MupleUpgradeManager::downloadInstaller(const QUrl &url)
{
    if (!isInstallerUrl(url))
        return false;
    if (m_downloading) {
        // Every road writes the same installer file: the one running serves this caller too.
        if (url.toString() != m_state->url())
            OSTREL_LOG(Logger::Info, QStringLiteral("upgrade: following the installer download already running"));
        return true;
    }
    m_downloading = true;
    m_state->downloadStarted(url.toString());
    QPointer<MupleUpgradeManager> self(this);
    m_downloader(url.toString(), [self](std::optional<DownloadProgress> progress, bool finished, std::optional<NetError> error) {
        if (self)
            self->downloadEvent(progress, finished, error);
    });
    return true;
}

void MupleUpgradeManager::downloadEvent(std::optional<DownloadProgress> progress, bool finished,
                                        std::optional<NetError> error)
{
    if (!m_downloading)
        return;
    if (error) {
        m_downloading = false;
        OSTREL_LOG(Logger::Warning, QStringLiteral("upgrade download failed (%1): %2").arg(error->code).arg(error->message));
        m_state->downloadFailed(error->message);
        return;
    }
    if (progress) {
        m_state->downloadProgressed(*progress);
        return;
    }
    if (!finished)
        return;
    m_downloading = false;
    m_state->downloadFinished();
}

void MupleUpgradeManager::progressDownload(QPointer<NBMutipUpgradeModel> dialog)
{
    // A dialog joining a download already running measures the speed from that download's start.
    if (dialog)
        dialog->downloadStartTime = m_downloading ? m_state->downloadStartedAt() : dialog->now();
    const bool joined = m_downloading;
    startDownload();
    // Joined: what the running download has reached so far, without waiting for its next report.
    if (joined && dialog)
        dialog->applyState();
}

void MupleUpgradeManager::downloadAndInstall()
{
    if (!startDownload())
        return;
    QPointer<MupleUpgradeManager> self(this);
    m_state->whenDownloadReady(this, [self] {
        if (self)
            self->installDownloadedPackage();
    });
}

void MupleUpgradeManager::silentDownload()
{
    if (!startDownload())
        return;
    QPointer<MupleUpgradeManager> self(this);
    m_state->whenDownloadReady(this, [self] {
        // The offer as it stands now: the home screen builds its install dialog from it.
        const QVariantMap userInfo = self && self->settings ? self->settings->toDictionary() : QVariantMap();
        NotificationCenter::defaultCenter().post(NotificationNames::preUpgradeDownloadSucceed, userInfo);
    });
}

void MupleUpgradeManager::presentReadyToInstall(const QVariantMap &updateConfig)
{
    auto dialog = std::make_unique<NBMutipUpgradeModel>();
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
    dialog->follow(m_state);
    present(std::move(dialog));
}

void MupleUpgradeManager::installDownloadedPackage()
{
    install(this);
}

void MupleUpgradeManager::install(QPointer<QObject> relaunchTarget, UpgradeInstallRunner::Done done)
{
    // Whoever waits hears once, from the event loop, whatever happens.
    auto answer = [this, done](UpgradeInstallRunner::Outcome outcome, const QString &message) {
        if (done)
            QTimer::singleShot(0, this, [done, outcome, message] { done(UpgradeInstallRunner::Result{outcome, 0, {}, message}); });
    };
    const std::optional<QString> script = m_runner ? m_runner->scriptPath() : std::nullopt;
    if (!script) {
        answer(UpgradeInstallRunner::Outcome::ScriptMissing, QStringLiteral("路径不存在！"));
        return;
    }
    if (m_runner->isRunning() || m_state->phase() == UpgradeState::Phase::Installing) {
        Q_EMIT notice(QStringLiteral("正在安装，请稍候"));
        answer(UpgradeInstallRunner::Outcome::Busy, QStringLiteral("正在安装，请稍候"));
        return;
    }
    if (m_downloading) {
        // The installer is being written again: what is on disk now is about to be replaced, and
        // the road that started the download installs what it brings. One install, of the new
        // package, once it is complete; every road follows it through the state.
        OSTREL_LOG(Logger::Info, QStringLiteral("upgrade: the install waits for the installer download running"));
        QPointer<MupleUpgradeManager> self(this);
        m_state->whenDownloadEnds(this, [self, relaunchTarget, done](bool ready) {
            if (!self)
                return;
            if (ready) {
                self->install(relaunchTarget, done);
                return;
            }
            if (done)
                done(UpgradeInstallRunner::Result{UpgradeInstallRunner::Outcome::Failed, 0, {}, self->m_state->failure()});
        });
        return;
    }
    m_state->installStarted();
    QPointer<MupleUpgradeManager> self(this);
    m_runner->runInstallScript(script, printLog, relaunchTarget, [self, done](const UpgradeInstallRunner::Result &result) {
        if (self) {
            // A failure reached the state through the runner's signal already.
            if (result.ok())
                self->m_state->installed();
            else if (result.outcome == UpgradeInstallRunner::Outcome::ScriptMissing)
                self->m_state->installSkipped();
        }
        if (done)
            done(result);
    });
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

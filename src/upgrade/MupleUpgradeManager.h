#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

#include "networking/OONetWork.h"
#include "upgrade/UpgradeInstallRunner.h"
#include "upgrade/UpgradeState.h"
#include "upgrade/upgradeSetting.h"

class NBMutipUpgradeModel;

// The one upgrade manager of the process. The home screen stores the server's offer in
// `settings` and calls `showUpgrade`, which turns it into nothing, a dialog that downloads with
// progress and then offers the install, the same dialog installing as soon as the download is
// done, or a silent download announced by "preUpgradeDownloadSucceed".
//
// One download runs at a time: every road writes the same installer file, so a road that asks
// while one runs follows the running one instead of starting another. Where things stand (idle,
// downloading, ready, installing, failed) is `state()`, which every dialog, the upgrade window
// and the banner follow: it is the one channel of download and install events to screens.
class MupleUpgradeManager : public QObject
{
    Q_OBJECT
public:
    // Shows a new dialog over the window in use; false when there is none (the dialog is gone then).
    using Presenter = std::function<bool(std::unique_ptr<NBMutipUpgradeModel> dialog)>;
    using Downloader = std::function<void(const QString &url, OONetWork::DownloadHandler handler)>;

    static MupleUpgradeManager &shared();
    explicit MupleUpgradeManager(QObject *parent = nullptr);

    std::optional<upgradeSetting> settings;
    // Kept for the record; the dialog measures the speed from its own start time.
    std::optional<QDateTime> downloadStartTime;

    void showUpgrade();
    // The home screen's update check answered: the reply's "data"."settings" decoded into
    // `settings` (empty when it does not decode), then `showUpgrade`. False, and nothing done,
    // when the reply carries no "settings" object (the home screen refreshes the account then).
    bool handleUpdateReply(const QJsonObject &reply);
    // Whether the last `showUpgrade` leaves an "updateCloseTaped" to come: a dialog is up (its
    // close posts it) or the state posted it already. An undecodable offer, a silent download and
    // a dialog with no window to show it in post nothing, so whoever waits must not.
    bool closeWillFollow() const { return m_closeWillFollow; }

    // The home screen's ready-to-install dialog (its banner's click): a new dialog from the
    // notification's user info, turning to its install look half a second later; "立即更新"
    // installs the package already downloaded.
    void presentReadyToInstall(const QVariantMap &updateConfig);

    // The install of the downloaded package with the bundle's script; nothing without one.
    void installDownloadedPackage();
    // The install of both roads, with the state kept: installing, then failed or done. Nothing
    // when the bundle has no script; a second install while one runs is refused with a notice.
    // Asked for while a download runs, it waits for that download and installs what it brings
    // (the road that started it installs too: the later one is then refused as a second install);
    // a failed download answers it with the failure.
    void install(QPointer<QObject> relaunchTarget, UpgradeInstallRunner::Done done = {});
    void runInstallScript(const std::optional<QString> &scriptPath, UpgradeInstallRunner::Log log,
                          QPointer<QObject> relaunchTarget);
    void relaunch();

    bool isDownloading() const { return m_downloading; }
    UpgradeState &state() const { return *m_state; }

    // The one installer download of the process, for both roads. While one runs, a caller follows
    // that one. False when the address is not one to download from. Its progress, its end and its
    // failure reach callers through `state()` alone.
    bool downloadInstaller(const QUrl &url);
    static bool isInstallerUrl(const QUrl &url);

    // The installer address of an offer: nothing when absent, not a URL, or not one the client
    // may download from (https; plain http only on loopback).
    static std::optional<QUrl> installerUrl(const std::optional<upgradeSetting> &setting);

    // Seams: where dialogs go, how the installer is fetched, which runner installs.
    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }
    void setDownloader(Downloader downloader) { m_downloader = std::move(downloader); }
    void setInstallRunner(UpgradeInstallRunner *runner);

Q_SIGNALS:
    // Something the user should read that is no failure ("an install is running").
    void notice(const QString &message);

private:
    void stateChanged();
    std::unique_ptr<NBMutipUpgradeModel> makeDialog(const upgradeSetting &setting);
    bool present(std::unique_ptr<NBMutipUpgradeModel> dialog);
    void progressDownload(QPointer<NBMutipUpgradeModel> dialog);
    void downloadAndInstall();
    void silentDownload();
    // The download of the offer's installer; false when the offer has no usable address.
    bool startDownload();

    void downloadEvent(std::optional<DownloadProgress> progress, bool finished, std::optional<NetError> error);

    Presenter m_presenter;
    UpgradeState *m_state = nullptr;
    Downloader m_downloader;
    QPointer<UpgradeInstallRunner> m_runner;
    QMetaObject::Connection m_runnerFailure;
    bool m_downloading = false;
    bool m_closeWillFollow = false;
    UpgradeState::Phase m_lastPhase = UpgradeState::Phase::Idle;
};

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

#include "networking/DownloadProgress.h"

// Where the self-upgrade stands, for the whole process: every dialog, the upgrade window and the
// home banner read this one state, so that whichever road started a download or an install, the
// others show it and do not start a second one. It is their one channel of events: screens read
// `progress()` and `failure()` when it changes, and a step that waits for the installer (an install,
// the banner's announcement) follows the `Ready` phase.
class UpgradeState : public QObject
{
    Q_OBJECT
public:
    enum class Phase {
        Idle,          // nothing running, nothing downloaded in this run
        Downloading,   // `progress()` holds the last report
        Ready,         // the installer is complete on disk
        Installing,    // the install script runs (the administrator password may be asked for)
        Failed,        // the last download or install failed; `failure()` says why
    };

    explicit UpgradeState(QObject *parent = nullptr);

    Phase phase() const { return m_phase; }
    DownloadProgress progress() const { return m_progress; }
    QString failure() const { return m_failure; }
    // The installer address of the download running or done; empty when idle.
    QString url() const { return m_url; }
    // When the running (or last) download started; the speed is measured from it.
    QDateTime downloadStartedAt() const { return m_startedAt; }

    void downloadStarted(const QString &url);
    void downloadProgressed(const DownloadProgress &progress);
    void downloadFinished();
    void installStarted();
    // The install succeeded; the relaunch follows (or was skipped: the window that asked is gone).
    void installed();
    // A failed download, in the one text every screen shows: "下载失败，请稍后重试（<reason>）".
    void downloadFailed(const QString &reason);
    // A failed install (or any failure with its whole text); an empty message keeps the generic one.
    void failed(const QString &message);
    // An install that ended without being run (the script was missing): the installer is still there.
    void installSkipped();

    // Runs `then` once the download running now has completed, from the event loop, so that every
    // screen has shown the complete download before the step begins. Nothing when no download runs,
    // when it fails, or once `context` is gone.
    void whenDownloadReady(QObject *context, std::function<void()> then);
    // As whenDownloadReady, but `then` hears a failed download too (`ready` false), once.
    void whenDownloadEnds(QObject *context, std::function<void(bool ready)> then);

Q_SIGNALS:
    void changed();

private:
    void setPhase(Phase phase);

    Phase m_phase = Phase::Idle;
    DownloadProgress m_progress;
    QString m_failure;
    QString m_url;
    QDateTime m_startedAt;
};

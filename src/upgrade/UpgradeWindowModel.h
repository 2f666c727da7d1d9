#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include "networking/DownloadProgress.h"
#include "upgrade/MupleUpgradeManager.h"


// What the upgrade progress window (`NBUpgradeController`, the web popup's road) does, without
// drawing: one press turns the desktop proxy off, downloads the installer with a percentage and
// installs as soon as the download is complete. While another road's download runs, the press
// follows that one. What the download and the install come to is read from the one
// `UpgradeState`; a failure is said in `failureText`. Every ending puts the desktop proxy back
// unless the program relaunches, also once the window is gone. The window shows `percentText`
// and `ringProgress`.
class UpgradeWindowModel : public QObject
{
    Q_OBJECT
public:
    explicit UpgradeWindowModel(QObject *parent = nullptr);

    std::optional<QString> downloadUrl;
    std::optional<QString> version;

    bool started() const { return m_started; }
    bool ringVisible() const { return m_ringVisible; }
    double ringProgress() const { return m_ringProgress; }
    QString percentText() const { return m_percentText; }
    QString failureText() const { return m_failureText; }
    // The install runs: the window says so until it ends.
    bool installing() const { return m_installing; }

    // The button's press; later presses do nothing. `relaunchTarget` is the window's controller:
    // the program relaunches after the install only while it still exists.
    void startDownload(QObject *relaunchTarget);

    // Draws a progress as a download report would (the gallery's still pictures).
    void showForGallery(const DownloadProgress &progress) { show(progress); }

    // The fraction as a percentage in its shortest exact decimal form: "25.0%", "37.5%".
    static QString formatPercent(double fraction);

    // Seams: the proxy switch and the manager (its download and install).
    void setStopProxy(std::function<void()> stopProxy) { m_stopProxy = std::move(stopProxy); }
    // What puts the desktop proxy back when no install follows (a bad address, a failed
    // download, a missing script); the install step puts it back itself after a failure, or a
    // success that no relaunch follows.
    void setRestoreProxy(std::function<void()> restoreProxy) { m_restoreProxy = std::move(restoreProxy); }
    void setManager(MupleUpgradeManager *manager) { m_manager = manager; }

Q_SIGNALS:
    void changed();

private:
    void show(const std::optional<DownloadProgress> &progress);
    // Follows the one upgrade state from the press on: the install running, a failure's text.
    void applyState();
    static void install(QPointer<MupleUpgradeManager> upgrades, QPointer<QObject> relaunchTarget,
                        std::function<void()> restore);
    static void restoreIfDownloadFails(UpgradeState &state, std::function<void()> restore);

    MupleUpgradeManager *manager() const;

    bool m_started = false;
    bool m_ringVisible = false;
    bool m_installing = false;
    double m_ringProgress = 0.0;
    QString m_percentText = QStringLiteral("0%");
    QString m_failureText;
    QPointer<QObject> m_relaunchTarget;
    std::function<void()> m_stopProxy;
    std::function<void()> m_restoreProxy;
    QPointer<MupleUpgradeManager> m_manager;
};

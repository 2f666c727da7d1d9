#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "networking/DownloadProgress.h"
#include "upgrade/upgradeSetting.h"

class UpgradeState;

// Everything the upgrade dialog knows and decides, without drawing: its texts, its phase (offer,
// download, install), the speed line, and the blocks its creator set. `NBMutipUpgradeView` draws
// it and forwards its controls here; tests drive it with a manual clock.
class NBMutipUpgradeModel : public QObject
{
    Q_OBJECT
public:
    using Block = std::function<void()>;
    using Clock = std::function<QDateTime()>;

    enum class Phase {
        Offer,            // title, version line, notes, "暂不更新" and "立即更新"
        Downloading,      // bar, speed line, percentage; no way out until it ends
        Install,          // "准备就绪，请安装" with the warning row; confirm installs
        ReadyToInstall,   // the home screen's variant: warning row, confirm keeps "立即更新"
    };

    // What the view shows.
    struct Look
    {
        Phase phase = Phase::Offer;
        QString titleText = QStringLiteral("切换线路和模式");
        QString tipsText = QStringLiteral("更新内容：");
        QString subText = QStringLiteral("更新内容：");
        QString notesText;
        QString indicatorSpeedText = QStringLiteral("正在下载安装包");
        QString downloadRateText = QStringLiteral("36%");
        double progressValue = 0.0;
        bool closeVisible = true;
        bool cancelVisible = true;
        bool progressVisible = false;   // bar, speed line and percentage
        bool warnVisible = false;
        QString warnText = QStringLiteral("更新过程中请勿退出应用，以免发生错误");
        bool failureShown = false;      // the warning row carries a failure, not the warning
        bool confirmEnabled = true;
        bool busy = false;              // a download or install runs: the confirm waits for it
        QString confirmTitle = QStringLiteral("立即更新");
    };

    explicit NBMutipUpgradeModel(QObject *parent = nullptr);

    std::optional<QDateTime> downloadStartTime;
    // The last download speed in megabytes per second (the name is the dialog's own).
    double bytesDownloaded = 0.0;
    Block cancelBlock;
    Block confirmBlock;
    Block closeBlock;
    Block installBlock;
    bool isForce = false;
    int updateState = 0;
    std::optional<upgradeSetting> config;
    std::optional<QString> attrButedTitle;

    const Look &look() const { return m_look; }
    bool isRemoved() const { return m_removed; }

    void setClock(Clock clock) { m_clock = std::move(clock); }
    QDateTime now() const;

    // Title, version line and notes from `config`; absent fields keep the texts in place.
    void applyConfig();
    void updateProgress(const std::optional<DownloadProgress> &progress);
    // Half a second later: the ready-to-install look of the home screen's dialog.
    void relayoutAfterDelay();
    void applyReadyToInstallLayout();
    // A failed download or install ends the wait: back to the offer, so that the user can close
    // the dialog or try again, with the reason (the state's text) in the warning row.
    void showFailure(const QString &text);

    // Shows what the process's one upgrade does, whichever road started it: an install running
    // anywhere disables the confirm; a failure ends this dialog's wait with its reason; the
    // progress of a download this dialog follows (its `downloadStartTime` is set) is shown, and
    // its end turns the dialog to the install.
    void follow(UpgradeState *state);
    // Shows the followed state as it stands now; `follow` calls it at every change.
    void applyState();

    void cancelAction();
    void closeAction();
    void installAction();
    void confirmAction();
    // The confirm button: `installAction` once the download is complete, else `confirmAction`.
    void confirmPressed();

    // "正在下载安装包 12M - 3.40M/s" for 12 MB at 3.4 MB/s.
    static QString speedLine(qint64 megabytes, double speed);

Q_SIGNALS:
    void changed();
    // The dialog leaves its window now.
    void removeRequested();

private:
    void remove();
    void showInstalling();
    void showBusy(const QString &title);

    Look m_look;
    Clock m_clock;
    bool m_confirmInstalls = false;
    bool m_removed = false;
    bool m_installing = false;   // the busy look of an install running
    bool m_following = false;    // its confirm started (or joined) a download or an install
    UpgradeState *m_state = nullptr;
};

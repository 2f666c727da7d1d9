// The upgrade dialog's texts and phases, with a clock the test moves by hand.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "uikit/UiTiming.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/UpgradeState.h"

namespace {

struct ManualClock
{
    QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    NBMutipUpgradeModel::Clock fn() { return [this] { return now; }; }
};

upgradeSetting offer()
{
    upgradeSetting setting;
    setting.update_state = 1;
    setting.update_title = QStringLiteral("新版本来了");
    setting.update_content = QStringLiteral("修复了一些问题");
    setting.version = QStringLiteral("9.9.9");
    setting.is_update = 1;
    return setting;
}

} // namespace

TEST(UpgradeDialogModelTest, ConfigFillsTheOfferAndAbsentFieldsKeepTheInitialTexts)
{
    NBMutipUpgradeModel dialog;
    dialog.applyConfig();
    EXPECT_EQ(dialog.look().titleText, QStringLiteral("切换线路和模式"));
    dialog.config = upgradeSetting{};
    dialog.applyConfig();
    EXPECT_EQ(dialog.look().titleText, QStringLiteral("切换线路和模式"));
    EXPECT_EQ(dialog.look().tipsText, QStringLiteral("更新内容："));

    dialog.config = offer();
    dialog.applyConfig();
    EXPECT_EQ(dialog.look().titleText, QStringLiteral("新版本来了"));
    EXPECT_EQ(dialog.look().tipsText, QStringLiteral("找到最新的版本：9.9.9"));
    EXPECT_EQ(dialog.look().notesText, QStringLiteral("修复了一些问题"));
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Offer);
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("立即更新"));
}

TEST(UpgradeDialogModelTest, DownloadShowsSpeedAndPercentThenTheInstallPhase)
{
    ManualClock clock;
    NBMutipUpgradeModel dialog;
    dialog.setClock(clock.fn());
    int installs = 0;
    int removals = 0;
    dialog.installBlock = [&] { ++installs; };
    QObject::connect(&dialog, &NBMutipUpgradeModel::removeRequested, [&] { ++removals; });

    // Nothing before the download has a start time.
    dialog.updateProgress(DownloadProgress{5242880, 10485760});
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Offer);

    dialog.downloadStartTime = clock.now;
    dialog.updateProgress(DownloadProgress{1024, 10485760});   // at once: no measurement yet, nothing shown
    EXPECT_EQ(dialog.look().indicatorSpeedText, QString());

    clock.now = clock.now.addSecs(2);
    dialog.updateProgress(DownloadProgress{5242880, 10485760});
    EXPECT_EQ(dialog.look().indicatorSpeedText, QStringLiteral("正在下载安装包 5M - 2.50M/s"));
    EXPECT_EQ(dialog.look().downloadRateText, QStringLiteral("50.00%"));
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Downloading);
    EXPECT_FALSE(dialog.look().confirmEnabled);
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("正在下载请稍后"));
    EXPECT_FALSE(dialog.look().cancelVisible || dialog.look().closeVisible);
    EXPECT_TRUE(dialog.look().progressVisible);
    dialog.confirmPressed();
    EXPECT_EQ(installs, 0);

    // The speed counts whole megabytes, as the line writes them: 1.5 MB in 2 s reads 1M at 0.50M/s.
    dialog.updateProgress(DownloadProgress{1572864, 10485760});
    EXPECT_EQ(dialog.look().indicatorSpeedText, QStringLiteral("正在下载安装包 1M - 0.50M/s"));
    EXPECT_DOUBLE_EQ(dialog.bytesDownloaded, 0.5);

    // Size unknown: no fraction. Below a whole megabyte there is no line at all.
    dialog.updateProgress(DownloadProgress{1048575, -1});
    EXPECT_EQ(dialog.look().indicatorSpeedText, QString());
    EXPECT_EQ(dialog.look().downloadRateText, QStringLiteral("0.00%"));

    dialog.updateProgress(DownloadProgress{10485760, 10485760});
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Install);
    EXPECT_TRUE(dialog.look().confirmEnabled);
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("准备就绪，请安装"));
    EXPECT_EQ(dialog.look().warnText, QStringLiteral("安装过程中请勿退出应用，以免发生错误"));
    EXPECT_FALSE(dialog.look().progressVisible);
    dialog.confirmPressed();
    EXPECT_EQ(installs, 1);
    EXPECT_EQ(removals, 1);
    dialog.confirmPressed();
    EXPECT_EQ(installs, 1);
}

TEST(UpgradeDialogModelTest, AFailedDownloadGivesTheWayOutBack)
{
    ManualClock clock;
    NBMutipUpgradeModel dialog;
    dialog.setClock(clock.fn());
    UpgradeState state;
    dialog.follow(&state);
    int confirms = 0;
    dialog.confirmBlock = [&] { ++confirms; };
    dialog.downloadStartTime = clock.now;
    state.downloadStarted(QStringLiteral("https://example.com/ostrel.deb"));
    state.downloadProgressed(DownloadProgress{100, 1000});
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Downloading);
    // The state's own text, word for word.
    state.downloadFailed(QStringLiteral("404"));
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Offer);
    EXPECT_TRUE(dialog.look().closeVisible && dialog.look().cancelVisible && dialog.look().confirmEnabled);
    EXPECT_TRUE(dialog.look().failureShown);
    EXPECT_EQ(dialog.look().warnText, QStringLiteral("下载失败，请稍后重试（404）"));
    dialog.confirmPressed();
    EXPECT_EQ(confirms, 1);
}

TEST(UpgradeDialogModelTest, CancelAndCloseRemoveEvenWithoutABlockConfirmNever)
{
    for (bool useClose : {false, true}) {
        NBMutipUpgradeModel dialog;
        QSignalSpy removed(&dialog, &NBMutipUpgradeModel::removeRequested);
        dialog.confirmAction();
        EXPECT_EQ(removed.count(), 0);
        useClose ? dialog.closeAction() : dialog.cancelAction();
        EXPECT_EQ(removed.count(), 1);
        EXPECT_TRUE(dialog.isRemoved());
    }
    int closes = 0;
    NBMutipUpgradeModel dialog;
    dialog.closeBlock = [&] { ++closes; };
    dialog.closeAction();
    dialog.closeAction();
    EXPECT_EQ(closes, 1);
}

TEST(UpgradeDialogModelTest, HomeVariantTurnsReadyToInstallAfterHalfASecond)
{
    UiTimingScope fast(0.01);
    NBMutipUpgradeModel dialog;
    dialog.relayoutAfterDelay();
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Offer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.look().phase == NBMutipUpgradeModel::Phase::ReadyToInstall; }, 5000));
    EXPECT_FALSE(dialog.look().cancelVisible);
    EXPECT_TRUE(dialog.look().warnVisible);
    EXPECT_EQ(dialog.look().warnText, QStringLiteral("更新过程中请勿退出应用，以免发生错误"));
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("立即更新"));
}

TEST(UpgradeDialogModelTest, TheDialogShowsTheSharedStateAndIsDisabledWhileBusy)
{
    UpgradeState state;
    NBMutipUpgradeModel dialog;
    dialog.config = offer();
    dialog.applyConfig();
    dialog.follow(&state);
    int confirms = 0;
    dialog.confirmBlock = [&] { ++confirms; };

    // Another road downloads: an offer not yet confirmed stays as it is.
    state.downloadStarted(QStringLiteral("https://example.com/ostrel.deb"));
    state.downloadProgressed(DownloadProgress{10, 100});
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Offer);
    EXPECT_TRUE(dialog.look().confirmEnabled);

    // Confirmed (state four shows no progress): busy, and a second press does nothing.
    dialog.confirmPressed();
    state.downloadProgressed(DownloadProgress{20, 100});
    EXPECT_TRUE(dialog.look().busy);
    EXPECT_FALSE(dialog.look().confirmEnabled);
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("正在下载请稍后"));
    dialog.confirmPressed();
    EXPECT_EQ(confirms, 1);

    // Any install, whoever started it, disables it; its failure is said and the way out is back.
    state.downloadFinished();
    state.installStarted();
    EXPECT_FALSE(dialog.look().confirmEnabled);
    EXPECT_EQ(dialog.look().confirmTitle, QStringLiteral("正在安装请稍后"));
    EXPECT_EQ(dialog.look().warnText, QStringLiteral("安装过程中请勿退出应用，以免发生错误"));
    state.failed(QStringLiteral("安装失败（代码 1）"));
    EXPECT_TRUE(dialog.look().failureShown);
    EXPECT_EQ(dialog.look().warnText, QStringLiteral("安装失败（代码 1）"));
    EXPECT_TRUE(dialog.look().confirmEnabled);
    EXPECT_TRUE(dialog.look().closeVisible);
    EXPECT_FALSE(dialog.look().busy);
}

TEST(UpgradeDialogModelTest, AJoinedDownloadShowsItsProgressAndAnInstallKeepsItsLook)
{
    ManualClock clock;
    UpgradeState state;
    NBMutipUpgradeModel dialog;
    dialog.setClock(clock.fn());
    dialog.follow(&state);
    dialog.downloadStartTime = clock.now;
    state.downloadStarted(QStringLiteral("https://example.com/ostrel.deb"));
    clock.now = clock.now.addSecs(1);
    state.downloadProgressed(DownloadProgress{2097152, 4194304});
    EXPECT_EQ(dialog.look().phase, NBMutipUpgradeModel::Phase::Downloading);
    EXPECT_EQ(dialog.look().downloadRateText, QStringLiteral("50.00%"));
    EXPECT_EQ(dialog.look().indicatorSpeedText, QStringLiteral("正在下载安装包 2M - 2.00M/s"));

    // A late report cannot turn an install's busy look back into a live button.
    state.downloadFinished();
    state.installStarted();
    dialog.updateProgress(DownloadProgress{4194304, 4194304});
    EXPECT_FALSE(dialog.look().confirmEnabled);
}

// The upgrade screens draw their models: the dialog's phases, the banner's clicks, the older
// prompt's blocks.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "app/NBNoTitleWindow.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "uikit/HHCircleView.h"
#include "common/ClickableFlag.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBMutipUpgradeView.h"
#include "upgrade/unreached/NBUpdateView.h"
#include "upgrade/NBUpgradeController.h"
#include "upgrade/NBUpgradeProgressController.h"
#include "upgrade/UpgradeWindowModel.h"
#include "upgrade/NBWarnInstallView.h"
#include "uikit/NBDisableButton.h"

namespace {

// A window in use, as the shell provides one.
struct Host
{
    Host()
    {
        window.resize(800, 500);
        WindowInUse::setContentWidget(&window);
        window.show();
    }
    ~Host() { WindowInUse::setContentWidget(nullptr); }
    QWidget window;
};

} // namespace

TEST(UpgradeViewsTest, DialogDrawsEachPhaseAndLeavesTheWindowWhenClosed)
{
    Host host;
    auto owned = std::make_unique<NBMutipUpgradeModel>();
    NBMutipUpgradeModel *model = owned.get();
    upgradeSetting setting;
    setting.update_title = QStringLiteral("新版本");
    setting.version = QStringLiteral("9.9.9");
    setting.update_content = QStringLiteral("修复");
    model->config = setting;
    model->applyConfig();
    int closes = 0;
    model->closeBlock = [&] { ++closes; };
    NBMutipUpgradeView *view = NBMutipUpgradeView::present(std::move(owned));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(host.window.findChild<NBMutipUpgradeView *>(), view);
    EXPECT_EQ(view->model(), model);
    QPointer<NBMutipUpgradeView> watched(view);
    EXPECT_EQ(view->geometry(), host.window.rect());
    EXPECT_EQ(view->titleText()->text(), QStringLiteral("新版本"));
    EXPECT_EQ(view->tipsText()->text(), QStringLiteral("找到最新的版本：9.9.9"));
    EXPECT_EQ(view->markdowTextView()->toPlainText(), QStringLiteral("修复"));
    EXPECT_TRUE(view->cancleButton()->isVisible());
    EXPECT_FALSE(view->progressIndicator()->isVisible());

    model->downloadStartTime = model->now().addSecs(-2);
    model->updateProgress(DownloadProgress{512, 1024});
    EXPECT_TRUE(view->progressIndicator()->isVisible());
    EXPECT_EQ(view->indicatorSpeedText()->text(), QString()) << "no line below a whole megabyte";
    // The bar: 3 below the speed line, 22 from the panel's sides, 20 high.
    const QRect speedLine = view->indicatorSpeedText()->geometry();
    EXPECT_EQ(speedLine, QRect(22, 425 - 100 - 20, 325 - 44, 20));
    EXPECT_EQ(view->progressIndicator()->geometry(), QRect(22, speedLine.bottom() + 1 + 3, 325 - 44, 20));
    model->updateProgress(DownloadProgress{4 * 1048576 + 5, 8 * 1048576});
    EXPECT_TRUE(view->indicatorSpeedText()->text().startsWith(QStringLiteral("正在下载安装包 4M - ")))
        << view->indicatorSpeedText()->text().toStdString();
    model->updateProgress(DownloadProgress{512, 1024});
    EXPECT_EQ(view->downloadRateText()->text(), QStringLiteral("50.00%"));
    EXPECT_FALSE(view->cancleButton()->isVisible());
    EXPECT_FALSE(view->closeView()->isVisible());
    EXPECT_FALSE(view->confirmButton()->isEnabled());
    EXPECT_EQ(view->confirmButton()->text(), QStringLiteral("正在下载请稍后"));

    model->showFailure(QStringLiteral("下载失败，请稍后重试（404）"));
    EXPECT_TRUE(view->closeView()->isVisible());
    // Texts of the service or a page are shown as they are, never as markup.
    for (QLabel *label : {view->titleText(), view->tipsText(), view->warnInstallText()->nameLab()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(view->warnInstallText()->isVisible());
    view->closeView()->click();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 2000));

    // No window in use: the dialog is not shown, and its model goes with it.
    WindowInUse::setContentWidget(nullptr);
    auto orphan = std::make_unique<NBMutipUpgradeModel>();
    QPointer<NBMutipUpgradeModel> orphanWatched(orphan.get());
    EXPECT_EQ(NBMutipUpgradeView::present(std::move(orphan)), nullptr);
    EXPECT_TRUE(orphanWatched.isNull());
}

TEST(UpgradeViewsTest, ReadyToInstallPutsTheWarningRowBetweenNotesAndButtonAndLinksKeepTheirColour)
{
    Host host;
    UiTimingScope fast(0.01);
    auto owned = std::make_unique<NBMutipUpgradeModel>();
    NBMutipUpgradeModel *model = owned.get();
    model->relayoutAfterDelay();
    NBMutipUpgradeView *view = NBMutipUpgradeView::present(std::move(owned));
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->look().phase == NBMutipUpgradeModel::Phase::ReadyToInstall; }, 2000));
    // The button 22 above the panel's bottom; the row 10 above it; the notes end 40 above the row.
    const QRect button = view->confirmButton()->geometry();
    const QRect row = view->warnInstallText()->geometry();
    EXPECT_EQ(button.top(), 425 - 22 - 40);
    EXPECT_EQ(row.height(), 20);
    EXPECT_EQ(row.bottom() + 1 + 10, button.top());
    EXPECT_EQ(view->markdowTextView()->geometry().bottom() + 1 + 40, row.top());
    EXPECT_FALSE(view->cancleButton()->isVisible());
    EXPECT_EQ(view->markdowTextView()->palette().color(QPalette::Link), QColor(145, 147, 187));

    // The install phase keeps the row 30 above the button.
    model->downloadStartTime = model->now();
    model->updateProgress(DownloadProgress{1024, 1024});
    EXPECT_EQ(view->warnInstallText()->geometry().bottom() + 1 + 30, view->confirmButton()->geometry().top());

    // The speed line says nothing until there is a measurement.
    NBMutipUpgradeView *freshView = NBMutipUpgradeView::present(std::make_unique<NBMutipUpgradeModel>());
    ASSERT_NE(freshView, nullptr);
    NBMutipUpgradeModel *fresh = freshView->model();
    fresh->downloadStartTime = fresh->now();
    fresh->updateProgress(DownloadProgress{0, 1024});
    EXPECT_TRUE(freshView->indicatorSpeedText()->text().isEmpty()) << freshView->indicatorSpeedText()->text().toStdString();
}

TEST(UpgradeViewsTest, BannerRunsItsActionOncePerClickAndNothingWithoutOne)
{
    NBAboutUpgradeView banner;
    banner.resize(banner.preferredWidth(), 30);
    banner.show();
    EXPECT_EQ(banner.nameLab()->text(), QStringLiteral("发现新版本,为获绝佳体验,请更新..."));
    QTest::mouseClick(&banner, Qt::LeftButton);   // no action set: nothing
    int clicks = 0;
    banner.clickAction = [&] { ++clicks; };
    QTest::mouseClick(&banner, Qt::LeftButton);
    QTest::mouseClick(&banner, Qt::LeftButton, {}, banner.nameLab()->geometry().center());
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(banner.isVisible());   // a click does not hide it
    banner.dismissAction();
    EXPECT_FALSE(banner.isVisible());
}

TEST(UpgradeViewsTest, OlderPromptLeavesFirstThenCallsItsOneBlock)
{
    Host host;
    for (int action = 0; action < 3; ++action) {
        auto *view = new NBUpdateView();
        QPointer<NBUpdateView> watched(view);
        int dismissed = 0;
        int updated = 0;
        bool goneFirst = false;
        view->didDismissSuccessBlock = [&] { ++dismissed; goneFirst = watched && watched->isClosing() && !watched->isVisible(); };
        view->didUpdateBlock = [&] { ++updated; goneFirst = watched && watched->isClosing() && !watched->isVisible(); };
        view->show();
        ASSERT_TRUE(view->isVisible());
        EXPECT_EQ(view->newVersionLabel()->text(), QStringLiteral("找到最新的版本："));
        if (action == 0)
            view->upgradeButton()->click();
        else if (action == 1)
            view->cancalButtton()->click();
        else
            QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5, 5));   // the dimmed surround
        EXPECT_EQ(updated, action == 0 ? 1 : 0);
        EXPECT_EQ(dismissed, action == 0 ? 0 : 1);
        EXPECT_TRUE(goneFirst);
        EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 2000));
    }
}

TEST(UpgradeViewsTest, UpgradeWindowOpensWithItsVersionAndTakesOnePress)
{
    NBUpgradeProgressController *opened = NBUpgradeProgressController::open(QStringLiteral("not an address"), QStringLiteral("9.9.9"));
    QPointer<QWidget> window = opened->window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("升级"));
    NBUpgradeController *content = opened->contentViewController();
    ASSERT_NE(content, nullptr);

    // A window of its own kind: one size, no maximise button, moved by its background.
    auto *noTitle = qobject_cast<NBNoTitleWindow *>(window.data());
    ASSERT_NE(noTitle, nullptr);
    EXPECT_EQ(noTitle->contentViewController(), content);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), QSize(NBUpgradeController::kWidth, NBUpgradeController::kHeight));
    int moves = 0;
    QObject::connect(noTitle, &NBNoTitleWindow::backgroundMoveStarted, [&] { ++moves; });
    QTest::mousePress(content, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(moves, 1);
    QTest::mousePress(content->versionLabel(), Qt::LeftButton, {}, QPoint(2, 2));   // text is background too
    QTest::mouseRelease(content->versionLabel(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(content->versionLabel()->text(), QStringLiteral("9.9.9"));
    EXPECT_EQ(content->versionLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(content->progressLabel()->text(), QStringLiteral("0%"));
    EXPECT_FALSE(content->circleView()->isVisible());
    int proxyOffs = 0;
    content->model()->setStopProxy([&] { ++proxyOffs; });
    QTest::mouseClick(content->upgradeButton(), Qt::LeftButton);
    QTest::mouseClick(content->upgradeButton(), Qt::LeftButton);
    EXPECT_EQ(proxyOffs, 1);
    EXPECT_EQ(moves, 2) << "a press on the button is the button's";
    EXPECT_EQ(ClickableFlag::isClickable(content->upgradeButton()), std::optional<bool>(false));
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 2000));
}

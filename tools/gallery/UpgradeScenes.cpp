// Pictures of the self-upgrade: the dialog in each state, the home banner, the upgrade window
// and the older prompt, with a fixed offer and a manual clock.
#include "GalleryScene.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBMutipUpgradeView.h"
#include "upgrade/unreached/NBUpdateView.h"
#include "upgrade/NBUpgradeController.h"
#include "upgrade/UpgradeState.h"
#include "upgrade/UpgradeWindowModel.h"

namespace {

upgradeSetting galleryOffer()
{
    upgradeSetting setting;
    setting.update_state = 1;
    setting.update_title = QStringLiteral("发现新版本 9.9.9");
    setting.version = QStringLiteral("9.9.9");
    setting.update_content = QStringLiteral("1. 连接更稳定，切换线路更快\n2. 修复了一些已知问题\n3. 优化了界面细节");
    setting.is_update = 1;
    return setting;
}

// A window with the dialog over it; `prepare` moves the dialog into its state.
QWidget *dialogScene(const std::function<void(NBMutipUpgradeModel &)> &prepare)
{
    QWidget *host = galleryWindowHost();
    auto model = std::make_unique<NBMutipUpgradeModel>();
    model->config = galleryOffer();
    model->applyConfig();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    model->setClock([start] { return start.addSecs(4); });
    model->downloadStartTime = start;
    prepare(*model);
    NBMutipUpgradeView::present(std::move(model));
    return host;
}

} // namespace

OSTREL_GALLERY_SCENE("upgrade/dialog_offer", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &) {});
}

OSTREL_GALLERY_SCENE("upgrade/dialog_downloading", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &model) { model.updateProgress(DownloadProgress{13 * 1048576, 36 * 1048576}); });
}

OSTREL_GALLERY_SCENE("upgrade/dialog_ready_to_install", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &model) { model.updateProgress(DownloadProgress{36 * 1048576, 36 * 1048576}); });
}

OSTREL_GALLERY_SCENE("upgrade/dialog_failed", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &model) {
        auto *state = new UpgradeState(&model);
        model.follow(state);
        state->downloadStarted(QStringLiteral("https://downloads.example.com/ostrel.deb"));
        state->downloadProgressed(DownloadProgress{5 * 1048576, 36 * 1048576});
        state->downloadFailed(QStringLiteral("404"));
    });
}

OSTREL_GALLERY_SCENE("upgrade/dialog_installing", 800, 500)
{
    // Whichever road started the install, every dialog shows it and takes no press meanwhile.
    return dialogScene([](NBMutipUpgradeModel &model) {
        auto *state = new UpgradeState(&model);
        model.follow(state);
        state->downloadStarted(QStringLiteral("https://downloads.example.com/ostrel.deb"));
        state->downloadFinished();
        state->installStarted();
    });
}

OSTREL_GALLERY_SCENE("upgrade/dialog_install_failed", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &model) {
        auto *state = new UpgradeState(&model);
        model.follow(state);
        state->installStarted();
        state->failed(QStringLiteral("安装包无效，已删除，请重新下载（代码 4）"));
    });
}

OSTREL_GALLERY_SCENE("upgrade/dialog_home_ready", 800, 500)
{
    return dialogScene([](NBMutipUpgradeModel &model) { model.applyReadyToInstallLayout(); });
}

OSTREL_GALLERY_SCENE("upgrade/banner", 400, 80)
{
    auto *host = new RoundedPanel(QColor(16, 17, 27), 0);
    host->resize(400, 80);
    auto *banner = new NBAboutUpgradeView(host);
    banner->setGeometry(20, 25, banner->preferredWidth(), 30);
    return host;
}

OSTREL_GALLERY_SCENE("upgrade/progress_window_ready", 480, 520)
{
    auto *controller = new NBUpgradeController();
    controller->version = QStringLiteral("新版本 9.9.9");
    controller->downloadUrl = QStringLiteral("https://downloads.example.com/ostrel.deb");
    controller->ensureLoaded();
    return controller;
}

OSTREL_GALLERY_SCENE("upgrade/progress_window_downloading", 480, 520)
{
    auto *controller = new NBUpgradeController();
    controller->version = QStringLiteral("新版本 9.9.9");
    // No address: the press shows nothing but the model's state, drawn from a progress below.
    controller->ensureLoaded();
    UpgradeWindowModel *model = controller->model();
    model->setStopProxy([] {});
    model->showForGallery(DownloadProgress{375, 1000});
    return controller;
}

OSTREL_GALLERY_SCENE("upgrade/update_view", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *view = new NBUpdateView();
    view->version = QStringLiteral("9.9.9");
    view->content = galleryOffer().update_content;
    view->show();
    return host;
}

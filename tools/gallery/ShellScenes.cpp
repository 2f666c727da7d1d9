// Pictures of the shell: launch screen, guide, splash, the main window with each menu row, and
// the no-network popup.
#include "GalleryScene.h"

#include <QLinearGradient>
#include <QPainter>

#include "app/AccountAlertPresenter.h"
#include "app/HHSplashViewController.h"
#include "app/NBGuidViewController.h"
#include "app/NBLaunchViewController.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/NBTunStateView.h"
#include "app/OONoNetworkPopupView.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/ScreenFactory.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"
#include "networking/OOReachability.h"

namespace {

// The pages are placeholders here: the pictures show the shell, not the pages' data.
void usePlaceholderPages()
{
    for (NBLeftMenuType type : {NBLeftMenuType::home, NBLeftMenuType::account, NBLeftMenuType::upgrade}) {
        const QString name = NBMainSplitViewController::screenName(type);
        ScreenFactory::instance().registerScreen(name, [name](QWidget *parent) {
            return new PlaceholderViewController(name, parent);
        });
    }
}

QWidget *mainWindow(void (*prepare)(NBMainSplitViewController *), const QString &language = QStringLiteral("zh-Hans"))
{
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, language);
    usePlaceholderPages();
    auto *window = new NBMainWindowController;
    auto *split = new NBMainSplitViewController;
    split->ensureLoaded();
    // The menu has read its titles; the scenes after this one draw in Chinese again.
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans"));
    split->leftSide()->setUnreadRequester({});
    window->setContentViewController(split);
    if (prepare)
        prepare(split);
    return window;
}

QImage splashPicture()
{
    QImage image(800, 500, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 800, 500);
    gradient.setColorAt(0, QColor(41, 7, 70));
    gradient.setColorAt(1, QColor(110, 50, 150));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(230, 190, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(560, 230), 120, 120);
    painter.setBrush(QColor(255, 230, 191));
    painter.drawRoundedRect(80, 150, 340, 20, 10, 10);
    painter.drawRoundedRect(80, 200, 280, 14, 7, 7);
    return image;
}

} // namespace

OSTREL_GALLERY_SCENE("shell/launch_screen_no_network", 800, 500)
{
    auto *window = new NBMainWindowController;
    auto *launch = new NBLaunchViewController;
    launch->setPollingStarter([](std::function<void()>) { return false; });
    window->setContentViewController(launch);
    // The picture shows the offline state, whatever this machine's network says.
    QObject::disconnect(&OOReachability::shared(), nullptr, launch, nullptr);
    launch->onReachability(true);
    return window;
}

OSTREL_GALLERY_SCENE("shell/launch_screen_searching", 800, 500)
{
    auto *window = new NBMainWindowController;
    auto *launch = new NBLaunchViewController;
    launch->setPollingStarter([](std::function<void()>) { return true; });
    window->setContentViewController(launch);
    QObject::disconnect(&OOReachability::shared(), nullptr, launch, nullptr);
    launch->onReachability(false);
    return window;
}

OSTREL_GALLERY_SCENE("shell/guide", 800, 500)
{
    auto *window = new NBMainWindowController;
    auto *guide = new NBGuidViewController;
    guide->setTracker({});
    window->setContentViewController(guide);
    return window;
}

OSTREL_GALLERY_SCENE("shell/splash_countdown", 800, 500)
{
    auto *window = new NBMainWindowController;
    auto *splash = new HHSplashViewController;
    splash->setTracker({});
    HHAdModel ad;
    ad.closeSeconds = QStringLiteral("3");
    splash->model = ad;
    window->setContentViewController(splash);
    splash->setupAd();
    splash->setImage(splashPicture());
    return window;
}

OSTREL_GALLERY_SCENE("shell/main_home", 800, 500)
{
    return mainWindow(nullptr);
}

OSTREL_GALLERY_SCENE("shell/main_membership", 800, 500)
{
    return mainWindow([](NBMainSplitViewController *split) {
        split->leftSide()->selectItem(split->leftSide()->upgradeItem());
    });
}

OSTREL_GALLERY_SCENE("shell/main_account_unread", 800, 500)
{
    return mainWindow([](NBMainSplitViewController *split) {
        split->leftSide()->selectItem(split->leftSide()->accountItem());
        split->leftSide()->applyUnreadReply(QJsonObject{
            {QStringLiteral("data"), QJsonObject{{QStringLiteral("active_message"), 1}, {QStringLiteral("feedback_message"), 0},
                                                 {QStringLiteral("system_message"), 2}}}});
    });
}

// The menu's titles in the languages whose words are longest, the account row selected.
OSTREL_GALLERY_SCENE("shell/main_menu_en", 800, 500)
{
    return mainWindow([](NBMainSplitViewController *split) { split->leftSide()->selectItem(split->leftSide()->accountItem()); },
                      QStringLiteral("en"));
}

OSTREL_GALLERY_SCENE("shell/main_menu_ja", 800, 500)
{
    return mainWindow([](NBMainSplitViewController *split) { split->leftSide()->selectItem(split->leftSide()->accountItem()); },
                      QStringLiteral("ja"));
}

OSTREL_GALLERY_SCENE("shell/main_tun_running", 800, 500)
{
    return mainWindow([](NBMainSplitViewController *split) { split->leftSide()->tunItem()->setIsSelect(true); });
}

OSTREL_GALLERY_SCENE("shell/no_network_popup", 800, 500)
{
    QWidget *window = mainWindow(nullptr);
    OONoNetworkPopupView::showNoNetwork(localizedByAppLanguage(QStringLiteral("NO_NET_TITLE")));
    return window;
}

// The request layer's account warnings, as the presenter puts them over the main window.
static QWidget *accountAlertScene(NetworkUiHooks::AccountExceptionKind kind)
{
    QWidget *window = mainWindow(nullptr);
    auto *presenter = new AccountAlertPresenter(window);
    presenter->enqueue(kind);
    return window;
}

OSTREL_GALLERY_SCENE("shell/account_exception_alert", 800, 500)
{
    return accountAlertScene(NetworkUiHooks::AccountExceptionKind::AccountException);
}

OSTREL_GALLERY_SCENE("shell/device_limit_alert", 800, 500)
{
    return accountAlertScene(NetworkUiHooks::AccountExceptionKind::DeviceLimit);
}

// Pictures of the general settings and their pickers, and of the window with the more page and
// with the general settings in three languages. No network: the window's menu asks nothing and
// the more page is drawn without its appearance requests.
#include "GalleryScene.h"

#include <QJsonObject>

#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/ScreenFactory.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineViewController.h"

namespace {

// Puts the language back when the picture is done, so later scenes draw in the language the
// gallery started with.
class LanguageScope : public QObject
{
public:
    LanguageScope(QObject *owner, const QString &language)
        : QObject(owner)
        , m_previous(currentAppLanguage())
    {
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, language);
    }
    ~LanguageScope() override
    {
        if (m_previous)
            UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, *m_previous);
        else
            UserDefaults::standard().remove(DefaultsKeys::kAppLanguageKey);
    }

private:
    std::optional<QString> m_previous;
};

// The window with the split view; the home page is a placeholder and the menu asks for nothing.
NBMainSplitViewController *windowWithSplit(QWidget **window, const QString &language)
{
    const QString home = NBMainSplitViewController::screenName(NBLeftMenuType::home);
    ScreenFactory::instance().registerScreen(home, [home](QWidget *parent) { return new PlaceholderViewController(home, parent); });
    auto *host = new NBMainWindowController;
    new LanguageScope(host, language);
    auto *split = new NBMainSplitViewController;
    split->ensureLoaded();
    split->leftSide()->setUnreadRequester({});
    host->setContentViewController(split);
    *window = host;
    return split;
}

QWidget *generalWindow(const QString &language)
{
    QWidget *window = nullptr;
    NBMainSplitViewController *split = windowWithSplit(&window, language);
    split->switchContent(NBLeftMenuType::general);
    return window;
}

QWidget *moreWindow(const QString &language)
{
    QWidget *window = nullptr;
    NBMainSplitViewController *split = windowWithSplit(&window, language);
    // The account row lit without switching: the real switch would send the page's requests.
    split->leftSide()->selectBlock = {};
    split->leftSide()->selectItem(split->leftSide()->accountItem());
    if (NBBaseViewController *shown = split->shownContent())
        shown->hide();
    const QJsonObject record{{"kind", 1},
                             {"user", QJsonObject{{"id", 7}, {"api_token", "gallery"}, {"user_level", 1}, {"user_type", 1},
                                                  {"email_address", "gallery@example.com"}, {"username", "gallery"},
                                                  {"vip_invalid_time", "2027-03-31"}}}};
    (void)MKUserInfoManager::shared().saveUser(record);
    auto *page = new NBMineViewController(split->contentPane());
    page->ensureLoaded();
    page->headerView()->updateUserInfo(HHUserInfo::fromJson(record));
    page->setGeometry(split->contentPane()->rect());
    page->show();
    return window;
}

NBGeneralViewController *generalScreen(QWidget *owner)
{
    auto *screen = new NBGeneralViewController(owner);
    screen->resize(728, 500);
    NBBaseViewController::setAppearing(screen, true);
    return screen;
}

} // namespace

OSTREL_GALLERY_SCENE("settings/general_window_zh-Hans", 800, 500) { return generalWindow(QStringLiteral("zh-Hans")); }
OSTREL_GALLERY_SCENE("settings/general_window_en", 800, 500) { return generalWindow(QStringLiteral("en")); }
OSTREL_GALLERY_SCENE("settings/general_window_ja", 800, 500) { return generalWindow(QStringLiteral("ja")); }

OSTREL_GALLERY_SCENE("settings/more_window_zh-Hans", 800, 500) { return moreWindow(QStringLiteral("zh-Hans")); }
OSTREL_GALLERY_SCENE("settings/more_window_en", 800, 500) { return moreWindow(QStringLiteral("en")); }
OSTREL_GALLERY_SCENE("settings/more_window_ja", 800, 500) { return moreWindow(QStringLiteral("ja")); }

OSTREL_GALLERY_SCENE("settings/general_switches_on_latency", 728, 500)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(DefaultsKeys::kAutoConnectionStateKey, 1);
    defaults.setBool(DefaultsKeys::kNotificationStateKey, true);
    defaults.setInteger(DefaultsKeys::kLineOrderType, 1);
    auto *screen = new NBGeneralViewController;
    new LanguageScope(screen, QStringLiteral("en"));
    screen->resize(728, 500);
    NBBaseViewController::setAppearing(screen, true);
    // Later scenes start from the defaults again.
    defaults.remove(DefaultsKeys::kAutoConnectionStateKey);
    defaults.remove(DefaultsKeys::kNotificationStateKey);
    defaults.remove(DefaultsKeys::kLineOrderType);
    return screen;
}

OSTREL_GALLERY_SCENE("settings/general_sort_picker", 728, 500)
{
    auto *screen = generalScreen(nullptr);
    screen->selectRow(2);
    return screen;
}

OSTREL_GALLERY_SCENE("settings/general_language_picker", 728, 500)
{
    auto *screen = generalScreen(nullptr);
    screen->selectRow(3);
    return screen;
}

OSTREL_GALLERY_SCENE("settings/general_reset_alert", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *screen = generalScreen(host);
    screen->move(72, 0);
    screen->selectRow(4);
    return host;
}
